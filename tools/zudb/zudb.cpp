// zudb: a command-line front end over the zdb exports of ZUDBTOOL.  The
// commands and switches are in COMMANDS and SWITCHES below; `zudb --help`
// prints them.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "base/base.h"
#include "tools/common/tool.h"
#include "zudbtool.h"

namespace {

// The terminal's texts: UTF-8 in a UTF-8 locale (or with --utf8), converted
// from and to the engine's Shift-JIS here; Shift-JIS bytes as they are
// otherwise (or with --sjis).
bool g_utf8 = false;
// --utf8 was given on the command line: then files written for other
// programs are UTF-8 too.
bool g_utf8_asked = false;
// The user's locale is UTF-8: then paths (names of files, passed to the system
// as they are) are UTF-8 too.
bool g_locale_utf8 = false;
// Reports on standard error are UTF-8 (always on POSIX, for the person at the
// terminal).
bool g_report_utf8 = false;

// Where a text comes from, which tells its encoding: the engine's texts are
// Shift-JIS, arguments are in the terminal's encoding, paths in the locale's.
enum source { ENGINE, ARG, PATH };

// A text as shown on standard output (`to_utf8` g_utf8) or standard error
// (g_report_utf8): Shift-JIS becomes UTF-8 where UTF-8 is wanted.
std::string shown(const char *text, source from, bool to_utf8) {
    if (!text) return "";
    bool is_utf8 = from == ARG ? g_utf8 : from == PATH && g_locale_utf8;
    return to_utf8 && !is_utf8 ? zu_utf8_of(text) : text;
}
std::string out(const char *text, source from = ENGINE) { return shown(text, from, g_utf8); }
std::string said(const char *text, source from = ENGINE) { return shown(text, from, g_report_utf8); }

void print(const char *sjis) { std::fputs(out(sjis).c_str(), stdout); }

struct failure {
    std::string text;  // as standard error shows it
};

// An argument as the engine wants it (Shift-JIS).  A text with a character
// that Shift-JIS cannot hold is refused before any table is opened.
std::string in_text(const char *arg) {
    if (!g_utf8) return arg;
    std::vector<char> buf(std::strlen(arg) * 2 + 1);
    if (!zp::utf8_to_sjis(arg, buf.data(), buf.size()))
        throw failure{said(arg, ARG) +
                      ": refused: a character has no Shift-JIS form (arguments are read as UTF-8; --sjis "
                      "passes Shift-JIS bytes as they are)"};
    return buf.data();
}

[[noreturn]] void fail(const std::string &text) { throw failure{text}; }

int to_recno(const char *text) {
    char *end = nullptr;
    long v = std::strtol(text, &end, 10);
    if (!*text || *end || v < 1 || v > 0x7FFFFFFF) fail("not a record number: " + said(text, ARG));
    return static_cast<int>(v);
}

// Opens the table (with its indexes, so that they follow every change).
void *open(const char *path) {
    void *h = zu_call([&] { return zdbOpenTable(path, nullptr); });
    if (!h) fail("cannot open " + said(path, PATH));
    return h;
}

struct table {
    void *h;
    explicit table(const char *path) : h(open(path)) {}
    ~table() {
        if (!h) return;
        try {
            zu_call([&] { return zdbClose(h); });
        } catch (char *) {
        }
    }
    void close() {
        void *x = h;
        h = nullptr;
        zu_call([&] { return zdbClose(x); });
    }
};

// NAME=VALUE arguments as the engine wants them, read before the table opens.
using pairs = std::vector<std::pair<std::string, std::string>>;
pairs read_pairs(char **args, int n) {
    pairs out;
    for (int i = 0; i < n; ++i) {
        std::string pair = in_text(args[i]);
        std::size_t eq = pair.find('=');
        if (eq == std::string::npos || eq == 0) fail("not NAME=VALUE: " + said(args[i], ARG));
        out.emplace_back(pair.substr(0, eq), pair.substr(eq + 1));
    }
    return out;
}

void store_pairs(void *h, const pairs &values) {
    for (auto &v : values) {
        const char *name = v.first.c_str();
        if (!zu_call([&] { return zdbIsFieldExist(h, name); })) fail("no field " + said(name));
        if (zu_call([&] { return zdbSS(h, name, v.second.c_str()); }) == 1)
            std::fprintf(stderr, "zudb: %s: value cut to the field length\n", said(name).c_str());
    }
}

// Puts the table on record `rno` with the record loaded.
void go_to(void *h, int rno) {
    int count = zu_call([&] { return zdbRecordCount(h); });
    if (rno > count) fail("no record " + std::to_string(rno) + " (the table has " + std::to_string(count) + ")");
    zu_call([&] { return zdbSetRecordNo(h, rno); });
    zu_call([&] { return zdbSkip(h, 0); });
}

int cmd_create(const char *path) {
    void *h = zu_call([&] { return zdbCreateTable(path); });
    if (!h) fail("cannot create " + said(path, PATH));
    int n = zu_call([&] { return zdbGetNField(h); });
    zu_call([&] { return zdbClose(h); });
    std::printf("created %s: %d fields\n", out(path, PATH).c_str(), n);
    return 0;
}

// A value as spreadsheet programs read it: in double quotes (each quote
// doubled) when it holds a comma, a quote or a line end.
std::string csv_value(const std::string &v) {
    if (v.find_first_of(",\"\r\n") == std::string::npos) return v;
    std::string q = "\"";
    for (char c : v) q += c == '"' ? std::string("\"\"") : std::string(1, c);
    return q + '"';
}

// The fields of an open table as the tool reads its records: names, lengths
// and type letters.  Values are cut from the whole record, which holds any
// field a dBASE III table can have (numbers of every width too, which the
// field reads of the engine refuse above 8 bytes).
struct layout {
    std::vector<std::string> names;
    std::vector<int> lens;
    std::string types;  // type letters from the descriptors, '?' when unread
    std::size_t width = 0;
};

layout layout_of(void *h, const char *path) {
    layout l;
    int n = zu_call([&] { return zdbGetNField(h); });
    for (int i = 1; i <= n; ++i) {
        l.names.push_back(zu_call([&] { return zdbGetFieldName(h, i); }));
        l.lens.push_back(zu_call([&] { return zdbGetFieldLength(h, l.names.back().c_str()); }));
        l.width += static_cast<std::size_t>(l.lens.back());
    }
    l.types.assign(static_cast<std::size_t>(n), '?');
    if (FILE *f = std::fopen(path, "rb")) {
        std::vector<unsigned char> head(32 + 32 * static_cast<std::size_t>(n));
        if (std::fread(head.data(), 1, head.size(), f) == head.size())
            for (int i = 0; i < n; ++i) l.types[static_cast<std::size_t>(i)] = static_cast<char>(head[32 + 32 * i + 11]);
        std::fclose(f);
    }
    return l;
}

// The values of the current record: numbers without their blanks on either
// side, other fields without trailing blanks (or NUL bytes that some programs
// pad with).
std::vector<std::string> record_values(void *h, const layout &l) {
    const char *rec = zu_call([&] { return zdbGetRecord(h); });
    std::string all(rec, l.width);  // the record without its flag byte
    std::vector<std::string> values;
    std::size_t at = 0;
    for (std::size_t i = 0; i < l.lens.size(); ++i) {
        std::string v = all.substr(at, static_cast<std::size_t>(l.lens[i]));
        at += static_cast<std::size_t>(l.lens[i]);
        v.erase(v.find_last_not_of(std::string(" \0", 2)) + 1);
        if (l.types[i] == 'N' || l.types[i] == 'F') v.erase(0, v.find_first_not_of(' '));
        values.push_back(v);
    }
    return values;
}

// One record as a line: fields separated by commas (quoted as CSV wants
// them with `csv`).
std::string record_line(void *h, const layout &l, bool csv = false) {
    std::string line;
    std::vector<std::string> values = record_values(h, l);
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i) line += ',';
        line += csv ? csv_value(values[i]) : values[i];
    }
    return line + '\n';
}

