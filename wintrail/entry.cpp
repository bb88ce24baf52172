#include "base/entry.h"

namespace {
// Wintrail keeps the error routine as loaded (message box on, raise) and
// logs under the older naming of its base library.
void attach(void *) { zu_old_log_naming = true; }
void detach() {}
}  // namespace

ZU_LIBRARY_ENTRY(attach, detach)
