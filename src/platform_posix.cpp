#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <initializer_list>

#include "platform.h"
#include "terminal_safe.h"

namespace {

enum class Shown { exact, safe_utf8, safe_ascii };

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

// Scripts get the exact bytes; a person at a terminal gets a safe view, in
// UTF-8 only where the locale says the terminal reads it. Decided once,
// before main, as neither standard output nor the environment changes.
const Shown shown = !isatty(STDOUT_FILENO)                   ? Shown::exact
                    : is_utf8_locale(character_set_locale()) ? Shown::safe_utf8
                                                             : Shown::safe_ascii;

}  // namespace

// A name is bytes, and the lossless UTF-8 format keeps every one of them.
void prepare_search() {}

bool is_exact_name(const char *)
{
   return true;
}

bool print_name(const char *name)
{
   char safe[512];
   if (shown == Shown::safe_utf8)
      name = terminal_safe(name, safe);
   else if (shown == Shown::safe_ascii)
      name = terminal_safe_ascii(name, safe);
   printf("%s\n", name);
   return !ferror(stdout);
}

bool all_names_written()
{
   // A name still in the buffer has not been written yet.
   return fflush(stdout) == 0 && !ferror(stdout);
}