int cmd_info(const char *path) {
    table t(path);
    void *h = t.h;
    std::printf("table:   %s\n", out(zu_call([&] { return zdbGetDBFPathFileName(h); }), PATH).c_str());
    std::printf("records: %d\n", zu_call([&] { return zdbRecordCount(h); }));
    if (zu_call([&] { return zdbIsOldTable(h); }))
        std::printf("created: (old table: no creation stamp)\n");
    else
        std::printf("created: %s\n", zu_call([&] { return zdbGetTableCreateDate(h); }));
    layout l = layout_of(h, path);
    std::printf("fields:  %d\n", static_cast<int>(l.names.size()));
    static const char *kinds[] = {"- (other program)", "A (text)", "N (number)", "@ (text 24)"};
    for (std::size_t i = 0; i < l.names.size(); ++i) {
        const char *name = l.names[i].c_str();
        int kind = zu_call([&] { return zdbGetFieldType(h, name); });
        std::string shown = out(name);
        std::printf("  %3d  %-12s length %5d  type %c  kind %d %s\n", static_cast<int>(i + 1), shown.c_str(), l.lens[i],
                    l.types[i], kind, kind >= 0 && kind <= 3 ? kinds[kind] : "");
    }
    t.close();
    return 0;
}

// The words of a command apart from its switches: `flags` are switches
// alone, `valued` take the next word; what they were given is in `given`.
struct words {
    std::vector<char *> plain;
    std::vector<std::pair<std::string, std::string>> given;
    words(char **args, int n, std::vector<const char *> flags, std::vector<const char *> valued) {
        for (int i = 0; i < n; ++i) {
            bool known = false;
            for (const char *f : flags)
                if (std::strcmp(args[i], f) == 0) known = true, given.emplace_back(f, "");
            for (const char *v : valued)
                if (std::strcmp(args[i], v) == 0) {
                    if (i + 1 >= n) fail(std::string(v) + " needs a value");
                    known = true;
                    given.emplace_back(v, in_text(args[++i]));
                }
            if (!known) {
                if (args[i][0] == '-' && args[i][1] == '-') fail("unknown switch " + said(args[i], ARG));
                plain.push_back(args[i]);
            }
        }
    }
    bool has(const char *name) const { return value(name) != nullptr; }
    const std::string *value(const char *name) const {
        for (auto &g : given)
            if (g.first == name) return &g.second;
        return nullptr;
    }
    void need(std::size_t n) const {
        if (plain.size() != n) fail("expected " + std::to_string(n) + " paths, got " + std::to_string(plain.size()));
    }
};

