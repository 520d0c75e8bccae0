#include "terminal_safe.h"

#include <cstring>
#include <cwchar>
#include <cwctype>

#include "lossless_utf8.h"

namespace {

struct Range {
   int first, last;
};

template <std::size_t n>
bool in(const Range (&table)[n], int c)
{
   std::size_t lo = 0, hi = n;
   while (lo < hi) {
      const std::size_t mid = (lo + hi) / 2;
      if (c > table[mid].last)
         lo = mid + 1;
      else if (c < table[mid].first)
         hi = mid;
      else
         return true;
   }
   return false;
}

// Characters that never show as themselves, from Unicode 15.0: the
// default-ignorable code points, which draw nothing or change how the text
// around them is laid out (the bidirectional controls among them), the line
// and paragraph separators, the spaces other than U+0020, and the fillers
// that draw as blanks (U+115F, U+1160, U+3164, U+FFA0).
const Range hidden[] = {
    {0x00A0, 0x00A0}, {0x00AD, 0x00AD}, {0x034F, 0x034F},   {0x061C, 0x061C},   {0x115F, 0x1160},
    {0x1680, 0x1680}, {0x17B4, 0x17B5}, {0x180B, 0x180F},   {0x2000, 0x200F},   {0x2028, 0x202F},
    {0x205F, 0x206F}, {0x3000, 0x3000}, {0x3164, 0x3164},   {0xFE00, 0xFE0F},   {0xFEFF, 0xFEFF},
    {0xFFA0, 0xFFA0}, {0xFFF0, 0xFFF8}, {0x1BCA0, 0x1BCA3}, {0x1D173, 0x1D17A}, {0xE0000, 0xE0FFF},
};

// Unicode 15.0's Extended_Pictographic: the emoji, and the code points set
// aside for more.
const Range pictographic[] = {
    {0xA9, 0xA9},       {0xAE, 0xAE},       {0x203C, 0x203C},   {0x2049, 0x2049},   {0x2122, 0x2122},
    {0x2139, 0x2139},   {0x2194, 0x2199},   {0x21A9, 0x21AA},   {0x231A, 0x231B},   {0x2328, 0x2328},
    {0x2388, 0x2388},   {0x23CF, 0x23CF},   {0x23E9, 0x23F3},   {0x23F8, 0x23FA},   {0x24C2, 0x24C2},
    {0x25AA, 0x25AB},   {0x25B6, 0x25B6},   {0x25C0, 0x25C0},   {0x25FB, 0x25FE},   {0x2600, 0x2605},
    {0x2607, 0x2612},   {0x2614, 0x2685},   {0x2690, 0x2705},   {0x2708, 0x2712},   {0x2714, 0x2714},
    {0x2716, 0x2716},   {0x271D, 0x271D},   {0x2721, 0x2721},   {0x2728, 0x2728},   {0x2733, 0x2734},
    {0x2744, 0x2744},   {0x2747, 0x2747},   {0x274C, 0x274C},   {0x274E, 0x274E},   {0x2753, 0x2755},
    {0x2757, 0x2757},   {0x2763, 0x2767},   {0x2795, 0x2797},   {0x27A1, 0x27A1},   {0x27B0, 0x27B0},
    {0x27BF, 0x27BF},   {0x2934, 0x2935},   {0x2B05, 0x2B07},   {0x2B1B, 0x2B1C},   {0x2B50, 0x2B50},
    {0x2B55, 0x2B55},   {0x3030, 0x3030},   {0x303D, 0x303D},   {0x3297, 0x3297},   {0x3299, 0x3299},
    {0x1F000, 0x1F0FF}, {0x1F10D, 0x1F10F}, {0x1F12F, 0x1F12F}, {0x1F16C, 0x1F171}, {0x1F17E, 0x1F17F},
    {0x1F18E, 0x1F18E}, {0x1F191, 0x1F19A}, {0x1F1AD, 0x1F1E5}, {0x1F201, 0x1F20F}, {0x1F21A, 0x1F21A},
    {0x1F22F, 0x1F22F}, {0x1F232, 0x1F23A}, {0x1F23C, 0x1F23F}, {0x1F249, 0x1F3FA}, {0x1F400, 0x1F53D},
    {0x1F546, 0x1F64F}, {0x1F680, 0x1F6FF}, {0x1F774, 0x1F77F}, {0x1F7D5, 0x1F7FF}, {0x1F80C, 0x1F80F},
    {0x1F848, 0x1F84F}, {0x1F85A, 0x1F85F}, {0x1F888, 0x1F88F}, {0x1F8AE, 0x1F8FF}, {0x1F90C, 0x1F93A},
    {0x1F93C, 0x1F945}, {0x1F947, 0x1FAFF}, {0x1FC00, 0x1FFFD},
};

// Scripts whose letters join or form conjuncts, where U+200C and U+200D
// choose the form: Arabic, Syriac, N'Ko and their neighbours, the Indic
// scripts, Myanmar, Khmer and Mongolian, and the Arabic presentation forms.
const Range joining[] = {
    {0x0600, 0x08FF}, {0x0900, 0x0DFF}, {0x1000, 0x109F},
    {0x1780, 0x18AF}, {0xFB50, 0xFDFF}, {0xFE70, 0xFEFE},
};

constexpr int zwnj = 0x200C, zwj = 0x200D;

bool is_emoji_modifier(int c)
{
   return c >= 0x1F3FB && c <= 0x1F3FF;
}

// One character of a name as the terminal reads it.
struct Character {
   const char *at;
   int width;  // in bytes
   int c;      // its code point, or -1 for a byte that is no character
};

// Where a walk through a name has got to, and what came last.
struct Walk {
   const char *s;
   const char *end;
   Charset charset;
   std::mbstate_t state;
   int before;        // the last character, or -1
   bool after_emoji;  // whether it ended an emoji
};

Walk start(const char *name, Charset charset)
{
   return {name, name + std::strlen(name), charset, {}, -1, false};
}

// The C library's UTF-8 also takes the old forms of up to six bytes, which
// name no character.
bool is_code_point(unsigned long c)
{
   return c <= 0x10FFFF;
}

Character read_character(Walk &w)
{
   Character ch{w.s, 1, -1};
   if (w.charset == Charset::utf8) {
      const int c = lossless_utf8_decode(w.s, &ch.width);
      ch.c = is_stray_byte(c) ? -1 : c;
   } else if (w.charset == Charset::ascii) {
      const auto b = static_cast<unsigned char>(*w.s);
      ch.c = b < 0x80 ? b : -1;
   } else {
      wchar_t wc;
      const std::size_t n = std::mbrtowc(&wc, w.s, static_cast<std::size_t>(w.end - w.s), &w.state);
      const bool character =
          n != static_cast<std::size_t>(-1) && n != static_cast<std::size_t>(-2) && is_code_point(wc);
      if (character)
         ch = {w.s, static_cast<int>(n), static_cast<int>(wc)};
      else
         w.state = std::mbstate_t{};
   }
   w.s += ch.width;
   return ch;
}

// What becomes of a character in the shown form.
enum class Shown {
   as_itself,
   quoted,   // as itself, but only inside quotes: the backslash
   escaped,  // by an escape, inside $'...'
};

bool printable(int c, Charset charset)
{
   if (charset == Charset::utf8)
      return c >= 0x20 && c != 0x7F && !(c >= 0x80 && c <= 0x9F);
   if (charset == Charset::ascii)
      return c >= 0x20 && c < 0x7F;
   return std::iswprint(static_cast<wint_t>(c)) != 0;
}

bool is_selector(int c)
{
   return c == 0xFE0E || c == 0xFE0F;
}

// Whether a joiner or variation selector `c`, just read, joins or styles
// what it stands between: what came before it, and the character after it.
bool joins(int c, const Walk &w)
{
   if (is_selector(c))
      return in(pictographic, w.before);
   Walk ahead = w;
   const int after = w.s == w.end ? -1 : read_character(ahead).c;
   const bool script = in(joining, w.before) && in(joining, after);
   return script || (c == zwj && w.after_emoji && in(pictographic, after));
}

// Whether a character of several bytes holds the byte of a quote or a
// backslash, as some of GBK's and Big5's do, which a shell would read as
// itself: it can only stand escaped.
bool holds_quoting_byte(const Character &ch)
{
   return ch.width > 1 && (std::memchr(ch.at, '\'', static_cast<std::size_t>(ch.width)) ||
                           std::memchr(ch.at, '\\', static_cast<std::size_t>(ch.width)));
}

Shown judge(const Character &ch, const Walk &w)
{
   const int c = ch.c;
   if (c == '\\')
      return Shown::quoted;
   if (c < 0 || c == '\'' || !printable(c, w.charset) || holds_quoting_byte(ch))
      return Shown::escaped;
   if (c == zwj || c == zwnj || is_selector(c))
      return joins(c, w) ? Shown::as_itself : Shown::escaped;
   return in(hidden, c) ? Shown::escaped : Shown::as_itself;
}

// Reads the next character of the walk into `ch` and says how it is shown.
Shown next_character(Walk &w, Character &ch)
{
   ch = read_character(w);
   const Shown shown = judge(ch, w);
   // An emoji goes on through its skin tone and its presentation selector.
   const bool goes_on = is_emoji_modifier(ch.c) || (is_selector(ch.c) && shown == Shown::as_itself);
   w.after_emoji = in(pictographic, ch.c) || (w.after_emoji && goes_on);
   w.before = ch.c;
   return shown;
}

// Writes the escape for `ch` at `o` and returns the end of what it wrote:
// the character by its code point where the terminal reads UTF-8, else each
// of its bytes in octal.
char *escape(char *o, const Character &ch, bool by_code_point)
{
   static const char hex[] = "0123456789abcdef";
   static const char controls[] = "\a\b\t\n\v\f\r";
   *o++ = '\\';
   if (ch.c == '\'' || ch.c == '\\') {
      *o++ = static_cast<char>(ch.c);
   } else if (ch.c > 0 && ch.c < 0x20 && std::strchr(controls, ch.c)) {
      *o++ = "abtnvfr"[std::strchr(controls, ch.c) - controls];
   } else if (ch.c >= 0x80 && by_code_point) {
      const int digits = ch.c > 0xFFFF ? 8 : 4;
      *o++ = digits == 8 ? 'U' : 'u';
      for (int i = digits - 1; i >= 0; --i)
         *o++ = hex[(ch.c >> (4 * i)) & 0xF];
   } else {
      for (int i = 0; i < ch.width; ++i) {
         const auto b = static_cast<unsigned char>(ch.at[i]);
         if (i > 0)
            *o++ = '\\';
         *o++ = static_cast<char>('0' + (b >> 6));
         *o++ = static_cast<char>('0' + ((b >> 3) & 7));
         *o++ = static_cast<char>('0' + (b & 7));
      }
   }
   return o;
}

bool is_plain_ascii(char c)
{
   return c >= 0x20 && c < 0x7F && c != '\'' && c != '\\';
}

}  // namespace

