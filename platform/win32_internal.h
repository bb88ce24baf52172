// What the Windows files of the operating-system layer share.
#pragma once

#include "platform/platform.h"

#include <windows.h>

namespace zp {
namespace win {

inline void from_systemtime(const SYSTEMTIME &s, system_time *t) {
    t->year = s.wYear;
    t->month = s.wMonth;
    t->day_of_week = s.wDayOfWeek;
    t->day = s.wDay;
    t->hour = s.wHour;
    t->minute = s.wMinute;
    t->second = s.wSecond;
    t->milliseconds = s.wMilliseconds;
}

inline SYSTEMTIME to_systemtime(const system_time *t) {
    SYSTEMTIME s;
    s.wYear = t->year;
    s.wMonth = t->month;
    s.wDayOfWeek = t->day_of_week;
    s.wDay = t->day;
    s.wHour = t->hour;
    s.wMinute = t->minute;
    s.wSecond = t->second;
    s.wMilliseconds = t->milliseconds;
    return s;
}

}  // namespace win
}  // namespace zp
