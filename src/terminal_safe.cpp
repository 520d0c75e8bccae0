#include "terminal_safe.h"

#include "lossless_utf8.h"

namespace {

bool is_control(int c)
{
   return c < 0x20 || c == 0x7F || (c >= 0x80 && c <= 0x9F);
}

}  // namespace

const char *terminal_safe(const char *name, char *out)
{
   char *o = out;
   for (const char *s = name; *s;) {
      if (*s >= 0x20 && *s < 0x7F) {  // printable ASCII, the common case
         *o++ = *s++;
         continue;
      }
      int width;
      const int c = lossless_utf8_decode(s, &width);
      if (is_stray_byte(c) || is_control(c)) {
         *o++ = '?';
         s += width;
      } else {
         for (int i = 0; i < width; ++i)
            *o++ = *s++;
      }
   }
   *o = '\0';
   return out;
}
