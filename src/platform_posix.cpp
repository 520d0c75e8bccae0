#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <initializer_list>

#include "platform.h"
#include "terminal_charset.h"
#include "terminal_safe.h"

namespace {

// The locale that names the terminal's character set: the first of these
// that is set and not empty, as POSIX orders them.
const char *character_set_locale()
{
   for (const char *variable : {"LC_ALL", "LC_CTYPE", "LANG"}) {
      const char *value = std::getenv(variable);
      if (value && *value)
         return value;
   }
   return "";
}

// Scripts get the exact bytes; a person at a terminal gets each name in a
// form that shows as no other. Decided once, before main, as neither
// standard output nor the environment changes; only a terminal costs a
// locale.
const bool to_terminal = isatty(STDOUT_FILENO) == 1;
const Charset charset = to_terminal ? terminal_charset(character_set_locale()) : Charset::utf8;

}  // namespace

// A name is bytes, and the lossless UTF-8 format keeps every one of them.
void prepare_search() {}

bool is_exact_name(const char *)
{
   return true;
}

bool print_name(const char *name)
{
   char shown[shown_size];
   printf("%s\n", to_terminal ? terminal_safe(name, charset, shown) : name);
   return !ferror(stdout);
}
