// dirlist: print the names of the entries of the current directory, one per
// line, in the order the directory yields them.
#include <allegro.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "lossless_utf8.h"
#include "platform.h"
#include "search_watch.h"

// Flushes standard output; whether every name printed reached it. A name
// still in the buffer has not been written yet.
static bool all_names_written()
{
   return std::fflush(stdout) == 0 && !std::ferror(stdout);
}

// Arguments are ignored, but stay: the library's Windows entry calls main with them.
int main([[maybe_unused]] int argc, [[maybe_unused]] char *argv[])
{
   // Zeroed, so that closing a search that never began (its first
   // allocation failed) closes nothing.
   struct al_ffblk f = {};
   int done = 0;

   register_lossless_utf8();
   // The program needs the library's directory search alone: start it with
   // no system driver, so that it touches no display, console, sound device
   // or signal, and with an empty configuration (a file name that names no
   // file), so that it neither looks for nor reads a configuration file.
   set_config_file("");
   // errno is the library's error indicator: the search reports through it.
   install_allegro(SYSTEM_NONE, &errno, atexit);
   prepare_search();

   bool all_listed = true;
   bool written = true;

   errno = 0;
   // The search leaves out entries with any attribute outside the mask, and
   // Windows marks almost every ordinary file "archive" (changed since the
   // last backup); Linux never reports that attribute. On Windows the search
   // ignores attribute bits above the low byte.
   done = al_findfirst("*.*", &f, FA_ARCH);
   while (done == 0) {
      // A name the record may have cut is printed whole, where the search
      // showed the whole of it. One that is not known whole, or that did
      // not come through exactly, would name another entry or none: leave
      // it out, and the listing is incomplete.
      const char *name = std::strlen(f.name) < may_be_cut ? f.name : whole_name(f.name);
      if (name && is_exact_name(name))
         written = print_name(name);
      else
         all_listed = false;
      // Output that failed once (a reader gone away, a full disk) takes no
      // more lines: stop before searching on.
      if (!written)
         break;
      errno = 0;
      done = al_findnext(&f);
   }
   // The search reports "no more entries" as ENOENT (or not at all); that
   // includes an empty or removed directory. Anything else is a failure, and
   // so is an entry it left out for want of its attributes.
   const bool searched = (errno == 0 || errno == ENOENT) && every_entry_examined();
   al_findclose(&f);

   return written && searched && all_listed && all_names_written() ? 0 : 1;
}
END_OF_MAIN()
