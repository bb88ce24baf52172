/* Wintrail: the system-wide hook that tracks the last active window (Windows only). */
#ifndef WINTRAIL_H
#define WINTRAIL_H

#include "zucall.h"

#endif
