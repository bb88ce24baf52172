// Building an index file from a table: keys from records, an external
// merge sort through two work files, and the page phase that fills the
// tree bottom-up.
#pragma once

#include <cstdint>
#include <vector>

#include "zudbtool/ndx.h"

// One field of the table, as the builder needs it.
struct ndx_field_desc {
    const char *name;  // NUL-terminated
    char type;         // type letter
    unsigned len;      // field length
    unsigned pos;      // position in the record (the deletion flag is byte 0)
};

// Where the builder takes its records from: the table file, read once in
// file order.
class ndx_records {
public:
    virtual ~ndx_records() = default;
    virtual const char *table_path() = 0;
    virtual int field_count() = 0;
    virtual ndx_field_desc field(int i) = 0;
    virtual long record_count() = 0;
    // Positions before the first record; false when that fails.
    virtual bool rewind() = 0;
    // The next record (deletion flag, then the fields); null on a short read.
    virtual const unsigned char *next_record() = 0;
};

// How a key is made from a record.
struct ndx_key_part {
    unsigned pos;    // in the record
    unsigned len;    // field length
    unsigned width;  // bytes the part takes in a character key
};

struct ndx_key_layout {
    int type = NDX_CHAR;  // NDX_CHAR, NDX_NUMERIC or NDX_INTEGER
    int len = 0;          // key length
    std::vector<ndx_key_part> parts;
};

// The key layout of an expression (field names separated by ';' or blanks)
// over the source's fields.  0 on success, else the ISAM code to report
// (IE_IDXKEY: a part names no field, a field type that cannot be a key
// part, character and numeric parts mixed, or no part at all).
int ndx_key_layout_of(const char *expr, ndx_records &src, ndx_key_layout *out, const char **bad_part);

// The key layout of an open index over a table, for keys made from its
// records: the parts its expression names, the key type and length its
// header gives.  0, or IE_NOKEY when a part names no field.
int ndx_key_layout_for(const ndx *ip, ndx_records &src, ndx_key_layout *out);

// The key of a record (out: exactly layout.len bytes): character parts
// back to back, cut or blank-padded to the key length; numeric and integer
// keys the sum of the parts' values.
void ndx_make_key(const ndx_key_layout &kl, const unsigned char *record, unsigned char *out);

// The work file of a build: the index path with the text after the last
// '.' of its file name replaced by `ext` (appended after a '.' when the
// name has none).
void ndx_work_path(const char *index_path, const char *ext, char *out, unsigned size);

// Fills the index file completely from the records.  False when the build
// stopped after an ISAM report (its work files are removed then).
bool ndx_build(ndx *ip, ndx_records &src);
