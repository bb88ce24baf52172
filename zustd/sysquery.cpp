// System queries and small helpers: master volume and mute, the network
// adapter address, the system version, virtual-key names, the input
// method's last result, network-connection error texts, date and time
// texts, and a few number and name helpers.
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "base/base.h"
#include "zustd.h"

namespace {

inline unsigned char ub(char c) { return static_cast<unsigned char>(c); }

// ---- mixer -------------------------------------------------------------------

// The texts of a failing mixer step, when reading and when setting.
const char *mixer_text(zp::mixer_step step, bool set, unsigned code, char *buf, unsigned size) {
    switch (step) {
    case zp::MIXER_DEVCAPS: return set ? "mixerGetDevCaps SetVolume();" : "mixerGetDevCaps";
    case zp::MIXER_OPEN: return set ? "mixerOpen SetVolume();" : "mixerOpen";
    case zp::MIXER_LINEINFO:
        if (set) return "mixerGetLineInfo SetVolume();";
        zu_format(buf, size, "mixerGetLineInfo:::%u 0x%x", code, code);
        return buf;
    case zp::MIXER_CONTROLS: return set ? "mixerGetLineControls SetVolume();" : "mixerGetLineControls";
    default: return set ? "mixerSetControlDetails SetVolume();" : "mixerGetControlDetails";
    }
}

// Runs a volume step; a failure is shown in a box.  True on success.
bool volume_call(unsigned index, bool set, unsigned *volume) {
    unsigned code = 0;
    zp::mixer_step s = zp::master_volume(index, set, volume, &code);
    if (s == zp::MIXER_OK) return true;
    char buf[64];
    zu_msgbox(mixer_text(s, set, code, buf, sizeof buf));
    return false;
}

// ---- keyboard names ---------------------------------------------------------

struct KeyName {
    unsigned code;
    const char *name;
};
const KeyName KEY_NAMES[] = {
    {0x01, "VK_LBUTTON"}, {0x02, "VK_RBUTTON"}, {0x03, "VK_CANCEL"}, {0x04, "VK_MBUTTON"}, {0x08, "VK_BACK"},
    {0x09, "VK_TAB"}, {0x0C, "VK_CLEAR"}, {0x0D, "VK_RETURN"}, {0x10, "VK_SHIFT"}, {0x11, "VK_CONTROL"},
    {0x12, "VK_MENU"}, {0x13, "VK_PAUSE"}, {0x14, "VK_CAPITAL"}, {0x15, "VK_KANA"}, {0x15, "VK_HANGUL"},
    {0x17, "VK_JUNJA"}, {0x18, "VK_FINAL"}, {0x19, "VK_HANJA"}, {0x19, "VK_KANJI"}, {0x1C, "VK_CONVERT"},
    {0x1D, "VK_NONCONVERT"}, {0x1E, "VK_ACCEPT"}, {0x1F, "VK_MODECHANGE"}, {0x1B, "VK_ESCAPE"},
    {0x20, "VK_SPACE"}, {0x21, "VK_PRIOR"}, {0x22, "VK_NEXT"}, {0x23, "VK_END"}, {0x24, "VK_HOME"},
    {0x25, "VK_LEFT"}, {0x26, "VK_UP"}, {0x27, "VK_RIGHT"}, {0x28, "VK_DOWN"}, {0x29, "VK_SELECT"},
    {0x2A, "VK_PRINT"}, {0x2B, "VK_EXECUTE"}, {0x2C, "VK_SNAPSHOT"}, {0x2D, "VK_INSERT"}, {0x2E, "VK_DELETE"},
    {0x2F, "VK_HELP"}, {0x5B, "VK_LWIN"}, {0x5C, "VK_RWIN"}, {0x5D, "VK_APPS"}, {0x60, "VK_NUMPAD0"},
    {0x61, "VK_NUMPAD1"}, {0x62, "VK_NUMPAD2"}, {0x63, "VK_NUMPAD3"}, {0x64, "VK_NUMPAD4"}, {0x65, "VK_NUMPAD5"},
    {0x66, "VK_NUMPAD6"}, {0x67, "VK_NUMPAD7"}, {0x68, "VK_NUMPAD8"}, {0x69, "VK_NUMPAD9"}, {0x6A, "VK_MULTIPLY"},
    {0x6B, "VK_ADD"}, {0x6C, "VK_SEPARATOR"}, {0x6D, "VK_SUBTRACT"}, {0x6E, "VK_DECIMAL"}, {0x6F, "VK_DIVIDE"},
    {0x70, "VK_F1"}, {0x71, "VK_F2"}, {0x72, "VK_F3"}, {0x73, "VK_F4"}, {0x74, "VK_F5"}, {0x75, "VK_F6"},
    {0x76, "VK_F7"}, {0x77, "VK_F8"}, {0x78, "VK_F9"}, {0x79, "VK_F10"}, {0x7A, "VK_F11"}, {0x7B, "VK_F12"},
    {0x7C, "VK_F13"}, {0x7D, "VK_F14"}, {0x7E, "VK_F15"}, {0x7F, "VK_F16"}, {0x80, "VK_F17"}, {0x81, "VK_F18"},
    {0x82, "VK_F19"}, {0x83, "VK_F20"}, {0x84, "VK_F21"}, {0x85, "VK_F22"}, {0x86, "VK_F23"}, {0x87, "VK_F24"},
    {0x90, "VK_NUMLOCK"}, {0x91, "VK_SCROLL"}, {0xA0, "VK_LSHIFT"}, {0xA1, "VK_RSHIFT"}, {0xA2, "VK_LCONTROL"},
    {0xA3, "VK_RCONTROL"}, {0xA4, "VK_LMENU"}, {0xA5, "VK_RMENU"}, {0xE5, "VK_PROCESSKEY"}, {0xF6, "VK_ATTN"},
    {0xF7, "VK_CRSEL"}, {0xF8, "VK_EXSEL"}, {0xF9, "VK_EREOF"}, {0xFA, "VK_PLAY"}, {0xFB, "VK_ZOOM"},
    {0xFC, "VK_NONAME"}, {0xFD, "VK_PA1"}, {0xFE, "VK_OEM_CLEAR"},
};
const char *g_key_names[256];

// ---- network-connection errors ----------------------------------------------

struct NetText {
    unsigned code;
    const char *text;
};
const NetText NET_TEXTS[] = {
    {5, "ネットワーク資源へのアクセスが拒否されました。 "},
    {66, " ローカルデバイスの種類とネットワーク資源の種類が一致しません。 "},
    {67, " lpRemoteName で指定した値を、どのネットワーク資源のプロバイダも受け付けません。資源の名前が無効か、指定した資源が見つかりません。 "},
    {85, " lpLocalName で指定したローカルデバイスは既にネットワーク資源に接続されています。 "},
    {86, " 指定したパスワードが無効です。 "},
    {170, " ルーターまたはプロバイダがビジー（ おそらく初期化中）です。この関数をもう一度呼び出してください。 "},
    {1200, " lpLocalName で指定した値が無効です。 "},
    {1202, " lpLocalName で指定したデバイスのエントリは既にユーザープロファイル内に存在します。 "},
    {1203, " ネットワークコンポーネントが開始されていないか、指定した名前が利用できないために、操作を行えませんでした。 "},
    {1204, " lpProvider で指定した値がどのプロバイダとも一致しません。 "},
    {1205, " 恒久的な接続を処理するためのユーザープロファイルを開くことができません。 "},
    {1206, " ユーザープロファイルの形式が正しくありません。 "},
    {1208, " ネットワーク固有のエラーが発生しました。エラーの説明を取得するには、WNetGetLastError 関数を使います。 "},
    {1222, " ネットワークに接続されていません。 "},
    {1223, " ネットワーク資源のプロバイダのいずれかでユーザーがダイアログボックスを使って接続操作を取り消したか、接続先の資源が接続操作を取り消しました。 "},
};

// ---- dates --------------------------------------------------------------------

const char *const WEEK_DAYS[7] = {"日", "月", "火", "水", "木", "金", "土"};
const char *const SIX_DAYS[6] = {"先勝", "友引", "先負", "仏滅", "大安", "赤口"};

char g_date[16], g_time[16], g_mtime[32];
int g_parsed[6];  // year, month, day, hour, minute, second

struct Stamp {
    unsigned last_second = 0, counter = 0;
    bool first = true;
} g_stamp;

const char *date_text(const zp::system_time &t, char *buf, unsigned size) {
    zu_format(buf, size, "%.4u/%.2u/%.2u", t.year, t.month, t.day);
    return buf;
}
const char *time_text(const zp::system_time &t, char *buf, unsigned size) {
    zu_format(buf, size, "%.2u:%.2u:%.2u", t.hour, t.minute, t.second);
    return buf;
}

// ---- random table -------------------------------------------------------------

constexpr unsigned RAND_TABLE = 16384;
const int *random_table() {
    static int table[RAND_TABLE];
    static bool made = false;
    if (!made) {
        unsigned state = 1;
        for (unsigned i = 0; i < RAND_TABLE; ++i) {
            state = state * 214013u + 2531011u;
            table[i] = static_cast<int>((state >> 16) & 0x7FFF);
        }
        made = true;
    }
    return table;
}

// ---- names --------------------------------------------------------------------

constexpr unsigned NAME_PART = 64;

// The surname and the given name of a name: split at its first half-width
// blank after trimming; each part cut below 64 bytes.
void split_name(const char *name, char *surname, char *given) {
    std::string copy = name ? name : "";
    std::vector<char> buf(copy.begin(), copy.end());
    buf.push_back('\0');
    char *p = trim(buf.data(), 3);
    char *blank = std::strchr(p, ' ');
    const char *rest = "";
    if (blank) {
        *blank = '\0';
        rest = blank + 1;
    }
    zu_copy(surname, NAME_PART, p);
    std::vector<char> tail(rest, rest + std::strlen(rest) + 1);
    zu_copy(given, NAME_PART, trim(tail.data(), 3));
}

std::vector<char> g_temp01;

}  // namespace

