#include <unistd.h>

#include <cstdio>

#include "platform.h"
#include "terminal_safe.h"

// A name is bytes, and the lossless UTF-8 format keeps every one of them.
void use_exact_file_names() {}

bool is_exact_name(const char *)
{
   return true;
}

namespace {

// Scripts get the exact bytes; a person at a terminal gets a safe view.
// Decided once, before main, as what standard output is does not change.
const bool on_terminal = isatty(STDOUT_FILENO);

}  // namespace

bool print_name(const char *name)
{
   char shown[512];
   printf("%s\n", on_terminal ? terminal_safe(name, shown) : name);
   return !ferror(stdout);
}

bool all_names_written()
{
   // A name still in the buffer has not been written yet.
   return fflush(stdout) == 0 && !ferror(stdout);
}
