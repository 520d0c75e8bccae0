// The library's 16-bit Unicode format, as UTF-16.
//
// On Windows the library's wide directory search hands each name over in
// this format, but the library reads it as UCS-2: each half of a surrogate
// pair, as every emoji has, becomes a character of its own that UTF-8 cannot
// hold. This format decodes a surrogate pair to its code point and encodes a
// code point above U+FFFF as a pair. A lone surrogate, which Windows names
// may hold, names no character: it decodes to the value of the stray byte
// 0xFF of the lossless UTF-8 format, a byte that valid UTF-8 never holds, so
// a name that held one is known not to have come through exactly.
#pragma once

// Replaces the library's 16-bit Unicode format (U_UNICODE) with this one.
void register_utf16();

// Decodes the character at `s`, a string of 16-bit units in the machine's
// order ended by a zero unit, and sets `*width` to the number of bytes it
// takes (2 or 4). Never reads past the zero unit.
int utf16_decode(const char *s, int *width);