int cmd_list(char **args, int n) {
    words w(args, n, {"--csv"}, {});
    w.need(1);
    table t(w.plain[0]);
    void *h = t.h;
    layout l = layout_of(h, w.plain[0]);
    zu_call([&] { return zdbChgIndexByNo(h, 0); });  // record-number order
    zu_call([&] { return zdbTop(h); });
    while (!zu_call([&] { return zdbEof(h); })) {
        print(record_line(h, l, w.has("--csv")).c_str());
        if (!zu_call([&] { return zdbSkip(h, 1); })) break;
    }
    t.close();
    return 0;
}

int cmd_pack(const char *path) {
    table t(path);
    zu_call([&] { return zdbPack(t.h); });
    int left = zu_call([&] { return zdbRecordCount(t.h); });
    t.close();
    std::printf("packed: %d records\n", left);
    return 0;
}

int cmd_sort(char **args, int n) {
    words w(args, n, {}, {"--index"});
    w.need(1);
    table t(w.plain[0]);
    void *h = t.h;
    if (!zu_call([&] { return zdbGetNIndex(h); })) fail("the table has no index: " + said(w.plain[0], PATH));
    if (const std::string *index = w.value("--index")) zu_call([&] { return zdbChgIndex(h, index->c_str()); });
    int left_out = zu_call([&] { return zdbSort(h, nullptr); });
    int count = zu_call([&] { return zdbRecordCount(h); });
    t.close();
    std::printf("sorted: %d records, %d left out (key taken in a unique index)\n", count, left_out);
    return 0;
}

