// zudb: a command-line front end over the zdb exports of ZUDBTOOL.
//
//   zudb create T.DBF                     create T.DBF from T.FIELD
//   zudb info T.DBF                       fields, record count, creation stamp
//   zudb list T.DBF                       one record a line, fields separated by commas
//   zudb append T.DBF NAME=VALUE...       append a record
//   zudb update T.DBF RECNO NAME=VALUE... change fields of record RECNO
//   zudb delete T.DBF RECNO               remove record RECNO (the last record takes its place)
//   zudb indexes T.DBF                    the open indexes: key expression, key type, unique flag
//   zudb reindex T.DBF                    rebuild every index of the table
//   zudb seek T.DBF KEY [KEY...] [--index EXPR]
//                                         the records whose leading key parts are the KEYs
//                                         (each blank-padded to its field's width)
//
// Texts are Shift-JIS.  With --utf8 the output is converted to UTF-8 and the
// NAME=VALUE arguments are read as UTF-8.  A report of the engine goes to
// standard error and ends the program with exit code 1.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "base/report.h"
#include "zudbtool.h"

namespace {

bool g_utf8 = false;

const char USAGE[] =
    "usage: zudb COMMAND TABLE [ARGS...] [--utf8]\n"
    "  create T.DBF                      create T.DBF from its definition file T.FIELD\n"
    "  info T.DBF                        fields, kinds, lengths, record count, creation stamp\n"
    "  list T.DBF                        one record a line, fields separated by commas\n"
    "  append T.DBF NAME=VALUE...        append a record\n"
    "  update T.DBF RECNO NAME=VALUE...  change fields of record RECNO\n"
    "  delete T.DBF RECNO                remove record RECNO (the last record moves into its place)\n"
    "  indexes T.DBF                     each index: number, key expression, key type, unique flag, file\n"
    "  reindex T.DBF                     rebuild every index of the table\n"
    "  seek T.DBF KEY [KEY...] [--index EXPR]\n"
    "                                    print the records whose leading key parts are the KEYs, each\n"
    "                                    blank-padded to its field's width, in the first index (or the\n"
    "                                    index whose key expression is EXPR); exit code 1 when none\n"
    "  --utf8                            print UTF-8 and read NAME=VALUE as UTF-8 (texts are Shift-JIS otherwise)\n"
    "  --help                            this text\n";

struct failure {
    std::string text;  // Shift-JIS
};

// Shift-JIS text for the terminal.
std::string out_text(const char *sjis, bool convert) {
    if (!sjis) return "";
    if (!convert) return sjis;
    std::vector<char> buf(std::strlen(sjis) * 3 + 1);
    zp::sjis_to_utf8(sjis, buf.data(), buf.size());
    return buf.data();
}

void print(const char *sjis) { std::fputs(out_text(sjis, g_utf8).c_str(), stdout); }

// An argument as the engine wants it (Shift-JIS).
std::string in_text(const char *arg) {
    if (!g_utf8) return arg;
    std::vector<char> buf(std::strlen(arg) * 2 + 1);
    if (!zp::utf8_to_sjis(arg, buf.data(), buf.size())) throw failure{std::string("no Shift-JIS form: ") + arg};
    return buf.data();
}

[[noreturn]] void fail(const std::string &text) { throw failure{text}; }

int to_recno(const char *text) {
    char *end = nullptr;
    long v = std::strtol(text, &end, 10);
    if (!*text || *end || v < 1 || v > 0x7FFFFFFF) fail(std::string("not a record number: ") + text);
    return static_cast<int>(v);
}

// Opens the table (with its indexes, so that they follow every change).
void *open(const char *path) {
    void *h = zu_call([&] { return zdbOpenTable(path, nullptr); });
    if (!h) fail(std::string("cannot open ") + path);
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

void store_pairs(void *h, char **args, int n) {
    for (int i = 0; i < n; ++i) {
        std::string pair = in_text(args[i]);
        std::size_t eq = pair.find('=');
        if (eq == std::string::npos || eq == 0) fail(std::string("not NAME=VALUE: ") + args[i]);
        std::string name = pair.substr(0, eq), value = pair.substr(eq + 1);
        if (!zu_call([&] { return zdbIsFieldExist(h, name.c_str()); })) fail("no field " + name);
        if (zu_call([&] { return zdbSS(h, name.c_str(), value.c_str()); }) == 1)
            std::fprintf(stderr, "zudb: %s: value cut to the field length\n", out_text(name.c_str(), g_utf8).c_str());
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
    if (!h) fail(std::string("cannot create ") + path);
    int n = zu_call([&] { return zdbGetNField(h); });
    zu_call([&] { return zdbClose(h); });
    std::printf("created %s: %d fields\n", out_text(path, g_utf8).c_str(), n);
    return 0;
}

int cmd_info(const char *path) {
    table t(path);
    void *h = t.h;
    std::printf("table:   %s\n", out_text(zu_call([&] { return zdbGetDBFPathFileName(h); }), g_utf8).c_str());
    std::printf("records: %d\n", zu_call([&] { return zdbRecordCount(h); }));
    if (zu_call([&] { return zdbIsOldTable(h); }))
        std::printf("created: (old table: no creation stamp)\n");
    else
        std::printf("created: %s\n", zu_call([&] { return zdbGetTableCreateDate(h); }));
    int n = zu_call([&] { return zdbGetNField(h); });
    std::printf("fields:  %d\n", n);
    static const char *kinds[] = {"- (other program)", "A (text)", "N (number)", "@ (text 24)"};
    for (int i = 1; i <= n; ++i) {
        const char *name = zu_call([&] { return zdbGetFieldName(h, i); });
        int len = zu_call([&] { return zdbGetFieldLength(h, name); });
        int kind = zu_call([&] { return zdbGetFieldType(h, name); });
        std::string shown = out_text(name, g_utf8);
        std::printf("  %3d  %-12s length %5d  kind %d %s\n", i, shown.c_str(), len, kind,
                    kind >= 0 && kind <= 3 ? kinds[kind] : "");
    }
    t.close();
    return 0;
}

// One record as a line: fields separated by commas.
std::string record_line(void *h, const std::vector<std::string> &names) {
    std::string line;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i) line += ',';
        line += zu_call([&] { return zdbGS(h, names[i].c_str()); });
    }
    return line + '\n';
}

std::vector<std::string> field_names(void *h) {
    int n = zu_call([&] { return zdbGetNField(h); });
    std::vector<std::string> names;
    for (int i = 1; i <= n; ++i) names.push_back(zu_call([&] { return zdbGetFieldName(h, i); }));
    return names;
}

int cmd_list(const char *path) {
    table t(path);
    void *h = t.h;
    std::vector<std::string> names = field_names(h);
    zu_call([&] { return zdbChgIndexByNo(h, 0); });  // record-number order
    zu_call([&] { return zdbTop(h); });
    while (!zu_call([&] { return zdbEof(h); })) {
        print(record_line(h, names).c_str());
        if (!zu_call([&] { return zdbSkip(h, 1); })) break;
    }
    t.close();
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
        std::printf("  %2d  %-24s type %d (%s)  %s  %s\n", i, out_text(expr.c_str(), g_utf8).c_str(), type,
                    type >= 0 && type <= 2 ? types[type] : "unknown", unique ? "unique" : "duplicates",
                    out_text(file.c_str(), g_utf8).c_str());
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
    if (!zu_call([&] { return zdbGetNIndex(h); })) fail(std::string("the table has no index: ") + path);
    if (!index.empty()) zu_call([&] { return zdbChgIndex(h, index.c_str()); });
    std::vector<std::string> names = field_names(h);
    zdbSeekReset();
    for (auto &k : keys) zu_call([&] { return zdbSSKey(h, k.c_str()); });
    int found = 0;
    if (zu_call([&] { return zdbSeekFirst(h); })) {
        do {
            ++found;
            std::printf("%d:", zu_call([&] { return zdbRecordNo(h); }));
            print(record_line(h, names).c_str());
        } while (zu_call([&] { return zdbSeekNext(h); }));
    }
    t.close();
    std::printf("found %d\n", found);
    return found ? 0 : 1;
}

int cmd_append(const char *path, char **args, int n) {
    table t(path);
    zu_call([&] { return zdbClearBuf(t.h); });
    store_pairs(t.h, args, n);
    if (zu_call([&] { return zdbAppend(t.h); }) == 1) fail("not appended: the key exists in a unique index");
    int rno = zu_call([&] { return zdbRecordNo(t.h); });
    t.close();
    std::printf("appended record %d\n", rno);
    return 0;
}

int cmd_update(const char *path, const char *recno, char **args, int n) {
    int rno = to_recno(recno);
    table t(path);
    go_to(t.h, rno);
    store_pairs(t.h, args, n);
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

}  // namespace

int main(int argc, char **argv) {
    std::vector<char *> args;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--utf8") == 0)
            g_utf8 = true;
        else if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(USAGE, stdout);
            return 0;
        } else
            args.push_back(argv[i]);
    }
    // Reports are printed as UTF-8 on a POSIX terminal.
