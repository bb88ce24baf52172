// Index keys: the key layout of an index (its parts, type and length),
// made once from a key expression over a table's fields, and the keys it
// makes from records and from seek texts.  The build, the upkeep of open
// indexes and the seeks all take their keys from here.
#pragma once

#include <vector>

#include "zudbtool/ndx.h"

// One field of the table, as keys need it.
struct ndx_field_desc {
    const char *name;  // NUL-terminated
    char type;         // type letter
    unsigned len;      // field length
    unsigned pos;      // position in the record (the deletion flag is byte 0)
};

// The fields of a table.
class ndx_fields {
public:
    virtual ~ndx_fields() = default;
    virtual int field_count() = 0;
    virtual ndx_field_desc field(int i) = 0;
};

// One part of a key expression.
struct ndx_key_part {
    int field;       // number of the field (0-based), -1 when the part names none
    char type;       // the field's type letter (0 for none)
    unsigned pos;    // the field's position in the record
    unsigned len;    // the field's length
    unsigned width;  // bytes the part takes in a character key: 8 for a D
                     // field, else the field's length (0 for none)
};

struct ndx_key_layout {
    int type = NDX_CHAR;  // NDX_CHAR, NDX_NUMERIC or NDX_INTEGER
    int len = 0;          // key length
    std::vector<ndx_key_part> parts;
    // Every part names a field: keys can be made.
    bool complete() const;
};

// The key layout an expression gives (the build's): the parts, and the
// key type and length their fields give.  0, or IE_IDXKEY: a part names no
// field (the layout then holds that part), a field type that cannot be a
// key part, character and numeric parts mixed, or no part at all.
// Upper case of a field name's single-byte letters; double-byte characters
// stay as they are.  Field names compare in upper case on both sides.
void ndx_upper_name(char *name);

int ndx_key_layout_of(const char *expr, ndx_fields &src, ndx_key_layout *out);

// The key layout of an open index: the parts its expression names, the key
// type and length its header gives.  0, or IE_NOKEY when a part names no
// field (the layout is filled all the same; it makes no keys).
int ndx_key_layout_for(const ndx *ip, ndx_fields &src, ndx_key_layout *out);

// The key of a record (out: exactly layout.len bytes): character parts
// back to back, cut or blank-padded to the key length; numeric and integer
// keys the sum of the parts' values.  False, nothing written, when a part
// names no field.
bool ndx_make_key(const ndx_key_layout &kl, const unsigned char *record, unsigned char *out);

// The key of a seek text (out: up to layout.len bytes) and the length to
// compare over: character keys the text's bytes, numeric and integer keys
// the text's value.
int ndx_text_key(const ndx_key_layout &kl, const char *text, unsigned char *out);