const char *terminal_safe(const char *name, Charset charset, char *out)
{
   const std::size_t length = std::strlen(name);
   bool quote = name[0] == ' ' || name[length - 1] == ' ';
   bool plain = true;
   for (const char *s = name; *s && plain; ++s)  // the common case
      plain = is_plain_ascii(*s);
   bool escape_some = false;
   if (!plain) {
      Walk w = start(name, charset);
      for (Character ch; w.s != w.end;) {
         const Shown shown = next_character(w, ch);
         quote = quote || shown != Shown::as_itself;
         escape_some = escape_some || shown == Shown::escaped;
      }
   }
   if (!quote) {
      std::memcpy(out, name, length + 1);
      return out;
   }

   char *o = out;
   if (!escape_some) {
      *o++ = '\'';
      std::memcpy(o, name, length);
      o += length;
   } else {
      *o++ = '$';
      *o++ = '\'';
      Walk w = start(name, charset);
      for (Character ch; w.s != w.end;) {
         if (next_character(w, ch) == Shown::as_itself) {
            std::memcpy(o, ch.at, static_cast<std::size_t>(ch.width));
            o += ch.width;
         } else {
            o = escape(o, ch, charset == Charset::utf8);
         }
      }
   }
   *o++ = '\'';
   *o = '\0';
   return out;
}

bool is_utf8_locale(const char *name)
{
   // The character set follows the dot; a name without one may be a
   // character set name itself.
   const char *dot = std::strchr(name, '.');
   const char *codeset = dot ? dot + 1 : name;
   // The C library compares character set names by their ASCII letters and
   // digits alone, in any case.
   char letters[5];
   std::size_t n = 0;
   for (const char *s = codeset; *s && *s != '@'; ++s) {
      const char c = *s >= 'A' && *s <= 'Z' ? static_cast<char>(*s - 'A' + 'a') : *s;
      if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')))
         continue;
      if (n == sizeof letters - 1)
         return false;
      letters[n++] = c;
   }
   letters[n] = '\0';
   return std::strcmp(letters, "utf8") == 0;
}
