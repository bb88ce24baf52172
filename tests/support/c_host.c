/* A host written in C, as a program not built with GCC's C++ sees the
 * libraries: it catches a report through a vectored exception handler,
 * reads its text, resumes, and goes on using the library. */
#include <stdio.h>
#include <string.h>
#include <windows.h>

#include "zustd.h"

#ifdef _WIN64
#define PARAMS 4
#define CHAR_PTR ".PEAD"
#else
#define PARAMS 3
#define CHAR_PTR ".PAD"
#endif

static char caught[1100];
static int reports;
static char type_name[8];

static LONG CALLBACK handler(EXCEPTION_POINTERS *ep) {
    EXCEPTION_RECORD *r = ep->ExceptionRecord;
    if (r->ExceptionCode != 0xE06D7363 || r->NumberParameters != PARAMS || r->ExceptionInformation[0] != 0x19930520)
        return EXCEPTION_CONTINUE_SEARCH;
    {
        /* ThrowInfo -> CatchableTypeArray -> first CatchableType -> TypeDescriptor name */
#ifdef _WIN64
        /* x86-64: offsets from the image base, the fourth parameter */
        ULONG_PTR base = r->ExceptionInformation[3];
        const int *info = (const int *)r->ExceptionInformation[2];
        const int *array = (const int *)(base + (unsigned)info[3]);
        const int *type = (const int *)(base + (unsigned)array[1]);
        const char *descriptor = (const char *)(base + (unsigned)type[1]);
        strncpy(type_name, descriptor + 2 * sizeof(void *), sizeof type_name - 1);
#else
        const unsigned *info = (const unsigned *)r->ExceptionInformation[2];
        const int *array = (const int *)info[3];
        const unsigned *type = (const unsigned *)array[1];
        const char *descriptor = (const char *)type[1];
        strncpy(type_name, descriptor + 2 * sizeof(void *), sizeof type_name - 1);
#endif
    }
    strncpy(caught, *(const char **)r->ExceptionInformation[1], sizeof caught - 1);
    ++reports;
    return EXCEPTION_CONTINUE_EXECUTION;
}

static int failures;
static int checks;
static void check(int ok, const char *what) {
    ++checks;
    if (!ok) {
        ++failures;
        printf("FAILED: %s\n", what);
    }
}

int main(void) {
    char path[300];
    const char *r;
    AddVectoredExceptionHandler(1, handler);

    r = ZuGetErrorLogPath(NULL, 0); /* bad input: reports */
    check(reports == 1, "the report reached the host");
    check(strcmp(caught, "ZuGetErrorLogPath") == 0, "the report's text");
    check(strcmp(type_name, CHAR_PTR) == 0, "thrown as char *");
    check(r == NULL, "neutral result after resuming");
    check(ZuGetErrMsg() != NULL && strcmp(ZuGetErrMsg(), caught) == 0, "the stored message");

    /* The library goes on working. */
    r = ZuGetErrorLogPath(path, sizeof path);
    check(r == path && strlen(path) > 4 && strcmp(path + strlen(path) - 4, "LOG\\") == 0, "a later call works");
    ZuGetErrorLogPath(NULL, 0);
    check(reports == 2, "a second report reaches the host");
    printf("%d passed, %d failed\n", checks - failures, failures);
    return failures ? 1 : 0;
}
