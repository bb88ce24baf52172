// Building an index file from a table: keys from records, an external
// merge sort through two work files, and the page phase that fills the
// tree bottom-up.
#pragma once

#include "zudbtool/ndx.h"
#include "zudbtool/ndx_key.h"

// Where the builder takes its records from: the table file, read once in
// file order.
class ndx_records : public ndx_fields {
public:
    virtual const char *table_path() = 0;
    virtual long record_count() = 0;
    // Positions before the first record; false when that fails.
    virtual bool rewind() = 0;
    // The next record (deletion flag, then the fields); null on a short read.
    virtual const unsigned char *next_record() = 0;
};

// The work file of a build: the index path with the text after the last
// '.' of its file name replaced by `ext` (appended after a '.' when the
// name has none).
void ndx_work_path(const char *index_path, const char *ext, char *out, unsigned size);

// Fills the index file completely from the records, with the key layout its
// expression gives (ndx_key_layout_of), which the header then holds.  False
// when the build stopped after an ISAM report (its work files are removed
// then).
bool ndx_build(ndx *ip, ndx_records &src);
