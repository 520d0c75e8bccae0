#include "terminal_safe.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <cwchar>

#include "lossless_utf8.h"
#include "unicode_tables.h"

namespace {

// The most bytes of UTF-8 that one terminal cell holds: tmux keeps no more
// of a character and what is drawn on it, and drops the rest unseen.
constexpr int cell_bytes = 21;

// The properties of the code point `c` (see unicode_tables.h).
std::uint32_t properties(int c)
{
   constexpr std::uint32_t all = (1u << property_bits) - 1;
   const std::uint32_t key = static_cast<std::uint32_t>(c) << property_bits | all;
   // The last run that starts at or before c.
   return *(std::upper_bound(property_runs, property_runs + property_run_count, key) - 1) & all;
}

// What becomes of a character in the shown form.
enum class Shown : std::uint8_t {
   as_itself,
   quoted,   // as itself, but only inside quotes that take it: the apostrophe, the backslash
   escaped,  // by an escape, inside $'...'
};

// One character of a name as the terminal reads it.
struct Character {
   const char *at;
   int width;  // in bytes
   int c;      // its code point, or -1 for bytes that stand for none (see read_characters)
   Shown shown;
};

// Reads the characters of `name`, of `length` bytes, into `chars` and
// returns how many there are. In the C library's locale, a character that a
// terminal or a shell could misread (see the header) counts as bytes that
// are no character.
std::size_t read_characters(const char *name, std::size_t length, Charset charset, Character *chars)
{
   const char *const end = name + length;
   const bool single_byte = charset == Charset::locale && MB_CUR_MAX == 1;
   std::mbstate_t state{};
   std::size_t n = 0;
   for (const char *s = name; s != end; s += chars[n++].width) {
      Character &ch = chars[n];
      ch = {s, 1, -1, Shown::escaped};
      const auto b = static_cast<unsigned char>(*s);
      if (charset == Charset::utf8) {
         const int c = lossless_utf8_decode(s, &ch.width);
         ch.c = is_stray_byte(c) ? -1 : c;
      } else if (b < 0x80 || charset == Charset::ascii) {
         ch.c = b < 0x80 ? b : -1;
      } else {
         wchar_t wc;
         const auto left = static_cast<std::size_t>(end - s);
         // Anything else than 1 to `left` says the bytes are no character.
         const std::size_t read = std::mbrtowc(&wc, s, left, &state);
         if (read >= 1 && read <= left) {
            // A character of two code points leaves the second one pending,
            // which the next call gives without reading a byte: as -3, or
            // (glibc) as 0 with a code point that is not NUL.
            wchar_t pending = L'\0';
            const std::size_t next = std::mbrtowc(&pending, s + read, left - read + 1, &state);
            const bool two = next == static_cast<std::size_t>(-3) || (next == 0 && pending != L'\0');
            const bool holds_ascii =
                std::find_if(s, s + read, [](char byte) { return (byte & 0x80) == 0; }) != s + read;
            const bool c1 = single_byte && b <= 0x9F;
            // NOLINTNEXTLINE(bugprone-signed-char-misuse): a wide character, which is no char
            const auto code_point = static_cast<std::uint32_t>(wc);
            ch.width = static_cast<int>(read);
            if (!two && !holds_ascii && !c1 && code_point <= 0x10FFFF)
               ch.c = static_cast<int>(code_point);
         }
         state = std::mbstate_t{};
      }
   }
   return n;
}

// Whether the Hangul vowel or trailing jamo `c`, of properties `p`, joins
// the shown character `before` into one syllable, as the grapheme cluster
// rules GB6-GB8 have it: L x V, LV x V, V x V; LV, LVT, V, T x T.
bool jamo_joins(std::uint32_t p, const Character &before)
{
   const std::uint32_t b = properties(before.c);
   // Of the syllables, whose trailing consonants come in 28 (the first
   // being none), those without one (LV).
   const bool open_syllable = (b & hangul_syllable) && (before.c - 0xAC00) % 28 == 0;
   if (p & vowel_jamo)
      return (b & (leading_jamo | vowel_jamo)) || open_syllable;
   return (b & (vowel_jamo | trailing_jamo | hangul_syllable)) != 0;
}

// Judges each of the `n` characters, in order.
void judge(Character *chars, std::size_t n)
{
   int cell = 0;  // the bytes of UTF-8 in the cell that the character before drew in
   for (std::size_t i = 0; i < n; ++i) {
      Character &ch = chars[i];
      if (ch.c == '\'' || ch.c == '\\') {
         ch.shown = Shown::quoted;
         cell = 1;
         continue;
      }
      const std::uint32_t p = ch.c < 0 ? 0 : properties(ch.c);
      if (!(p & (mark | vowel_jamo | trailing_jamo))) {
         ch.shown = (p & shown) ? Shown::as_itself : Shown::escaped;
         cell = lossless_utf8_length(ch.c);
         continue;
      }
      // Drawn on the character before: shown only where that is shown too
      // (not on an escape, nor on the quote that opens the form), where it
      // joins it, and where the cell has room for it.
      const Character *before = i > 0 ? &chars[i - 1] : nullptr;
      const int bytes = lossless_utf8_length(ch.c);
      if (before && before->shown != Shown::escaped && ((p & mark) || jamo_joins(p, *before)) &&
          cell + bytes <= cell_bytes) {
         ch.shown = Shown::as_itself;
         cell += bytes;
      } else {
         ch.shown = Shown::escaped;
      }
   }
}

// Writes the escape for `ch` at `o` and returns the end of what it wrote.
char *escape(char *o, const Character &ch)
{
   static const char controls[] = "\a\b\t\n\v\f\r";
   const char *control = ch.c > 0 && ch.c < 0x20 ? std::strchr(controls, ch.c) : nullptr;
   *o++ = '\\';
   if (ch.c == '\'' || ch.c == '\\') {
      *o++ = static_cast<char>(ch.c);
   } else if (control) {
      *o++ = "abtnvfr"[control - controls];
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

// Whether the ASCII character `c` stands for itself in a word of every
// shell, wherever it stands but first (see is_bare_ascii_first).
bool is_bare_ascii(char c)
{
   return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
          (c != '\0' && std::strchr("%+,-./:@_=", c));
}

// Whether the first character `c` of a name stands for itself in every
// shell: not = (zsh reads =cmd as the path of cmd).
bool is_bare_ascii_first(char c)
{
   return c != '=' && is_bare_ascii(c);
}

}  // namespace

const char *terminal_safe(const char *name, Charset charset, char *out)
{
   const std::size_t length = std::strlen(name);
   if (is_bare_ascii_first(name[0]) && std::all_of(name, name + length, is_bare_ascii)) {  // the common case
      std::memcpy(out, name, length + 1);
      return out;
   }

   Character chars[longest_name];
   const std::size_t n = read_characters(name, length, charset, chars);
   judge(chars, n);
   // Quoted where any character does not show as itself, or is ASCII that
   // some shell reads as syntax: a space, $, ;, a glob, a comment, ...
   bool quote = false, escape_some = false;
   for (std::size_t i = 0; i < n; ++i) {
      const int c = chars[i].c;
      const bool syntax =
          c >= 0 && c < 0x80 && !(i == 0 ? is_bare_ascii_first(*chars[i].at) : is_bare_ascii(*chars[i].at));
      quote = quote || chars[i].shown != Shown::as_itself || syntax;
      escape_some = escape_some || chars[i].shown == Shown::escaped;
   }

   char *o = out;
   const bool apostrophe = std::strchr(name, '\'') != nullptr;
   if (!escape_some && !(apostrophe && std::strpbrk(name, "\"$`\\!"))) {
      // Bare, in single quotes, or in double quotes around an apostrophe.
      const char *mark = !quote ? "" : apostrophe ? "\"" : "'";
      const std::size_t marks = std::strlen(mark);
      std::memcpy(o, mark, marks);
      std::memcpy(o + marks, name, length);
      std::memcpy(o + marks + length, mark, marks);
      o += length + 2 * marks;
   } else {
      *o++ = '$';
      *o++ = '\'';
      for (std::size_t i = 0; i < n; ++i) {
         if (chars[i].shown == Shown::as_itself) {
            std::memcpy(o, chars[i].at, static_cast<std::size_t>(chars[i].width));
            o += chars[i].width;
         } else {
            o = escape(o, chars[i]);
         }
      }
      *o++ = '\'';
   }
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
