#include "terminal_safe.h"

#include <strings.h>

#include <cstring>

#include "lossless_utf8.h"

namespace {

bool is_control(int c)
{
   return c < 0x20 || c == 0x7F || (c >= 0x80 && c <= 0x9F);
}

// The line and paragraph separators, and the characters that change the
// direction in which a terminal lays out what follows.
bool moves_text(int c)
{
   return c == 0x2028 || c == 0x2029 || c == 0x061C || c == 0x200E || c == 0x200F ||
          (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

bool is_printable_ascii(char c)
{
   return c >= 0x20 && c < 0x7F;
}

}  // namespace

const char *terminal_safe(const char *name, char *out)
{
   char *o = out;
   for (const char *s = name; *s;) {
      if (is_printable_ascii(*s)) {  // the common case
         *o++ = *s++;
         continue;
      }
      int width;
      const int c = lossless_utf8_decode(s, &width);
      if (is_stray_byte(c) || is_control(c) || moves_text(c)) {
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

const char *terminal_safe_ascii(const char *name, char *out)
{
   char *o = out;
   for (const char *s = name; *s; ++s)
      *o++ = is_printable_ascii(*s) ? *s : '?';
   *o = '\0';
   return out;
}

bool is_utf8_locale(const char *name)
{
   const char *codeset = std::strchr(name, '.');
   if (!codeset)
      return false;
   ++codeset;
   const size_t length = std::strcspn(codeset, "@");
   return (length == 5 && strncasecmp(codeset, "utf-8", 5) == 0) ||
          (length == 4 && strncasecmp(codeset, "utf8", 4) == 0);
}
