// The library entry point of a deliverable: DllMain on Windows, a load-time
// constructor and an unload-time destructor elsewhere.
//
//   ZU_LIBRARY_ENTRY(on_attach, on_detach)
//
// on_attach runs on every call of the entry point (every reason on Windows),
// on_detach when the deliverable is unloaded, after which the base library
// closes the error log and the debug file.
#pragma once

#include "base/base.h"

// The error routine of ZUSTD, ZUDBTOOL and ZUGDI32: no message box, raise.
inline void zu_entry_quiet_reports() {
    err_show_box = 0;
    err_throw = 1;
}

#ifdef _WIN32
#include <windows.h>
#define ZU_LIBRARY_ENTRY(on_attach, on_detach)                                   \
    extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {     \
        on_attach(instance);                                                       \
        if (reason == DLL_PROCESS_DETACH) {                                        \
            on_detach();                                                           \
            zu_base_shutdown();                                                    \
        }                                                                          \
        return TRUE;                                                               \
    }
#else
#define ZU_LIBRARY_ENTRY(on_attach, on_detach)                                   \
    __attribute__((constructor)) static void zu_library_load() { on_attach(nullptr); } \
    __attribute__((destructor)) static void zu_library_unload() {                  \
        on_detach();                                                               \
        zu_base_shutdown();                                                        \
    }
#endif
