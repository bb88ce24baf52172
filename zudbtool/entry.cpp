#include "base/entry.h"
#include "zudbtool/dbe.h"

namespace {
void attach(void *) {
    zu_entry_quiet_reports();
    zdb_use_deleted = false;
}
void detach() {}
}  // namespace

ZU_LIBRARY_ENTRY(attach, detach)