// ---- volume and mute ------------------------------------------------------------

ZU_API int ZU_CALL zuGetMasterVolume(unsigned mixer) {
    return zu_export([&]() -> int {
        unsigned volume = 0;
        return volume_call(mixer, false, &volume) ? static_cast<int>(volume) : -1;
    });
}

ZU_API int ZU_CALL zuSetMasterVolume(unsigned mixer, int volume) {
    return zu_export([&]() -> int {
        if (volume < 0 || volume > 65535) {
            err(9, "%s", "ボリューム値は0からUSHRT_MAXにして下さい zuSetMasterVolume");
            return 0;
        }
        unsigned v = static_cast<unsigned>(volume);
        return volume_call(mixer, true, &v) ? 1 : 0;
    });
}

ZU_API int ZU_CALL zuGetMasterMute(unsigned mixer) {
    return zu_export([&]() -> int {
        bool on = false;
        zp::mixer_step s = zp::master_mute(mixer, false, &on);
        if (s == zp::MIXER_OPEN) zu_throw("mixerOpen");
        return s == zp::MIXER_OK && on ? 1 : 0;
    });
}

ZU_API int ZU_CALL zuSetMasterMute(unsigned mixer, int on) {
    return zu_export([&]() -> int {
        bool value = on != 0;
        zp::mixer_step s = zp::master_mute(mixer, true, &value);
        if (s == zp::MIXER_OPEN) zu_throw("mixerOpen");
        return s == zp::MIXER_DETAILS ? 1 : 0;
    });
}

