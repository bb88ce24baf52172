#include "base/entry.h"

namespace {
// ZUWGY keeps the error routine as loaded: message box on, raise.
void attach(void *) {}
void detach() {}
}  // namespace

ZU_LIBRARY_ENTRY(attach, detach)
