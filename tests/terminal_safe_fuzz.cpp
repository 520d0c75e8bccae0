// A fuzz target (libFuzzer) for the terminal view. For every character set
// it takes, and whatever the name, the shown form must fit its buffer, hold
// no control for the terminal (no byte below 0x20, no 0x7F, no C1 control),
// and read back, as a shell reads it, as exactly the name; a bare form must
// hold no shell syntax.
//
// An input's first byte picks the character set: UTF-8, ASCII, or the C
// library's, in one of the locales that LOCPATH holds (fuzz_terminal_safe.sh
// makes them); the bytes after it, up to a NUL, are the name.
#include <dirent.h>
#include <locale.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "terminal_safe.h"

namespace {

std::vector<locale_t> locales;

void fail(const char *what, const std::string &name, const char *shown)
{
   std::fprintf(stderr, "%s\n  name: ", what);
   for (const char c : name)
      std::fprintf(stderr, "\\x%02x", static_cast<unsigned char>(c));
   std::fprintf(stderr, "\n  shown: %s\n", shown);
   std::abort();
}

// Whether the bare form `shown` is one word that every shell reads as
// itself: its ASCII only letters, digits and %+,-./:@_, and = but first.
bool is_one_word(const std::string &shown)
{
   for (std::size_t i = 0; i < shown.size(); ++i) {
      const auto c = static_cast<unsigned char>(shown[i]);
      if (c < 0x80 && !std::isalnum(c) && !std::strchr("%+,-./:@_=", c))
         return false;
   }
   return shown[0] != '=';
}

// What a shell reads back from `shown`, into `name`; false where `shown` is
// none of the forms of the view: a bare name, one word that holds no
// apostrophe, '...', "..." or $'...'.
bool read_back(const std::string &shown, std::string &name)
{
   const std::size_t n = shown.size();
   name.clear();
   if (shown.find('\'') == std::string::npos) {
      name = shown;
      return is_one_word(shown);
   }
   if (n >= 2 && shown[0] == '\'' && shown[n - 1] == '\'') {
      name = shown.substr(1, n - 2);
      return name.find('\'') == std::string::npos;
   }
   if (n >= 2 && shown[0] == '"' && shown[n - 1] == '"') {
      name = shown.substr(1, n - 2);
      return name.find_first_of("\"$`\\!") == std::string::npos;
   }
   if (n < 3 || shown.compare(0, 2, "$'") != 0 || shown[n - 1] != '\'')
      return false;
   for (std::size_t i = 2; i < n - 1; ++i) {
      if (shown[i] == '\'')
         return false;  // the string would end here
      if (shown[i] != '\\') {
         name += shown[i];
         continue;
      }
      if (++i == n - 1)
         return false;
      const char *letter = shown[i] ? std::strchr("abtnvfr\\'", shown[i]) : nullptr;
      if (letter) {
         name += "\a\b\t\n\v\f\r\\'"[letter - "abtnvfr\\'"];
         continue;
      }
      // Up to three octal digits, as bash reads them.
      int value = 0, digits = 0;
      for (; digits < 3 && i < n - 1 && shown[i] >= '0' && shown[i] <= '7'; ++digits, ++i)
         value = value * 8 + (shown[i] - '0');
      if (digits == 0)
         return false;
      --i;
      name += static_cast<char>(value & 0xFF);
   }
   return true;
}

// Whether `shown` holds a control for a terminal reading `charset`.
bool holds_control(const std::string &shown, Charset charset)
{
   for (std::size_t i = 0; i < shown.size(); ++i) {
      const auto b = static_cast<unsigned char>(shown[i]);
      if (b < 0x20 || b == 0x7F)
         return true;
      if (charset == Charset::ascii && b >= 0x80)
         return true;
      if (charset == Charset::utf8 && b == 0xC2 && i + 1 < shown.size() &&
          static_cast<unsigned char>(shown[i + 1]) <= 0x9F)
         return true;
   }
   if (charset != Charset::locale)
      return false;
   // As the locale reads it: no character in 0x80-0x9F, and in a
   // single-byte set, no such byte whatever the set calls it.
   std::mbstate_t state{};
   for (const char *s = shown.c_str(), *end = s + shown.size(); s != end;) {
      if (MB_CUR_MAX == 1 && static_cast<unsigned char>(*s) >= 0x80 && static_cast<unsigned char>(*s) <= 0x9F)
         return true;
      wchar_t wc;
      const std::size_t read = std::mbrtowc(&wc, s, static_cast<std::size_t>(end - s), &state);
      if (read == 0 || read > static_cast<std::size_t>(end - s) || (wc >= 0x80 && wc <= 0x9F))
         return true;  // no character, or a C1 control
      s += read;
   }
   return false;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
   const char *path = std::getenv("LOCPATH");
   DIR *dir = path ? opendir(path) : nullptr;
   while (const dirent *e = dir ? readdir(dir) : nullptr) {
      if (e->d_name[0] == '.')
         continue;
      const locale_t locale = newlocale(LC_CTYPE_MASK, e->d_name, nullptr);
      if (!locale) {
         std::fprintf(stderr, "no locale %s in %s\n", e->d_name, path);
         std::exit(1);
      }
      locales.push_back(locale);
      std::fprintf(stderr, "locale %s\n", e->d_name);
   }
   if (dir)
      closedir(dir);
   if (locales.empty()) {
      std::fprintf(stderr, "no locales: set LOCPATH to a directory of them (fuzz_terminal_safe.sh does)\n");
      std::exit(1);
   }
   return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
   if (size < 2)
      return 0;
   const std::size_t pick = data[0] % (2 + locales.size());
   const Charset charset = pick == 0 ? Charset::utf8 : pick == 1 ? Charset::ascii : Charset::locale;
   if (charset == Charset::locale)
      uselocale(locales[pick - 2]);
   std::string name(reinterpret_cast<const char *>(data + 1), size - 1);
   name.resize(std::min({name.find('\0'), name.size(), longest_name}));
   if (name.empty())
      return 0;

   std::vector<char> out(shown_size);  // on the heap, where AddressSanitizer sees past its end
   const char *shown = terminal_safe(name.c_str(), charset, out.data());

   if (std::strlen(shown) >= shown_size)
      fail("longer than its buffer", name, shown);
   if (holds_control(shown, charset))
      fail("holds a control", name, shown);
   std::string read;
   if (!read_back(shown, read))
      fail("is no shell form", name, shown);
   if (read != name)
      fail("reads back as another name", name, shown);
   return 0;
}
