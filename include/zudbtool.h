/* ZUDBTOOL: the table engine for dBASE III tables with NDX indexes. */
#ifndef ZUDBTOOL_H
#define ZUDBTOOL_H

#include "zucall.h"

#endif
