/* ZUWGY: the text conversion engine driven by pattern files. */
#ifndef ZUWGY_H
#define ZUWGY_H

#include "zucall.h"

#endif