// Whether Shift-JIS text becomes UTF-8 without a byte given up: the
// conversion puts '?' in place of each byte it cannot convert.
bool converts(const std::string &sjis, std::string &utf8) {
    utf8 = zu_utf8_of(sjis.c_str());
    return sjis.find('\0') == std::string::npos &&
           std::count(utf8.begin(), utf8.end(), '?') == std::count(sjis.begin(), sjis.end(), '?');
}

// The comma text of the table as zdbExport writes it (each value followed
// by a comma, CR LF at the end of each line, the field names first with
// `header`), read through the whole record so that every valid table can be
// exported.
std::string comma_text(void *h, const layout &l, bool header) {
    std::string text;
    if (header) {
        for (const std::string &name : l.names) text += (g_utf8_asked ? zu_utf8_of(name.c_str()) : name) + ',';
        text += "\r\n";
    }
    zu_call([&] { return zdbTop(h); });
    while (!zu_call([&] { return zdbEof(h); })) {
        std::vector<std::string> values = record_values(h, l);
        for (std::size_t i = 0; i < values.size(); ++i) {
            std::string utf8;
            if (g_utf8_asked && !converts(values[i], utf8))
                fail("record " + std::to_string(zu_call([&] { return zdbRecordNo(h); })) + ", field " +
                     said(l.names[i].c_str()) +
                     ": bytes that are not Shift-JIS text; nothing written (without --utf8 the values are "
                     "written as the table holds them)");
            text += (g_utf8_asked ? utf8 : values[i]) + ',';
        }
        text += "\r\n";
        if (!zu_call([&] { return zdbSkip(h, 1); })) break;
    }
    return text;
}

void write_file(const char *file, const std::string &text, bool append) {
    FILE *f = std::fopen(file, append ? "ab" : "wb");
    bool ok = f && std::fwrite(text.data(), 1, text.size(), f) == text.size();
    if (f && std::fclose(f) != 0) ok = false;
    if (!ok) fail("cannot write " + said(file, PATH));
}

int cmd_export(char **args, int n) {
    words w(args, n, {"--header", "--append", "--sdf"}, {});
    w.need(2);
    table t(w.plain[0]);
    void *h = t.h;
    const char *file = w.plain[1];
    zu_call([&] { return zdbChgIndexByNo(h, 0); });  // record-number order
    if (w.has("--sdf") && g_utf8_asked)
        fail("--sdf writes the records' bytes as they are (their widths are counted in bytes): not with --utf8");
    if (w.has("--sdf"))
        zu_call([&] { return zdbExportSDF(h, file); });
    else
        write_file(file, comma_text(h, layout_of(h, w.plain[0]), w.has("--header")), w.has("--append"));
    int count = zu_call([&] { return zdbRecordCount(h); });
    t.close();
    std::printf("exported %d records\n", count);
    return 0;
}

int cmd_import(char **args, int n) {
    words w(args, n, {"--sdf"}, {"--delimiter"});
    w.need(2);
    table t(w.plain[0]);
    void *h = t.h;
    const char *file = w.plain[1];
    const std::string *sep = w.value("--delimiter");
    int refused = w.has("--sdf") ? zu_call([&] { return zdbImportSDF(h, file); })
                                 : zu_call([&] { return zdbImport(h, file, sep ? sep->c_str() : nullptr); });
    int count = zu_call([&] { return zdbRecordCount(h); });
    t.close();
    std::printf("imported: %d records, %d refused\n", count, refused);
    return 0;
}

int cmd_copy(char **args, int n) {
    words w(args, n, {"--clear"}, {});
    w.need(2);
    zu_call([&] { return zdbCopyTableStatic(w.plain[0], w.plain[1], w.has("--clear")); });
    std::printf("copied\n");
    return 0;
}

