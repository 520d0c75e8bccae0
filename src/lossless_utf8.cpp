#include "lossless_utf8.h"

namespace {

bool in(unsigned char b, unsigned char lo, unsigned char hi)
{
   return b >= lo && b <= hi;
}

}  // namespace

int lossless_utf8_length(int c)
{
   if (c < 0x80 || is_stray_byte(c))
      return 1;
   if (c < 0x800)
      return 2;
   if (c < 0x10000)
      return 3;
   return 4;
}

int lossless_utf8_decode(const char *s, int *width)
{
   const auto *b = reinterpret_cast<const unsigned char *>(s);
   *width = 1;
   if (b[0] < 0x80)
      return b[0];

   // The well-formed sequences: the lead byte fixes the length and the range
   // of the second byte, which rules out overlong forms, surrogates and
   // values above U+10FFFF.
   int length;
   unsigned char lo = 0x80, hi = 0xBF;
   if (in(b[0], 0xC2, 0xDF)) {
      length = 2;
   } else if (in(b[0], 0xE0, 0xEF)) {
      length = 3;
      if (b[0] == 0xE0)
         lo = 0xA0;
      else if (b[0] == 0xED)
         hi = 0x9F;
   } else if (in(b[0], 0xF0, 0xF4)) {
      length = 4;
      if (b[0] == 0xF0)
         lo = 0x90;
      else if (b[0] == 0xF4)
         hi = 0x8F;
   } else {
      return stray_byte(b[0]);
   }
   // A NUL is no continuation byte, so these checks stop at the string's end.
   if (!in(b[1], lo, hi))
      return stray_byte(b[0]);
   int c = ((b[0] & (0x7F >> length)) << 6) | (b[1] & 0x3F);
   for (int i = 2; i < length; ++i) {
      if (!in(b[i], 0x80, 0xBF))
         return stray_byte(b[0]);
      c = (c << 6) | (b[i] & 0x3F);
   }
   *width = length;
   return c;
}

bool is_valid_utf8(const char *s)
{
   while (*s) {
      int width;
      if (is_stray_byte(lossless_utf8_decode(s, &width)))
         return false;
      s += width;
   }
   return true;
}
