/* Calls one function of each installed library. */
#include <stdio.h>
#include <string.h>

#include "zudbtool.h"
#include "zustd.h"
#include "zuwgy.h"

int main(void) {
    const char *text = GetLastError2MessageErrorCode(2);
    const char *name = ConvertToFileNameString("a/b:c");
    int use;
    zdbSetDeleteRecordUse();
    use = zdbIsUseDeleteRecord();
    zdbSetDeleteRecordUnUse();
    if (!text || !*text || strcmp(name, "a_b_c") != 0 || use != 1 || zdbIsUseDeleteRecord() != 0) {
        puts("downstream: wrong results");
        return 1;
    }
    puts("downstream: ok");
    return 0;
}