// ---- network and system ---------------------------------------------------------

ZU_API const char *GetMacAddress(void) {
    static char text[16];
    unsigned char mac[6];
    if (!zp::adapter_address(mac)) return nullptr;
    zu_format(text, sizeof text, "%02X%02X%02X%02X%02X%02X", mac[0], mac[1], mac[2], mac[3], mac[4], mac[5]);
    return text;
}

ZU_API const char *GetMacAddressByIpConfig(void) {
    return zu_export([&]() -> const char * {
        static char text[16];
        const char *out = zu_call([] { return ZuCommandRedirect("ipconfig.exe /all"); });
        if (!out) return nullptr;
        const char *at = std::strstr(out, "Physical Address");
        if (at) at += std::strlen("Physical Address");
        else if ((at = std::strstr(out, "IP Address")) != nullptr) at += std::strlen("IP Address");
        else return nullptr;
        unsigned n = 0;
        for (; *at && n < 12; ++at)
            if (std::isalnum(ub(*at))) text[n++] = *at;
        text[n] = '\0';
        return text;
    });
}

ZU_API const char *ZU_CALL GetNetUseErrorString(unsigned code) {
    static char text[32];
    for (const NetText &t : NET_TEXTS)
        if (t.code == code) return t.text;
    zu_format(text, sizeof text, "error code = %u ", code);
    return text;
}

