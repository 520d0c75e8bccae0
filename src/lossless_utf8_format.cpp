// The library's UTF-8 format replaced by the lossless one: a unit of its
// own, which the benchmark's variant leaves out (bench/CMakeLists.txt).
#include <allegro.h>

#include "lossless_utf8.h"

namespace {

// The handlers the library calls, several times for each character of each
// name: each takes plain ASCII on a short path of its own.

int lossless_getc(const char *s)
{
   int width;
   return lossless_utf8_decode(s, &width);
}

int lossless_getx(char **s)
{
   const auto b = static_cast<unsigned char>(**s);
   if (b < 0x80) {
      ++*s;
      return b;
   }
   int width;
   const int c = lossless_utf8_decode(*s, &width);
   *s += width;
   return c;
}

int lossless_setc(char *s, int c)
{
   if (c < 0x80 || is_stray_byte(c)) {
      *s = static_cast<char>(c < 0x80 ? c : c - stray_byte(0));
      return 1;
   }
   const int width = lossless_utf8_length(c);
   static const unsigned char lead[] = {0, 0, 0xC0, 0xE0, 0xF0};
   for (int i = width - 1; i > 0; --i) {
      s[i] = static_cast<char>(0x80 | (c & 0x3F));
      c >>= 6;
   }
   s[0] = static_cast<char>(lead[width] | c);
   return width;
}

int lossless_width(const char *s)
{
   int width;
   lossless_utf8_decode(s, &width);
   return width;
}

int lossless_isok(int c)
{
   if (c < 0x80)
      return c >= 0;
   return c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF || is_stray_byte(c));
}

}  // namespace

void register_lossless_utf8()
{
   register_uformat(U_UTF8, lossless_getc, lossless_getx, lossless_setc, lossless_width, lossless_utf8_length,
                    lossless_isok, 4);
   set_uformat(U_UTF8);
}
