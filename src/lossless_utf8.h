// A UTF-8 text format for the library that loses no byte.
//
// File names are arbitrary bytes, but the library converts each one it finds
// from UTF-8 into its current text format, and its own UTF-8 decoder mangles
// (or, for some byte strings, never finishes) names that are not valid UTF-8.
// This format decodes valid UTF-8 as usual and every other byte b, one at a
// time, to the value 0xDC00 + b: a lone low surrogate, which valid UTF-8 never
// yields, and which encodes back to the byte b. Decoding then encoding is
// therefore the identity on every byte string.
#pragma once

// Replaces the library's UTF-8 format with this one and makes it current.
// Call before the library starts.
void register_lossless_utf8();

// Decodes the character at `s`, which must be NUL-terminated, and sets
// `*width` to the number of bytes it takes (1 to 4). Never reads past the NUL.
int lossless_utf8_decode(const char *s, int *width);

// What a byte `b` that is not part of valid UTF-8 decodes to, and encodes
// back from.
constexpr int stray_byte(unsigned char b)
{
   return 0xDC00 + b;
}

// Whether `c` is a decoded byte that was not part of valid UTF-8.
inline bool is_stray_byte(int c)
{
   return c >= stray_byte(0x80) && c <= stray_byte(0xFF);
}

// How many bytes `c` takes in this format: 1 for a stray byte, as for ASCII.
int lossless_utf8_length(int c);

// Whether the NUL-terminated `s` is valid UTF-8 throughout.
bool is_valid_utf8(const char *s);