#ifdef _WIN32
    const bool report_utf8 = g_utf8;
#else
    const bool report_utf8 = true;
#endif
    try {
        std::size_t n = args.size();
        std::string cmd = n ? args[0] : "";
        if (cmd == "create" && n == 2) return cmd_create(args[1]);
        if (cmd == "info" && n == 2) return cmd_info(args[1]);
        if (cmd == "list" && n == 2) return cmd_list(args[1]);
        if (cmd == "append" && n >= 3) return cmd_append(args[1], args.data() + 2, static_cast<int>(n - 2));
        if (cmd == "update" && n >= 4) return cmd_update(args[1], args[2], args.data() + 3, static_cast<int>(n - 3));
        if (cmd == "delete" && n == 3) return cmd_delete(args[1], args[2]);
        if (cmd == "indexes" && n == 2) return cmd_indexes(args[1]);
        if (cmd == "reindex" && n == 2) return cmd_reindex(args[1]);
        if (cmd == "seek" && n >= 3) return cmd_seek(args[1], args.data() + 2, static_cast<int>(n - 2));
        std::fputs(USAGE, stderr);
        return 1;
    } catch (char *m) {
        std::fprintf(stderr, "zudb: %s\n", out_text(m, report_utf8).c_str());
    } catch (const failure &f) {
        std::fprintf(stderr, "zudb: %s\n", out_text(f.text.c_str(), report_utf8).c_str());
    }
    return 1;
}