ZU_API unsigned ZU_CALL zuGetWindowsVersion(unsigned *platform, unsigned *major, unsigned *minor, unsigned *build,
                                            char *service_pack) {
    return zp::system_version(platform, major, minor, build, service_pack, 128);
}

ZU_API int CreateKeyboardNameTable(void) {
    return zu_export([&]() -> int {
        for (const KeyName &k : KEY_NAMES) {
            if (k.code >= 256) {
                err(9, "CreateKeyboardNameTable %u %s ", k.code, k.name);
                continue;
            }
            g_key_names[k.code] = k.name;
        }
        return 0;
    });
}

ZU_API const char *ZU_CALL GetKeyboardName(unsigned code) { return code < 256 ? g_key_names[code] : nullptr; }

ZU_API const char *ZU_CALL zuImmGetCompositionString(int) {
    return zu_export([&]() -> const char * {
        constexpr unsigned SIZE = 8192;
        static char text[SIZE];
        static std::uint16_t wide[SIZE];
        const unsigned flags[2] = {0x800, 0x200};  // the result string, then its reading
        for (unsigned flag : flags) {
            bool released = true;
            int n = zp::ime_result(flag, text, SIZE - 1, &released);
            if (n == -1) err(9, "%s", "zuImmGetCompositionString() IMM_ERROR_NODATA");
            if (n == -2) err(9, "%s", "zuImmGetCompositionString() IMM_ERROR_GENERAL");
            text[n > 0 && n < static_cast<int>(SIZE) ? n : 0] = '\0';
            if (!released) err(9, "%s", "zuImmGetCompositionString()");
            sjis2w(text, wide, wide + SIZE - 1);
        }
        return text;
    });
}

ZU_API void *ZU_CALL sethook(void *) { return nullptr; }
ZU_API int freehook(void) { return 0; }

// ---- date, time and numbers -------------------------------------------------------

ZU_API const char *ZuGetDate(void) {
    zp::system_time t;
    zp::local_time(&t);
    return date_text(t, g_date, sizeof g_date);
}

ZU_API const char *ZuGetTime(void) {
    zp::system_time t;
    zp::local_time(&t);
    return time_text(t, g_time, sizeof g_time);
}

ZU_API const char *ZuGetMTime(void) {
    zp::system_time t;
    zp::local_time(&t);
    unsigned number =
        g_stamp.counter < 1000 && (g_stamp.first || t.second == g_stamp.last_second) ? g_stamp.counter : 0;
    g_stamp.last_second = t.second;
    g_stamp.counter = number + 1;
    g_stamp.first = false;
    char d[16], h[16];
    zu_format(g_mtime, sizeof g_mtime, "%s %s.%.3u", date_text(t, d, sizeof d), time_text(t, h, sizeof h), number);
    return g_mtime;
}

ZU_API int ZU_CALL ZuSetDateTime(ZuSystemTime time) {
    zp::system_time t{time.year, time.month, time.day_of_week, time.day,
                      time.hour, time.minute, time.second, time.milliseconds};
    return zp::set_local_time(&t);
}

ZU_API int ZU_CALL DOWeek(const char *text) {
    if (!text) return 0;
    for (int i = 0; i < 7; ++i)
        if (std::strncmp(text, WEEK_DAYS[i], std::strlen(WEEK_DAYS[i])) == 0) return i + 1;
    return 0;
}

