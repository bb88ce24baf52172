// JIS X 0208 helpers shared inside ZUSTD.
#pragma once

// The Shift-JIS bytes of a JIS code (both bytes 0x21-0x7E), by arithmetic:
// false for a byte outside that range.  Whether a character is assigned to
// the code is not looked at.
bool zu_jis_to_sjis(unsigned char j1, unsigned char j2, unsigned char *s);
