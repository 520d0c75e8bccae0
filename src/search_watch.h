// What the library's directory search learns and does not tell its caller:
// the whole name of an entry whose name its record cut, and whether it
// could examine every entry. It offers no hook, so one unit per system
// watches the calls the search makes into the C library (Linux: stat;
// Windows: the runtime's wide find calls).
#pragma once

#include <allegro.h>

#include <cstddef>

// al_findfirst and al_findnext copy a name into the record with
// do_uconvert, which stops before the first character that does not fit
// with the NUL. A character takes at most 4 bytes of UTF-8, so a name of
// this many bytes or more may have been cut.
constexpr std::size_t may_be_cut = sizeof al_ffblk::name - 4;

// On Linux, al_findnext examines each entry by the path "./" and its name,
// which it builds in a buffer of this many bytes (FF_MAXPATHLEN); a path
// that fills it may have been cut.
constexpr std::size_t search_path_room = 1024;

// The longest whole name the search hands over, in bytes: on Linux, with
// "./", one short of a path that fills the buffer. On Windows the runtime's
// record holds fewer: 259 UTF-16 units, at most 777 bytes of UTF-8.
constexpr std::size_t longest_name = search_path_room - 4;

// The whole name of the entry the search has just handed over, whose name
// in the search's record, `cut`, may have been cut short: the name the
// search found the entry by, if that begins with `cut`; null where the
// watch did not see it.
const char *whole_name(const char *cut);

// Whether the search could examine every entry it met: false once it has
// left one out whose attributes could not be read (an I/O error, a stale
// network mount, a name too long for it to examine), which it does not
// report itself. A link that leads nowhere was examined: the search leaves
// it out by its rule.
bool every_entry_examined();