ZU_API int ZU_CALL DOWeek6(const char *text) {
    if (!text) return 0;
    for (int i = 0; i < 6; ++i)
        if (std::strncmp(text, SIX_DAYS[i], std::strlen(SIX_DAYS[i])) == 0) return i;
    return 0;
}

ZU_API int *ZU_CALL ZuDateTimeStringSeparate(const char *format, const char *text, const char *date_separator,
                                             const char *time_separator, const char *between, char *output) {
    std::string digits[6];
    const char *f = format ? format : "", *t = text ? text : "";
    const char *const letters = "YMDHNS";
    for (; *f && *t; ++f) {
        char c = static_cast<char>(std::toupper(ub(*f)));
        if (c == 'J') {
            // An era letter and two digits: a Heisei year.
            std::string year;
            for (int i = 0; i < 3 && *t; ++i, ++t)
                if (i > 0 && std::isdigit(ub(*t))) year += *t;
            digits[0] = std::to_string((year.empty() ? 0 : std::atoi(year.c_str())) + 1988);
            continue;
        }
        const char *field = c ? std::strchr(letters, c) : nullptr;
        if (field && std::isdigit(ub(*t)) && digits[field - letters].size() < 9) digits[field - letters] += *t;
        ++t;
    }
    for (int i = 0; i < 6; ++i) g_parsed[i] = std::atoi(digits[i].c_str());
    if (output) {
        const char *ds = date_separator ? date_separator : "", *ts = time_separator ? time_separator : "",
                   *bs = between ? between : "";
        std::sprintf(output, "%.2u%s%.2u%s%.2u%s%.2u%s%.2u%s%.2u", static_cast<unsigned>(g_parsed[0]), ds,
                     static_cast<unsigned>(g_parsed[1]), ds, static_cast<unsigned>(g_parsed[2]), bs,
                     static_cast<unsigned>(g_parsed[3]), ts, static_cast<unsigned>(g_parsed[4]), ts,
                     static_cast<unsigned>(g_parsed[5]));
    }
    return g_parsed;
}

ZU_API int ZU_CALL Round(double value) {
    double r = std::round(value);
    return r >= 2147483647.0 ? 2147483647 : r <= -2147483648.0 ? -2147483647 - 1 : static_cast<int>(r);
}

ZU_API int ZU_CALL ZuRand(int n, int seed) {
    if (seed) std::srand(static_cast<unsigned>(std::time(nullptr)));
    int r = std::rand();
    if (n == 0) return r;
    return random_table()[static_cast<unsigned>(r) % RAND_TABLE] % n + 1;
}

ZU_API int ZU_CALL SurFirstComp(const char *name1, const char *name2) {
    char s1[NAME_PART], g1[NAME_PART], s2[NAME_PART], g2[NAME_PART];
    split_name(name1, s1, g1);
    split_name(name2, s2, g2);
    if (std::strcmp(s1, s2) == 0) return 0;
    return std::strcmp(g1, g2) == 0 ? 0 : 1;
}

ZU_API int ZU_CALL ZuTemp01(const char *text, char **a, char **b, char **c, char **d) {
    const char *src = text ? text : "";
    g_temp01.assign(src, src + std::strlen(src) + 1);
    char *copy = g_temp01.data();
    if (a) *a = nullptr;
    if (b) *b = nullptr;
    if (c) *c = nullptr;
    if (d) *d = nullptr;
    if (!*copy) return 0;
    if (a) *a = copy;
    auto upper = [](char ch) { return ch >= 'A' && ch <= 'Z'; };
    for (char *p = copy; *p; ++p) {
        if (upper(p[0]) && (upper(p[1]) || p[1] == '/') && upper(p[2]) && (upper(p[3]) || p[3] == '\0')) {
            if (d) *d = p;
            if (p > copy) p[-1] = '\0';
            break;
        }
    }
    char *dash = std::strchr(copy, '-');
    if (dash) {
        *dash = '\0';
        if (b) *b = dash + 1;
        char *second = std::strchr(dash + 1, '-');
        if (second) {
            *second = '\0';
            if (c) *c = second + 1;
        }
    }
    return 1;
}
