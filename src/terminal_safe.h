// Names as a terminal shows them, so that none can drive it or pass for
// another, and each shown form names its file when pasted into a shell.
//
// A file name may hold escape sequences that retitle the window or rewrite
// the screen, characters that reorder the line, characters that draw
// nothing, spaces that a reader cannot see, and shell syntax. A name is
// shown bare, unchanged, when each of its characters shows as itself and
// its ASCII is letters, digits and % + , - . / : @ _, and = after the
// first character: one word that names the file in every shell. Any other
// is shown whole, in a form that bash, zsh and ksh read back as exactly
// that name, in the terminal's own locale, in C or in any UTF-8 locale:
// - $'report\342\200\256.pdf' where a character must be escaped: by \a to
//   \r, \' and \\, or its bytes in octal, which read back as the same
//   bytes in every such locale;
// - "Don't Stop.mp3" where the name holds an apostrophe and none of the
//   characters a shell reads inside double quotes (" $ ` \ !);
// - 'a b' and '$(echo x)' otherwise.
// Every quoted form holds an apostrophe, and no bare name does, so no bare
// name looks like a quoted one.
//
// A character shows as itself when it is assigned, by Unicode 11.0, and
// not a control, surrogate, private-use character or noncharacter, nor
// hidden: a default-ignorable or format character (every joiner and
// variation selector among them, which most terminals draw as nothing), a
// space or separator other than U+0020, U+2800 BRAILLE PATTERN BLANK or a
// Hangul filler. A character drawn on the one before it, a combining mark
// or a Hangul vowel or trailing jamo, shows as itself only on a character
// that shows as itself, so that nothing is drawn on an escape or on the
// opening quote; a jamo only where Unicode's grapheme cluster rules join it
// to that character; and only while the cell they share holds at most 21
// bytes of UTF-8, as much as tmux keeps. Any other is escaped.
//
// The table behind these rules comes from the Unicode Character Database
// (unicode_tables.h). Where the terminal reads UTF-8 it alone decides. In
// another character set the C library decodes the name and the same rules
// judge each character it decodes, with three more: in a single-byte set
// every byte 0x80-0x9F is escaped, which the Linux console and xterm take
// for controls whatever the set calls it; a character holding a byte of
// ASCII, as some of GBK's and Big5's do, is escaped, as a shell would read
// that byte alone; so is one that decodes into more than one code point.
#pragma once

#include <cstddef>
#include <cstdint>

#include "search_watch.h"

// How the terminal reads a name's bytes.
enum class Charset : std::uint8_t {
   // UTF-8, wherever the locale names it and on a Windows console.
   utf8,
   // The C library's current locale (LC_CTYPE), which decodes each character.
   locale,
   // The C locale's: printable ASCII, every other byte no character.
   ascii,
};

// Room for the shown form of a name of up to longest_name bytes, the longest
// the search hands over (search_watch.h): each byte takes at most four
// (\377), plus $, two quotes and the NUL.
constexpr std::size_t shown_size = 4 * longest_name + 4;

// Writes the form in which `name`, of 1 to longest_name bytes, is shown to
// a terminal reading `charset` into `out`, which holds shown_size bytes,
// and returns `out`.
const char *terminal_safe(const char *name, Charset charset, char *out);

// Whether the locale `name` (language_TERRITORY.codeset@modifier, or a
// character set name alone, as macOS sends LC_CTYPE=UTF-8) names the UTF-8
// character set, however the C library would spell it (UTF-8, utf8, UTF_8,
// in any case). The name alone decides, so a UTF-8 locale that is not
// installed counts too.
bool is_utf8_locale(const char *name);