int cmd_clone(const char *from, const char *to) {
    zu_call([&] { return zdbCloneStatic(from, to); });
    std::printf("cloned\n");
    return 0;
}

int cmd_cleanup(const char *path) {
    if (zu_call([&] { return zdbCleanUp(path); }) != 0) fail("nothing to clean up: " + said(path, PATH));
    std::printf("removed the table, its indexes and its definition files\n");
    return 0;
}

// The key type in an index file's header (bytes 16-17), -1 when unreadable.
int key_type_of(const char *index_path) {
    FILE *f = std::fopen(index_path, "rb");
    if (!f) return -1;
    unsigned char h[18];
    int type = std::fread(h, 1, sizeof h, f) == sizeof h ? h[16] | (h[17] << 8) : -1;
    std::fclose(f);
    return type;
}

int cmd_indexes(const char *path) {
    table t(path);
    void *h = t.h;
    int n = zu_call([&] { return zdbGetNIndex(h); });
    std::printf("indexes: %d\n", n);
    static const char *types[] = {"character", "numeric", "integer"};
    for (int i = 1; i <= n; ++i) {
        std::string expr = zu_call([&] { return zdbChgIndexByNo(h, i); });
        std::string file = zu_call([&] { return zdbGetIndexPathFileName(h); });
        int unique = zu_call([&] { return zdbIsUniqIndex(h, nullptr); });
        int type = key_type_of(file.c_str());
        std::printf("  %2d  %-24s type %d (%s)  %s  %s\n", i, out(expr.c_str()).c_str(), type,
                    type >= 0 && type <= 2 ? types[type] : "unknown", unique ? "unique" : "duplicates",
                    out(file.c_str(), PATH).c_str());
    }
    t.close();
    return 0;
}

int cmd_reindex(const char *path) {
    table t(path);
    int n = zu_call([&] { return zdbGetNIndex(t.h); });
    zu_call([&] { return zdbReIndex(t.h); });
    t.close();
    std::printf("rebuilt %d indexes\n", n);
    return 0;
}

int cmd_seek(const char *path, char **args, int n) {
    std::vector<std::string> keys;
    std::string index;
    for (int i = 0; i < n; ++i) {
        if (std::strcmp(args[i], "--index") == 0) {
            if (i + 1 >= n) fail("--index needs a key expression");
            index = in_text(args[++i]);
        } else {
            keys.push_back(in_text(args[i]));
        }
    }
    if (keys.empty()) fail("no key given");
    table t(path);
    void *h = t.h;
    if (!zu_call([&] { return zdbGetNIndex(h); })) fail("the table has no index: " + said(path, PATH));
    if (!index.empty()) zu_call([&] { return zdbChgIndex(h, index.c_str()); });
    layout l = layout_of(h, path);
    zdbSeekReset();
    for (auto &k : keys) zu_call([&] { return zdbSSKey(h, k.c_str()); });
    int found = 0;
    if (zu_call([&] { return zdbSeekFirst(h); })) {
        do {
            ++found;
            std::printf("%d:", zu_call([&] { return zdbRecordNo(h); }));
            print(record_line(h, l).c_str());
        } while (zu_call([&] { return zdbSeekNext(h); }));
    }
    t.close();
    std::printf("found %d\n", found);
    return found ? 0 : 1;
}

int cmd_append(const char *path, char **args, int n) {
    pairs values = read_pairs(args, n);
    table t(path);
    zu_call([&] { return zdbClearBuf(t.h); });
    store_pairs(t.h, values);
    if (zu_call([&] { return zdbAppend(t.h); }) == 1) fail("not appended: the key exists in a unique index");
    int rno = zu_call([&] { return zdbRecordNo(t.h); });
    t.close();
    std::printf("appended record %d\n", rno);
    return 0;
}

int cmd_update(const char *path, const char *recno, char **args, int n) {
    int rno = to_recno(recno);
    pairs values = read_pairs(args, n);
    table t(path);
    go_to(t.h, rno);
    store_pairs(t.h, values);
    if (zu_call([&] { return zdbUpdate(t.h); }) == 1) fail("not updated: the key exists in a unique index");
    t.close();
    std::printf("updated record %d\n", rno);
    return 0;
}

