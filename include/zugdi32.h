/* ZUGDI32: text drawing in a window with a fixed Japanese font (Windows only). */
#ifndef ZUGDI32_H
#define ZUGDI32_H

#include "zucall.h"

#endif
