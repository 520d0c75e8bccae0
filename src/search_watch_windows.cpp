// What the library's search on Windows finds and does not hand over.
//
// al_findfirst and al_findnext search with the C runtime's _wfindfirst32
// and _wfindnext32, whose record holds a name of up to 259 UTF-16 units,
// then copy into their own record only as much of it as fits. They reach
// the runtime through its import slots, which the link wraps
// (-Wl,--wrap=_imp___wfindfirst32,--wrap=_imp___wfindnext32, once the build
// has checked that the library names both): the library then loads the
// slots defined here, which lead to watchers that call the runtime's own
// and keep the whole name of the entry found, where the record may not hold
// all of it. The runtime takes each entry's attributes from the directory
// itself, so the search examines nothing more.
#include <io.h>

#include <cstdint>
#include <cstring>
#include <cwchar>

#include "search_watch.h"

using FindFirst = std::intptr_t(__cdecl *)(const wchar_t *, _wfinddata32_t *);
using FindNext = int(__cdecl *)(std::intptr_t, _wfinddata32_t *);

// The runtime's import slots, under the names the link's --wrap gives them.
extern "C" FindFirst __real__imp___wfindfirst32;
extern "C" FindNext __real__imp___wfindnext32;

namespace {

constexpr std::size_t name_units = sizeof _wfinddata32_t::name / sizeof(wchar_t);
// A unit takes at most 3 bytes of UTF-8 (a surrogate pair takes 4 for two),
// so a name of this many units or more may not fit the record.
constexpr std::size_t may_not_fit = (may_be_cut + 2) / 3;
static_assert(3 * (name_units - 1) <= longest_name);

// The name of the entry found last, where it may not fit the record; else
// empty.
wchar_t long_name_found[name_units];

// Touches no errno: the library reads the one the runtime's call set.
void keep_if_long(const _wfinddata32_t *found)
{
   const std::size_t length = std::wcslen(found->name);
   if (length >= may_not_fit)
      std::memcpy(long_name_found, found->name, (length + 1) * sizeof(wchar_t));
   else
      long_name_found[0] = L'\0';
}

std::intptr_t __cdecl watch_find_first(const wchar_t *pattern, _wfinddata32_t *found)
{
   const std::intptr_t handle = __real__imp___wfindfirst32(pattern, found);
   if (handle != -1)
      keep_if_long(found);
   return handle;
}

int __cdecl watch_find_next(std::intptr_t handle, _wfinddata32_t *found)
{
   const int result = __real__imp___wfindnext32(handle, found);
   if (result == 0)
      keep_if_long(found);
   return result;
}

}  // namespace

// The slots the library's calls load once the link has wrapped them.
extern "C" {
FindFirst __wrap__imp___wfindfirst32 = watch_find_first;
FindNext __wrap__imp___wfindnext32 = watch_find_next;
}

const char *whole_name(const char *cut)
{
   // Converted as the search converts every name it hands over.
   static char name[longest_name + 1];
   if (long_name_found[0] == L'\0')
      return nullptr;
   do_uconvert(reinterpret_cast<const char *>(long_name_found), U_UNICODE, name, U_CURRENT, sizeof name);
   return std::strncmp(name, cut, std::strlen(cut)) == 0 ? name : nullptr;
}

bool every_entry_examined()
{
   return true;
}
