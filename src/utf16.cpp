#include "utf16.h"

#include <allegro.h>

#include <cstdint>
#include <cstring>

#include "lossless_utf8.h"

namespace {

// The library's strings are char arrays, so a unit may sit at any address.
unsigned unit(const char *s)
{
   std::uint16_t u;
   std::memcpy(&u, s, sizeof u);
   return u;
}

void put_unit(char *s, int u)
{
   const auto v = static_cast<std::uint16_t>(u);
   std::memcpy(s, &v, sizeof v);
}

bool is_high_surrogate(unsigned u)
{
   return u >= 0xD800 && u <= 0xDBFF;
}

bool is_low_surrogate(unsigned u)
{
   return u >= 0xDC00 && u <= 0xDFFF;
}

int utf16_getc(const char *s)
{
   int width;
   return utf16_decode(s, &width);
}

int utf16_getx(char **s)
{
   int width;
   const int c = utf16_decode(*s, &width);
   *s += width;
   return c;
}

int utf16_cwidth(int c)
{
   return c < 0x10000 ? 2 : 4;
}

int utf16_setc(char *s, int c)
{
   if (c < 0x10000) {
      put_unit(s, c);
      return 2;
   }
   c -= 0x10000;
   put_unit(s, 0xD800 + (c >> 10));
   put_unit(s + 2, 0xDC00 + (c & 0x3FF));
   return 4;
}

int utf16_width(const char *s)
{
   int width;
   utf16_decode(s, &width);
   return width;
}

int utf16_isok(int c)
{
   return c >= 0 && c <= 0x10FFFF;
}

}  // namespace

int utf16_decode(const char *s, int *width)
{
   const unsigned u = unit(s);
   *width = 2;
   if (!is_high_surrogate(u))
      return is_low_surrogate(u) ? stray_byte(0xFF) : static_cast<int>(u);
   // The zero unit is no low surrogate, so this stops at the string's end.
   const unsigned next = unit(s + 2);
   if (!is_low_surrogate(next))
      return stray_byte(0xFF);
   *width = 4;
   return 0x10000 + static_cast<int>(((u - 0xD800) << 10) | (next - 0xDC00));
}

void register_utf16()
{
   register_uformat(U_UNICODE, utf16_getc, utf16_getx, utf16_setc, utf16_width, utf16_cwidth, utf16_isok, 2);
}
