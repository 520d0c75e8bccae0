// dirlist: print the names of the entries of the current directory, one per
// line, in the order the directory yields them.
#include <allegro.h>

#include <cerrno>
#include <cstdio>

int main([[maybe_unused]] int argc, [[maybe_unused]] char *argv[])
{
   struct al_ffblk f;
   int done = 0;

   allegro_init();

   errno = 0;
   done = al_findfirst("*.*", &f, 0);
   while (done == 0) {
      printf("%s\n", f.name);
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
