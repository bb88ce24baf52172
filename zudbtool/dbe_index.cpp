// The table object's calls into the index layer.  Until indexes are built
// into the engine a table has none: it is created and opened without
// indexes, navigation is in record-number order, and every call here does
// nothing (dbp->nidx and dbp->cur stay 0).
#include "zudbtool/dbe.h"

bool DBE::idx_open_listed() { return true; }
void DBE::idx_recreate_defined() {}
bool DBE::idx_chk_dup(bool) { return false; }
void DBE::idx_append_keys(int) {}
void DBE::idx_update_keys(int, const char *) {}
void DBE::idx_remove_keys(int) {}
int DBE::idx_following() { return 0; }
void DBE::idx_goto(int) {}
void DBE::idx_top() {}
void DBE::idx_bottom() {}
void DBE::idx_move(int) {}
void DBE::idx_position(int) {}
void DBE::idx_flush_all() {}
void DBE::idx_close_all() {}
void DBE::idx_rebuild_all() {}
