// Byte escapes and the option parser of command lines.
//
// An argument that begins with `/` is an option: its second character is
// the letter (either case), the rest its value.  Every other argument is
// positional, numbered from 0 (the program); `\/` at its start stands for a
// leading `/`.  Option values and positional arguments from 1 on are
// decoded: byte escapes, then CR LF and `&DA` become LF.
#pragma once

constexpr int AV_MAX = 32;  // entries of each table

struct avtable {
    unsigned char flag[AV_MAX];  // option given, by letter - 'A'
    char *value[AV_MAX];         // option value, or null
    char *arg[AV_MAX];           // positional arguments, 0 the program
    unsigned len[AV_MAX];        // their lengths in bytes
    int last;                    // index of the last positional argument; -1 none
    int options;                 // option arguments seen
};

// Table index of an option letter (a-z, A-Z), or -1 for anything else.
int av_index(int letter);

// Clears the tables and parses the null-terminated argument list into them,
// decoding in place.  Positional arguments beyond the table are reported and
// dropped; an option whose letter is not a letter is reported and not stored.
// With program_first the first argument is the program (positional 0) even
// when it begins with `/`, as a POSIX program path does.
void avparm(char **args, avtable *t, bool program_first = false);

// Reads `count` hexadecimal digits (either case) at `digits`.  When one of
// them is not a hexadecimal digit (a terminator included) the text from
// `digits` on is reported and the result is false, with nothing read.
bool zu_hex_code(const char *digits, unsigned count, unsigned *value);

// The byte escapes, decoded in place: `0x` or `0X` and four hexadecimal
// digits give two bytes, `\x` or `\X` and two digits one byte; a backslash
// keeps the character after it from starting an escape.  Bad digits are
// reported and the two escape characters stay.  Returns text.
char *zu_read_escapes(char *text);
