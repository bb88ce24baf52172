// The ISAM report.
#include "zudbtool/isam.h"

#include <atomic>

#include "base/base.h"

const char *zu_db_message(int code) {
    static const char *const messages[13] = {
        "メモリ不足",
        "ファイルオープンエラー ",
        "オープンするファイルがない",
        "インデックスファイルが多すぎる",
        "テンポラリファイルが作れない",
        "指定されたキーが存在しない",
        "キーが重複している",
        "レコード番号が不正",
        "ＢＯＦまたはＥＯＦ",
        "構造ファイルが正しくない",
        "ファイルｒｅａｄエラー",
        "ファイルｗｒｉｔｅエラー",
        "インデックスのキー表現式が不正",
    };
    return code >= 1 && code <= 13 ? messages[code - 1] : "??????????";
}

namespace {
std::atomic<unsigned> failures{0};
}

unsigned zu_db_failures() { return failures.load(); }

int zu_db_err(int code, const char *unit, unsigned line, const char *name) {
    switch (code) {
    case IE_MEMORY999:
    case IE_FOPEN:
    case IE_NOFILE:
    case IE_TMPFILE:
    case IE_READ:
    case IE_WRITE:
        ++failures;
        break;
    default:
        break;
    }
    write_error_log("%s ISAM：%s %4u: %s(%2u) %s zu_db_err()\r\n", now_string(), unit ? unit : "", line,
                    name ? name : "",
                    static_cast<unsigned>(code), zu_db_message(code));
    return 0;
}
