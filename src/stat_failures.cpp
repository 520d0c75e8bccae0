// Entries the library's search could not examine.
//
// The search calls stat on each entry and, when that fails, moves on to the
// next one and clears the error it reports through: an entry on a damaged
// disk or a stale network mount is left out as silently as a link that
// leads nowhere. It offers no hook, so this unit defines the C library's
// stat and stat64, which the search's calls bind to ahead of the C
// library's own, asks the kernel exactly as they would, and notes each
// failure that is not a link leading nowhere.
//
// It defines both functions, each with the record the C library gives it, so
// it must see them as declared without large-file support, under which the
// headers rename stat to stat64.
#undef _FILE_OFFSET_BITS
#undef _TIME_BITS

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>

#include "platform.h"

namespace {

bool unexamined = false;

// A dangling link (ENOENT, ENOTDIR) or a looping one (ELOOP) was examined:
// it leads nowhere, and the search leaves it out by its rule. So was an
// entry removed since the directory was read (ENOENT).
int note(int result)
{
   if (result != 0 && errno != ENOENT && errno != ENOTDIR && errno != ELOOP)
      unexamined = true;
   return result;
}

}  // namespace

// NOLINTNEXTLINE(readability-inconsistent-declaration-parameter-name): the C library's names are reserved
extern "C" int stat(const char *path, struct stat *st)
{
   return note(fstatat(AT_FDCWD, path, st, 0));
}

#ifdef __GLIBC__
// NOLINTNEXTLINE(readability-inconsistent-declaration-parameter-name)
extern "C" int stat64(const char *path, struct stat64 *st)
{
   return note(fstatat64(AT_FDCWD, path, st, 0));
}
#endif

bool every_entry_examined()
{
   return !unexamined;
}
