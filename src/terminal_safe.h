// Names as a terminal shows them, so that none can drive it or pass for
// another, and each shown form names its file when pasted into a shell.
//
// A file name may hold escape sequences that retitle the window or rewrite
// the screen, characters that reorder the line, characters that draw
// nothing, and spaces that a reader cannot see. A name made only of
// characters that show as themselves is shown unchanged. Any other is shown
// whole, in a form that bash, zsh, ksh and a POSIX.1-2024 sh read back as
// exactly that name, whatever their locale:
// - "Don't Stop.mp3" where only an apostrophe needs quotes, and the name
//   holds none of the characters a shell reads inside double quotes
//   (" $ ` \ !);
// - 'report.pdf ' where quotes alone tell it apart (a leading or trailing
//   space, a backslash);
// - $'report\342\200\256.pdf' where a character must be escaped: by \a to
//   \r, \' and \\, or its bytes in octal, which read back as the same
//   bytes in every locale.
// Every quoted form holds an apostrophe, and no bare name does, so no bare
// name looks like a quoted one.
//
// A character shows as itself when it is assigned, not a control,
// surrogate, private-use character or noncharacter, not hidden (a
// default-ignorable or format character, a space or separator other than
// U+0020, U+2800 BRAILLE PATTERN BLANK, a Hangul filler), and not a
// combining mark at the start of the name, where it has nothing to sit on.
// A joiner or variation selector shows as itself only where it changes
// what is drawn, between characters that show as themselves: ZWJ inside an
// RGI emoji ZWJ sequence; FE0F after a character drawn as text by default
// and FE0E after one drawn as emoji, where Unicode lists the pair; ZWNJ or
// ZWJ after a virama, before a consonant; ZWNJ between a letter that joins
// the next and one that joins the one before, marks between them skipped;
// ZWJ where it makes a letter take a joining form it would not take
// otherwise. Any other is escaped.
//
// The tables behind these rules come from the Unicode Character Database
// (unicode_tables.h). Where the terminal reads UTF-8 they alone decide. In
// another character set the C library decodes the name and the same rules
// judge each character it decodes, with three more: in a single-byte set
// every byte 0x80-0x9F is escaped, which the Linux console and xterm take
// for controls whatever the set calls it; a character holding a byte of
// ASCII, as some of GBK's and Big5's do, is escaped, as a shell would read
// that byte alone; so is one that decodes into more than one code point.
#pragma once

#include <cstddef>

// How the terminal reads a name's bytes.
enum class Charset {
   // UTF-8, wherever the locale names it and on a Windows console.
   utf8,
   // The C library's current locale (LC_CTYPE), which decodes each character.
   locale,
   // The C locale's: printable ASCII, every other byte no character.
   ascii,
};

// The longest name taken, in bytes: the longest the search hands over. On
// Linux it examines each entry by the path ./NAME, which it builds in a
// buffer of 1024 bytes, so that a whole name takes at most 1020 (see
// stat_watch.cpp); on Windows its record holds 511.
constexpr std::size_t longest_name = 1020;

// Room for the shown form of a name of up to longest_name bytes: each byte
// takes at most four (\377), plus $, two quotes and the NUL.
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
