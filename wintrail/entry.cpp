#include "base/entry.h"
#include "wintrail/trail.h"

namespace {
// Wintrail keeps the error routine as loaded (message box on, raise) and
// logs under the older naming of its base library.
void attach(void *instance) {
    zu_old_log_naming = true;
    wintrail_attach(instance);
}
void detach() {}
}  // namespace

ZU_LIBRARY_ENTRY(attach, detach)
