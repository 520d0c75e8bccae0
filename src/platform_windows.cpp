#include <allegro.h>
#include <winalleg.h>

#include <cstdio>

#include "lossless_utf8.h"
#include "platform.h"
#include "terminal_safe.h"
#include "utf16.h"

namespace {

// The console, when standard output is one. A file, a pipe or NUL answers
// no console mode (and NUL passes for a terminal with _isatty).
HANDLE find_console()
{
   const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
   DWORD mode;
   return GetConsoleMode(out, &mode) ? out : nullptr;
}

// Decided once, before main, as what standard output is does not change.
const HANDLE console = find_console();

}  // namespace

void use_exact_file_names()
{
   // Whatever start-up chose, so that no name passes through the ANSI code page.
   register_utf16();
   set_filename_encoding(U_UNICODE);
}

bool is_exact_name(const char *name)
{
   // Valid UTF-16 always comes out as valid UTF-8; a lone surrogate does not.
   return is_valid_utf8(name);
}

bool print_name(const char *name)
{
   if (!console) {
      printf("%s\n", name);  // text mode: the line ends in CR LF
      return !ferror(stdout);
   }
   // The console shows UTF-16 characters whatever its code page; bytes
   // written to it would be read in that code page.
   char shown[512];
   wchar_t line[512 + 2];
   const int length = MultiByteToWideChar(CP_UTF8, 0, terminal_safe(name, shown), -1, line, 512) - 1;
   if (length < 0)
      return false;
   line[length] = L'\r';
   line[length + 1] = L'\n';
   DWORD written = 0;
   return WriteConsoleW(console, line, length + 2, &written, nullptr) && written == DWORD(length + 2);
}

bool all_names_written()
{
   return fflush(stdout) == 0 && !ferror(stdout);
}
