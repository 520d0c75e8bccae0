// What the library's search on Linux tells the C library and not its caller.
//
// The search examines each entry with stat, by the path "./" and the
// entry's whole name, which it builds in a buffer of search_path_room
// bytes, and only then copies the name, as far as it fits, into its record.
// It offers no hook, so this unit defines the C library's stat and stat64,
// which the search's calls bind to ahead of the C library's own, asks the
// kernel exactly as they would, and notes two things from the path:
// - An entry that could not be examined: stat failed for any reason but a
//   link that leads nowhere, or the path filled the buffer and so may name
//   another entry or none. The search moves on to the next entry and clears
//   the error it reports through, so such an entry would be left out as
//   silently as a link that leads nowhere.
// - The whole name of the entry examined last, which is the entry that the
//   search hands over next, where the record may not hold all of it
//   (may_be_cut bytes or more). A name that fits is not copied, so the
//   cost per entry stays that of finding the path's length.
//
// It defines both functions, each with the record the C library gives it, so
// it must see them as declared without large-file support, under which the
// headers rename stat to stat64.
#undef _FILE_OFFSET_BITS
#undef _TIME_BITS

#include <fcntl.h>
#include <string.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "search_watch.h"

namespace {

// "./" and a name that the record may have cut.
constexpr std::size_t long_path = 2 + may_be_cut;

bool unexamined = false;
// The path examined last, where it is long, whole; else empty.
char long_path_examined[search_path_room];

int note(const char *path, int result)
{
   const std::size_t length = strnlen(path, long_path);
   long_path_examined[0] = '\0';
   bool cut = false;
   if (length == long_path) {
      const std::size_t whole = strnlen(path, search_path_room);
      cut = whole >= search_path_room - 1;
      if (!cut)
         std::memcpy(long_path_examined, path, whole + 1);
   }
   // A dangling link (ENOENT, ENOTDIR) or a looping one (ELOOP) was
   // examined: it leads nowhere, and the search leaves it out by its rule.
   // So was an entry removed since the directory was read (ENOENT).
   if (result != 0 && (cut || (errno != ENOENT && errno != ENOTDIR && errno != ELOOP)))
      unexamined = true;
   return result;
}

}  // namespace

// NOLINTNEXTLINE(readability-inconsistent-declaration-parameter-name): the C library's names are reserved
extern "C" int stat(const char *path, struct stat *st)
{
   return note(path, fstatat(AT_FDCWD, path, st, 0));
}

#ifdef __GLIBC__
// NOLINTNEXTLINE(readability-inconsistent-declaration-parameter-name)
extern "C" int stat64(const char *path, struct stat64 *st)
{
   return note(path, fstatat64(AT_FDCWD, path, st, 0));
}
#endif

bool every_entry_examined()
{
   return !unexamined;
}

const char *whole_name(const char *cut)
{
   const char *name = long_path_examined + 2;
   const bool examined = std::strncmp(long_path_examined, "./", 2) == 0;
   return examined && std::strncmp(name, cut, std::strlen(cut)) == 0 ? name : nullptr;
}
