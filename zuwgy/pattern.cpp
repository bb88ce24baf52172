// Pattern texts: the notation is compiled in place by fixed change tables
// run through the table rewriter, one step after the other; the order of
// the rows of each table is the escape grammar.  The compiled text is then
// cut into the record table.
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "base/base.h"
#include "zuwgy/wgy.h"

namespace {
using u16 = std::uint16_t;

constexpr u16 E = WGY_ESCAPE;

const char FORMAT1[] = "パターンファイルの %u 行目が，おかしいです(1)";
const char FORMAT2[] = "パターンファイルの %u 行目が，おかしいです(2)";
const char CONTINUE_ALONE[] =
    "チェンジパターン{CHGPTN}のない行 (%u 行目) にチェンジパターン継続{CNT}が入っています";
const char HEX_DIGITS[] = "\\x または 0x の後のコードが，おかしいので，16 進数変換をしません wa10toi()\n";
const char NO_MEMORY[] = "メモリが足りません (%u)  0x%8lX ZUALC(char,)";

// Step 1: escape characters.
const WJSLOT STEP1_FROM[] = {{'\\', '\\'}, {'\\'}, {0}};
const WJSLOT STEP1_TO[] = {{'\\'}, {E}};

// Step 2: hexadecimal escapes, line ends, wildcards and commands.
const WJSLOT STEP2_FROM[] = {
    {E, '0', 'x'}, {E, '0', 'X'}, {'0', 'x'}, {'0', 'X'}, {E, 'x'}, {E, 'X'}, {13, 10}, {10},
    {E, '?'}, {'?'}, {E, '['}, {'['}, {E, ']'}, {']'}, {E, '+'}, {'+'}, {E, '*'}, {'*'},
    {E, '{', 'C', 'H', 'G', 'P', 'T', 'N', '}'}, {E, '{', 'C', 'N', 'T', '}'},
    {'{', 'C', 'H', 'G', 'P', 'T', 'N', '}'}, {'{', 'C', 'N', 'T', '}'}, {0}};
const WJSLOT STEP2_TO[] = {
    {'0', 'x'}, {'0', 'X'}, {WGY_HEX4}, {WGY_HEX4}, {WGY_HEX2}, {WGY_HEX2}, {WGY_LINE_END}, {WGY_LINE_END},
    {'?'}, {WJ_ANY}, {'['}, {WJ_CLASS}, {']'}, {WJ_CLASS_END}, {'+'}, {WJ_PLUS}, {'*'}, {WJ_STAR},
    {'{', 'C', 'H', 'G', 'P', 'T', 'N', '}'}, {'{', 'C', 'N', 'T', '}'}, {WGY_CHANGE}, {WGY_CONTINUE}};

// Step 3: the pattern separator.
const WJSLOT STEP3_FROM[] = {{E, '_'}, {'_'}, {0}};
const WJSLOT STEP3_TO[] = {{'_'}, {WGY_SEPARATOR}};

// Step 4: inside character classes only.
const WJSLOT STEP4_FROM[] = {{E, '-'}, {'-'}, {E, '^'}, {'^'}, {0}};
const WJSLOT STEP4_TO[] = {{'-'}, {WJ_RANGE}, {'^'}, {WJ_NOT}};

// Step 5: named characters.
const WJSLOT STEP5_FROM[] = {{E, '&', 'D', 'A'}, {E, '&', 'S', 'P'}, {E, '&', 'J', 'S', 'P'}, {E, '&', 'T', 'A', 'B'},
                             {'&', 'D', 'A'},    {'&', 'S', 'P'},    {'&', 'J', 'S', 'P'},    {'&', 'T', 'A', 'B'},
                             {0}};
const WJSLOT STEP5_TO[] = {{'&', 'D', 'A'}, {'&', 'S', 'P'}, {'&', 'J', 'S', 'P'}, {'&', 'T', 'A', 'B'},
                           {10},            {' '},           {0x8140},             {9}};

// Step 7: a backslash before any other character stands for itself.
const WJSLOT STEP7_FROM[] = {{E}, {0}};
const WJSLOT STEP7_TO[] = {{'\\'}};

// The line counter of the last load (the option-text check names the line
// after it).
unsigned g_line = 0;

// A report that returned (the error routine set not to raise) still ends
// the load.
struct load_refused {};

[[noreturn]] void refuse(int cls, const char *format, ...) __attribute__((format(printf, 2, 3)));
void refuse(int cls, const char *format, ...) {
    va_list ap;
    va_start(ap, format);
    verr(cls, format, ap);
    va_end(ap);
    throw load_refused{};
}

// The matcher's flags as the compiler needs them (pattern codes are plain
// characters, exact comparison), restored afterwards.
struct literal_matching {
    WJCONTEXT saved = wj_ctx;
    literal_matching() {
        wj_ctx.literal = 1;
        wj_ctx.fold = 0;
        wj_ctx.eoi = 0;
    }
    ~literal_matching() { wj_ctx = saved; }
};

void rewrite(u16 *text, const WJSLOT *from, const WJSLOT *to) { wjstrtbl(&wj_ctx, text, text, from, to); }

bool is_hex(u16 c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
unsigned hex_digit(u16 c) { return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10; }

// The value of the n digits at p; a non-digit is reported after the text
// from p (to its line end) is shown.
u16 hex_value(const u16 *p, unsigned n) {
    unsigned v = 0;
    for (unsigned i = 0; i < n; ++i) {
        if (!is_hex(p[i])) {
            u16 shown[41];
            unsigned k = 0;
            while (k < 40 && p[k] && p[k] != WGY_LINE_END) {
                shown[k] = p[k];
                ++k;
            }
            shown[k] = 0;
            literal_matching plain;
            wputs(shown);
            refuse(8, "%s", HEX_DIGITS);
        }
        v = v * 16 + hex_digit(p[i]);
    }
    return static_cast<u16>(v);
}

unsigned digits_of(u16 escape) { return escape == WGY_HEX2 ? 2 : 4; }

// Every hexadecimal escape must be followed by its digits.
void check_hex(const u16 *text) {
    for (const u16 *p = text; *p; ++p)
        if (*p == WGY_HEX2 || *p == WGY_HEX4) hex_value(p + 1, digits_of(*p));
}

// Step 6: each escape and its digits become the code they write.
void hex_values(u16 *text) {
    u16 *out = text;
    for (const u16 *in = text; *in;) {
        if (*in == WGY_HEX2 || *in == WGY_HEX4) {
            unsigned n = digits_of(*in);
            *out++ = hex_value(in + 1, n);
            in += 1 + n;
        } else {
            *out++ = *in++;
        }
    }
    *out = 0;
}

// Steps 1 to 4.
void compile_marks(u16 *text) {
    rewrite(text, STEP1_FROM, STEP1_TO);
    rewrite(text, STEP2_FROM, STEP2_TO);
    check_hex(text);
    rewrite(text, STEP3_FROM, STEP3_TO);
    wjstrtblz(&wj_ctx, text, text, STEP4_FROM, STEP4_TO, WJ_CLASS, WJ_CLASS_END, 0);
}

// Steps 6 and 7.
void compile_values(u16 *text) {
    hex_values(text);
    rewrite(text, STEP7_FROM, STEP7_TO);
}

u16 *find(u16 *p, const u16 *end, u16 code) {
    for (; p < end; ++p)
        if (*p == code) return p;
    return nullptr;
}

// Cuts the compiled text into the record table of `capacity` records.
void parse(u16 *text, wgy_record *table, unsigned capacity) {
    const unsigned last_usable = capacity - 2;
    unsigned next = 0;       // next free record
    wgy_record *header = nullptr;
    unsigned pending = 0;    // line of a change-pattern line still without patterns
    auto close_group = [&] {
        if (header) header->patterns = static_cast<std::uint32_t>(table + next - header - 1);
    };
    auto take = [&]() -> wgy_record * {
        if (next > last_usable) refuse(9, "パターンファイルの行数が，オーバーしました %u 行までです\n", capacity - 1);
        return &table[next++];
    };

    g_line = 0;
    u16 *p = text;
    if (!*p) refuse(9, FORMAT2, 1u);
    while (*p) {
        ++g_line;
        u16 *end = p;
        while (*end && *end != WGY_LINE_END) ++end;

        if (*p == WJ_STAR) {  // comment
            if (!*end) refuse(9, "%s", "skip_coment() err\n");
            p = end + 1;
            continue;
        }

        if (u16 *mark = find(p, end, WGY_CHANGE)) {
            if (!*end) refuse(9, "%s", "パターンファイルの最後の行がおかしいです");
            if (pending) refuse(9, "パターンチェンジマークの間に１つもパターンがありません(%u 行目)\n", pending);
            if (!end[1]) refuse(9, "%s", "パターンファイルの最後の行にチェンジパターンコマンドが入っています");
            close_group();
            header = take();
            u16 *parameters = mark + 1;
            std::uint32_t kind = find(parameters, end, WGY_CONTINUE) ? WGY_KEEP
                                 : parameters == end                 ? WGY_NO_PARAM
                                                                     : WGY_PARAM;
            *end = 0;
            if (*parameters) makcrcs(parameters);
            *header = wgy_record{nullptr, parameters, 0, kind, 0};
            pending = g_line;
            p = end + 1;
            continue;
        }

        if (find(p, end, WGY_CONTINUE)) refuse(9, CONTINUE_ALONE, g_line);
        if (!header) {
            header = take();
            *header = wgy_record{nullptr, nullptr, 0, WGY_KEEP, 0};
        }
        u16 *separator = p;
        while (*separator && *separator != WGY_SEPARATOR && *separator != WGY_LINE_END) ++separator;
        if (!*separator) refuse(9, FORMAT2, g_line);
        if (*separator == WGY_LINE_END) refuse(9, FORMAT1, g_line);
        u16 *target = separator + 1;
        u16 *target_end = target;
        while (*target_end && *target_end != WGY_SEPARATOR && *target_end != WGY_LINE_END) ++target_end;
        if (*target_end == WGY_SEPARATOR) refuse(9, FORMAT1, g_line);
        if (!*target_end) refuse(9, FORMAT2, g_line);
        *separator = 0;
        *target_end = 0;
        makcrcs(p);
        for (const u16 *t = target; *t; ++t)
            if (*t == WJ_CLASS || *t == WJ_CLASS_END)
                refuse(9, "%s", "現在は，パターンファイルの変換先にキャラクタクラスは使えません\n");
        *take() = wgy_record{p, target, 0, 0, 0};
        pending = 0;
        p = target_end + 1;
    }
    if (pending) refuse(9, "%s", "パターンファイルの最後の行にチェンジパターンコマンドが入っています");
    close_group();
    table[next] = wgy_record{};  // next <= capacity - 1: every record taken was at most capacity - 2
}

void check_capacity(int capacity) {
    if (capacity < WGY_MIN_RECORDS)
        refuse(9, "パターンのレコード数 %d が少なすぎます．%d 以上を指定して下さい\n", capacity, WGY_MIN_RECORDS);
}

void *allocate(std::uint64_t size) {
    if (size > 0xFFFFFFFFu) {
        unsigned shown = static_cast<unsigned>(size);
        refuse(9, NO_MEMORY, shown, static_cast<unsigned long>(shown));
    }
    void *p = ZUALC(static_cast<unsigned>(size));
    if (!p) throw load_refused{};
    return p;
}

wgy_handle *load(const char *text, int capacity) {
    std::size_t length = std::strlen(text);
    std::uint64_t bytes = static_cast<std::uint64_t>(length) * 2 + 2;
    if (bytes > 0xFFFFFFFFu)
        refuse(9,
               "パターンを，展開するのに必要なメモリ（ファイル長×２＋１）が UINT_MAX を，オ－バ－しました(3)\n"
               "必要メモリ＝ファイル長×２＋１＝%lu wstrparm()\n",
               static_cast<unsigned long>(bytes));
    wgy_handle *h = static_cast<wgy_handle *>(allocate(sizeof(wgy_handle)));
    h->table = nullptr;
    h->text = nullptr;
    try {
        h->text = static_cast<u16 *>(allocate(bytes));
        wgy_to_wide(text, h->text, static_cast<unsigned>(length + 1));
        h->table = static_cast<wgy_record *>(allocate(static_cast<std::uint64_t>(capacity) * sizeof(wgy_record)));
        {
            literal_matching plain;
            compile_marks(h->text);
            // Named characters everywhere but in the parameter texts of
            // change-pattern lines (from the mark to the line end).
            wjstrtblz(&wj_ctx, h->text, h->text, STEP5_FROM, STEP5_TO, WGY_CHANGE, WGY_LINE_END, 1);
            compile_values(h->text);
        }
        parse(h->text, h->table, static_cast<unsigned>(capacity));
    } catch (...) {
        wgy_free(h);
        throw;
    }
    zu_print("%s", "スタ－ト\n");
    return h;
}

template <class F>
wgy_handle *refused_as_null(F &&f) {
    try {
        return f();
    } catch (load_refused &) {
        return nullptr;
    }
}

void check_pointer(const void *p, const char *function) {
    if (!p) refuse(9, "ﾎﾟｲﾝﾀがNULL です{%s}\n", function);
}
}  // namespace

void wgy_to_wide(const char *text, std::uint16_t *out, unsigned units) {
    std::memset(out, 0, static_cast<std::size_t>(units) * sizeof *out);
    if (sjis2w(text, out, out + units - 1)) return;
    // The text ends in a lone first byte: it stands for itself.
    unsigned n = 0;
    while (out[n]) ++n;
    out[n] = static_cast<unsigned char>(text[std::strlen(text) - 1]);
}

wgy_handle *wgy_load_string(const char *text, int capacity) {
    return refused_as_null([&] {
        check_pointer(text, "ZuWGYInitStr()");
        check_capacity(capacity);
        return load(text, capacity);
    });
}

wgy_handle *wgy_load_file(const char *name, int capacity) {
    return refused_as_null([&]() -> wgy_handle * {
        check_pointer(name, "ZuWGYInit()");
        check_capacity(capacity);
        zu_print("%s", "\nパタ－ンファイル展開中\n");
        char *text = fil2buf(name);
        if (!text) return nullptr;
        try {
            wgy_handle *h = load(text, capacity);
            ZUFRE(text);
            return h;
        } catch (...) {
            ZUFRE(text);
            throw;
        }
    });
}

void wgy_free(wgy_handle *h) {
    if (!h) return;
    if (h->table) ZUFRE(h->table);
    if (h->text) ZUFRE(h->text);
    ZUFRE(h);
}

bool wgy_compile_option(std::uint16_t *text) {
    try {
        {
            literal_matching plain;
            compile_marks(text);
            rewrite(text, STEP5_FROM, STEP5_TO);
            compile_values(text);
        }
        for (const u16 *p = text; *p && *p != WGY_LINE_END; ++p)
            if (*p == WGY_CONTINUE) refuse(9, CONTINUE_ALONE, g_line + 1);
    } catch (load_refused &) {
        return false;
    }
    makcrcs(text);
    return true;
}

void wgy_expand_names(std::uint16_t *text) {
    literal_matching plain;
    rewrite(text, STEP5_FROM, STEP5_TO);
}
