// dirlist: print the names of the entries of the current directory, one per
// line, in the order the directory yields them.
#include <allegro.h>

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "lossless_utf8.h"
#include "terminal_safe.h"

int main([[maybe_unused]] int argc, [[maybe_unused]] char *argv[])
{
   struct al_ffblk f;
   int done = 0;

   register_lossless_utf8();
   // The program needs the library's directory search alone: start it with
   // no system driver, so that it touches no display, console, sound device
   // or signal, and with an empty configuration (a file name that names no
   // file), so that it neither looks for nor reads a configuration file.
   set_config_file("");
   install_allegro(SYSTEM_NONE, &errno, atexit);

   // Scripts get the exact bytes; a person at a terminal gets a safe view.
   const bool on_terminal = isatty(STDOUT_FILENO);
   char shown[sizeof f.name];

   errno = 0;
   // The search leaves out entries with any attribute outside the mask, and
   // Windows marks almost every ordinary file "archive" (changed since the
   // last backup); Linux never reports that attribute.
   done = al_findfirst("*.*", &f, FA_ARCH);
   while (done == 0) {
      printf("%s\n", on_terminal ? terminal_safe(f.name, shown) : f.name);
      errno = 0;
      done = al_findnext(&f);
   }
   // The search reports "no more entries" as ENOENT (or not at all); that
   // includes an empty or removed directory. Anything else is a failure.
   const bool listed = errno == 0 || errno == ENOENT;
   al_findclose(&f);

   // A name still in the buffer has not been written yet.
   const bool written = fflush(stdout) == 0 && !ferror(stdout);
   return listed && written ? 0 : 1;
}
END_OF_MAIN()
