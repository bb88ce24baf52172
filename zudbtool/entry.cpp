#include "base/entry.h"

namespace {
void attach(void *) { zu_entry_quiet_reports(); }
void detach() {}
}  // namespace

ZU_LIBRARY_ENTRY(attach, detach)
