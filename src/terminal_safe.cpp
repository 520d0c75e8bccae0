#include "terminal_safe.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <cwchar>

#include "lossless_utf8.h"
#include "unicode_tables.h"

namespace {

constexpr int zwnj = 0x200C, zwj = 0x200D, text_selector = 0xFE0E, emoji_selector = 0xFE0F;

// The properties of the code point `c` (see unicode_tables.h).
std::uint32_t properties(int c)
{
   constexpr std::uint32_t all = (1u << property_bits) - 1;
   const std::uint32_t key = static_cast<std::uint32_t>(c) << property_bits | all;
   // The last run that starts at or before c.
   return *(std::upper_bound(property_runs, property_runs + property_run_count, key) - 1) & all;
}

bool is_joiner_or_selector(int c)
{
   return c == zwnj || c == zwj || c == text_selector || c == emoji_selector;
}

// What becomes of a character in the shown form.
enum class Shown {
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

bool ordinary(const Character &ch)
{
   return ch.shown == Shown::as_itself && !is_joiner_or_selector(ch.c);
}

// How `ch` shows, unless it is a joiner or a selector, whose neighbours
// decide: `first` says whether it starts the name.
Shown judge_alone(const Character &ch, bool first)
{
   if (ch.c == '\'' || ch.c == '\\')
      return Shown::quoted;
   if (ch.c < 0)
      return Shown::escaped;
   const std::uint32_t p = properties(ch.c);
   return (p & shown) && !(first && (p & mark)) ? Shown::as_itself : Shown::escaped;
}

// The length of the longest RGI emoji ZWJ sequence that `chars`, of `n`,
// starts with, or 0.
std::size_t zwj_sequence_at(const Character *chars, std::size_t n)
{
   // The name's code points as positions among the sequences' code points.
   char key[longest_zwj_sequence + 1];
   std::size_t length = 0;
   const char32_t *const code_points_end = zwj_sequence_code_points + zwj_sequence_code_point_count;
   for (; length < n && length < longest_zwj_sequence; ++length) {
      const auto c = static_cast<char32_t>(chars[length].c);
      const char32_t *found = std::lower_bound(zwj_sequence_code_points, code_points_end, c);
      if (found == code_points_end || *found != c)
         break;
      key[length] = static_cast<char>(found - zwj_sequence_code_points + 1);
   }
   const std::uint16_t *const starts_end = zwj_sequence_starts + zwj_sequence_count;
   for (; length > 1; --length) {
      key[length] = '\0';
      auto sequence = [](std::uint16_t start) {
         return reinterpret_cast<const char *>(zwj_sequences + start);
      };
      const std::uint16_t *found = std::lower_bound(
          zwj_sequence_starts, starts_end, key,
          [&](std::uint16_t start, const char *k) { return std::strcmp(sequence(start), k) < 0; });
      if (found != starts_end && std::strcmp(sequence(*found), key) == 0)
         return length;
   }
   return 0;
}

// The letter before the joiner at `i` that joining sees, past transparent
// marks that show as themselves, or null.
const Character *letter_before(const Character *chars, std::size_t i)
{
   while (i-- > 0) {
      if (!ordinary(chars[i]))
         return nullptr;
      if (!(properties(chars[i].c) & transparent))
         return &chars[i];
   }
   return nullptr;
}

// Whether `ch`, not yet judged and not the first, will show as itself and
// is neither a joiner nor a selector.
bool ordinary_ahead(const Character &ch)
{
   return !is_joiner_or_selector(ch.c) && judge_alone(ch, false) == Shown::as_itself;
}

// The same as letter_before after the joiner at `i`, of `n` characters.
const Character *letter_after(const Character *chars, std::size_t n, std::size_t i)
{
   while (++i < n) {
      if (!ordinary_ahead(chars[i]))
         return nullptr;
      if (!(properties(chars[i].c) & transparent))
         return &chars[i];
   }
   return nullptr;
}

// Whether the joiner at `i` makes a letter beside it take another form: a
// conjunct after a virama, or a joining form in a joining script.
bool shapes(const Character *chars, std::size_t n, std::size_t i)
{
   if (i > 0 && i + 1 < n && ordinary(chars[i - 1]) && (properties(chars[i - 1].c) & virama) &&
       ordinary_ahead(chars[i + 1]) && (properties(chars[i + 1].c) & consonant))
      return true;
   const Character *before = letter_before(chars, i), *after = letter_after(chars, n, i);
   if (!before || !after)
      return false;
   const bool forward = properties(before->c) & joins_forward, back = properties(after->c) & joins_back;
   // A non-joiner parts letters that would join; a joiner joins a letter to
   // one that would not.
   return chars[i].c == zwnj ? forward && back : forward != back;
}

// Whether the variation selector at `i` selects the presentation, text or
// emoji, that the character before it would not take by default.
bool selects(const Character *chars, std::size_t i)
{
   return i > 0 && ordinary(chars[i - 1]) &&
          (properties(chars[i - 1].c) & (chars[i].c == emoji_selector ? text_default : emoji_default));
}

// Judges each of the `n` characters, in order.
void judge(Character *chars, std::size_t n)
{
   std::size_t sequence_end = 0;  // of the emoji ZWJ sequence found last
   for (std::size_t i = 0; i < n; ++i) {
      Character &ch = chars[i];
      if (i >= sequence_end) {
         const std::size_t length = zwj_sequence_at(chars + i, n - i);
         if (length > 0)
            sequence_end = i + length;
      }
      if (!is_joiner_or_selector(ch.c))
         ch.shown = judge_alone(ch, i == 0);
      else if (i < sequence_end)
         ch.shown = Shown::as_itself;
      else if (ch.c == zwj || ch.c == zwnj)
         ch.shown = shapes(chars, n, i) ? Shown::as_itself : Shown::escaped;
      else
         ch.shown = selects(chars, i) ? Shown::as_itself : Shown::escaped;
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

bool is_plain_ascii(char c)
{
   return c >= 0x20 && c < 0x7F && c != '\'' && c != '\\';
}

}  // namespace

const char *terminal_safe(const char *name, Charset charset, char *out)
{
   const std::size_t length = std::strlen(name);
   const bool spaced = name[0] == ' ' || name[length - 1] == ' ';
   if (!spaced && std::all_of(name, name + length, is_plain_ascii)) {  // the common case
      std::memcpy(out, name, length + 1);
      return out;
   }

   Character chars[longest_name];
   const std::size_t n = read_characters(name, length, charset, chars);
   judge(chars, n);
   bool quote = spaced, escape_some = false;
   for (std::size_t i = 0; i < n; ++i) {
      quote = quote || chars[i].shown != Shown::as_itself;
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