int cmd_delete(const char *path, const char *recno) {
    int rno = to_recno(recno);
    table t(path);
    go_to(t.h, rno);
    zu_call([&] { return zdbDeleteRecord(t.h, 1); });
    int left = zu_call([&] { return zdbRecordCount(t.h); });
    t.close();
    std::printf("deleted record %d, %d left\n", rno, left);
    return 0;
}

// The commands: the words after the command (the table first), how many
// there are (max -1: no limit), and what the command does.
struct command {
    const char *name;
    const char *words;
    int min, max;
    int (*run)(char **args, int n);
    const char *text;
};

const command COMMANDS[] = {
    {"create", "T.DBF", 1, 1, [](char **a, int) { return cmd_create(a[0]); },
     "create T.DBF from its definition file T.FIELD"},
    {"info", "T.DBF", 1, 1, [](char **a, int) { return cmd_info(a[0]); },
     "fields, kinds, lengths, record count, creation stamp"},
    {"list", "T.DBF [--csv]", 1, 2, cmd_list,
     "one record a line, fields separated by commas (with --csv a value holding a comma, a quote or a line end "
     "is quoted as spreadsheet programs read it)"},
    {"append", "T.DBF NAME=VALUE...", 2, -1, [](char **a, int n) { return cmd_append(a[0], a + 1, n - 1); },
     "append a record"},
    {"update", "T.DBF RECNO NAME=VALUE...", 3, -1,
     [](char **a, int n) { return cmd_update(a[0], a[1], a + 2, n - 2); }, "change fields of record RECNO"},
    {"delete", "T.DBF RECNO", 2, 2, [](char **a, int) { return cmd_delete(a[0], a[1]); },
     "remove record RECNO (the last record moves into its place)"},
    {"indexes", "T.DBF", 1, 1, [](char **a, int) { return cmd_indexes(a[0]); },
     "each index: number, key expression, key type, unique flag, file"},
    {"reindex", "T.DBF", 1, 1, [](char **a, int) { return cmd_reindex(a[0]); }, "rebuild every index of the table"},
    {"seek", "T.DBF KEY [KEY...] [--index EXPR]", 2, -1, [](char **a, int n) { return cmd_seek(a[0], a + 1, n - 1); },
     "print the records whose leading key parts are the KEYs, each blank-padded to its field's width, in the "
     "first index (or the index whose key expression is EXPR); exit code 1 when none"},
    {"pack", "T.DBF", 1, 1, [](char **a, int) { return cmd_pack(a[0]); },
     "leave out the records marked deleted and rebuild every index"},
    {"sort", "T.DBF [--index EXPR]", 1, 3, cmd_sort,
     "rewrite the table in the order of its first index (or of EXPR); a record whose key a unique index already "
     "holds is left out"},
    {"export", "T.DBF FILE [--header] [--append] [--sdf]", 2, 5, cmd_export,
     "write the records as comma text (each value followed by a comma, Shift-JIS; UTF-8 when --utf8 is given, "
     "refused when a value has bytes that do not convert), with the field names first (--header), added to FILE "
     "(--append), or as fixed-width lines (--sdf, Shift-JIS only)"},
    {"import", "T.DBF FILE [--delimiter D] [--sdf]", 2, 5, cmd_import,
     "replace the records by the lines of FILE: comma text (or values separated by D) with quotes taken off, or "
     "fixed-width lines (--sdf)"},
    {"copy", "SRC.DBF DST.DBF [--clear]", 2, 3, cmd_copy,
     "add the records of SRC.DBF to DST.DBF field by field by name (--clear empties DST.DBF first)"},
    {"clone", "SRC.DBF DST.DBF", 2, 2, [](char **a, int) { return cmd_clone(a[0], a[1]); },
     "copy the table and its indexes under the new name"},
    {"cleanup", "T.DBF", 1, 1, [](char **a, int) { return cmd_cleanup(a[0]); },
     "delete the table, its indexes, its index list and its definition file"},
};

