// Byte classes of code page 932 (Shift-JIS), whatever the process locale:
// lead bytes 0x81-0x9F and 0xE0-0xFC, trail bytes 0x40-0x7E and 0x80-0xFC.
// Header only, so that the platform layer uses the same rule.
#pragma once

// A lead byte of a double-byte character of code page 932.
inline bool zu_lead_byte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// A valid second byte of a double-byte character of code page 932.
inline bool zu_trail_byte(unsigned char c) { return c >= 0x40 && c <= 0xFC && c != 0x7F; }

// Bytes of the character that starts at `s`: 2 for a lead byte followed by
// another byte, else 1 (a lead byte before the terminator stands alone).
inline unsigned zu_char_len(const char *s) {
    return zu_lead_byte(static_cast<unsigned char>(s[0])) && s[1] ? 2 : 1;
}
