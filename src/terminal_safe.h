// Names as a terminal shows them, so that none can pass for another.
//
// A file name may hold escape sequences that retitle the window or rewrite
// the screen, characters that reorder the line, characters that draw
// nothing, and spaces that a reader cannot see. A name made only of
// characters that show as themselves is shown unchanged; any other is shown
// whole in a form that a POSIX shell reads back as exactly that name:
// 'report.pdf ' where quoting alone tells it apart, $'report\033.pdf' where
// a character must be escaped. A bare name never holds a quote or a
// backslash, so no bare name looks like a quoted one.
#pragma once

#include <cstddef>

// How the terminal reads a name's bytes.
enum class Charset {
   // UTF-8, judged by this unit's rules alone, wherever the locale names it
   // and on a Windows console.
   utf8,
   // The C library's current locale (LC_CTYPE), which also says which
   // characters are printable; escapes use the character's bytes.
   locale,
   // The C locale's: printable ASCII, every other byte no character.
   ascii,
};

// Room for the shown form of a name of up to 511 bytes: each byte takes at
// most four (\377; a character named by \u or \U takes at most two and a
// half per byte), plus $, two quotes and the NUL.
constexpr std::size_t shown_size = 4 * 511 + 4;

// Writes the form in which `name` is shown to a terminal reading `charset`
// into `out`, which holds shown_size bytes, and returns `out`.
const char *terminal_safe(const char *name, Charset charset, char *out);

// Whether the locale `name` (language_TERRITORY.codeset@modifier, or a
// character set name alone, as macOS sends LC_CTYPE=UTF-8) names the UTF-8
// character set, however the C library would spell it (UTF-8, utf8, UTF_8,
// in any case). The name alone decides, so a UTF-8 locale that is not
// installed counts too.
bool is_utf8_locale(const char *name);