// The switches, allowed anywhere on the line: the texts' encoding (the last
// one given counts), or the usage text.
enum switch_kind { AS_UTF8, AS_SJIS, HELP, VERSION };
struct switch_text {
    const char *name;
    switch_kind kind;
    const char *text;  // null: an alias, not listed
};
const switch_text SWITCHES[] = {
    {"--utf8", AS_UTF8,
     "texts are UTF-8: printed as UTF-8, and NAME=VALUE, KEY and EXPR read as UTF-8 and stored as "
     "Shift-JIS (the default in a UTF-8 locale)"},
    {"--sjis", AS_SJIS, "texts are Shift-JIS bytes as they are, both ways (the default in other locales)"},
    {"--help", HELP, "this text"},
    {"--version", VERSION, "the version"},
    {"-h", HELP, nullptr},
};

// One entry of the usage text: the syntax, then the text wrapped into a
// column of its own.
void usage_entry(std::string &out, const std::string &syntax, const char *text) {
    const std::size_t col = 36, width = 100;
    out += "  " + syntax;
    std::size_t at = 2 + syntax.size();
    if (at + 2 > col) {
        out += '\n';
        at = 0;
    }
    std::string rest = text;
    while (!rest.empty()) {
        out.append(col - at, ' ');
        std::size_t cut = rest.size();
        if (cut > width - col) {
            cut = rest.rfind(' ', width - col);
            if (cut == std::string::npos || cut == 0) cut = width - col;
        }
        out += rest.substr(0, cut) + '\n';
        rest.erase(0, rest[cut] == ' ' ? cut + 1 : cut);
        at = 0;
    }
}

std::string usage() {
    std::string out = "usage: zudb COMMAND TABLE [ARGS...] [--utf8 | --sjis]\n";
    for (const command &c : COMMANDS) usage_entry(out, std::string(c.name) + ' ' + c.words, c.text);
    for (const switch_text &s : SWITCHES)
        if (s.text) usage_entry(out, s.name, s.text);
    out += "Paths are passed to the system as they are.  A value with a character that Shift-JIS cannot hold is\n"
           "refused before the table is opened, so nothing is written.  A report of the table engine or a\n"
           "refused argument goes to standard error (as UTF-8 on Linux) with exit code 1.\n";
    return out;
}

}  // namespace

int main(int argc, char **argv) {
    g_locale_utf8 = zp::use_user_locale();
    bool utf8 = g_locale_utf8;
    std::vector<char *> args;
    for (int i = 1; i < argc; ++i) {
        const switch_text *sw = nullptr;
        for (const switch_text &s : SWITCHES)
            if (std::strcmp(argv[i], s.name) == 0) sw = &s;
        if (!sw) {
            args.push_back(argv[i]);
        } else if (sw->kind == HELP || sw->kind == VERSION) {
            zu_tool_answers(sw->kind == HELP ? "--help" : "--version", "zudb", usage());
            return 0;
        } else {
            utf8 = sw->kind == AS_UTF8;
            g_utf8_asked = utf8;
        }
    }
    g_utf8 = utf8;
    // What the engine prints itself follows the same choice.
    if (g_utf8 != g_locale_utf8) zp::set_locale_utf8(g_utf8);
#ifdef _WIN32
    g_report_utf8 = g_utf8;
#else
    g_report_utf8 = true;
#endif
    try {
        int n = static_cast<int>(args.size()) - 1;
        for (const command &c : COMMANDS)
            if (n >= 1 && std::strcmp(args[0], c.name) == 0 && n >= c.min && (c.max < 0 || n <= c.max))
                return c.run(args.data() + 1, n);
        std::fputs(usage().c_str(), stderr);
        return 1;
    } catch (char *m) {
        std::fprintf(stderr, "zudb: %s\n", said(m).c_str());
    } catch (const failure &f) {
        std::fprintf(stderr, "zudb: %s\n", f.text.c_str());
    }
    return 1;
}
