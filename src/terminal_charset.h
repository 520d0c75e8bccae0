// The character set that a terminal reads, as the locale names it.
#pragma once

#include "terminal_safe.h"

// The character set of the locale `name`, the first of LC_ALL, LC_CTYPE and
// LANG that is set and not empty. A name that says UTF-8 means UTF-8 in
// every build. For any other, the build picks one of two units:
// - charset_from_libc.cpp, where the program loads the system's C library:
//   the C library's knowledge of the locale, where it is installed, so that
//   a terminal in ISO 8859-1, KOI8-R or GBK shows its own letters; the C
//   locale's printable ASCII where it is not.
// - charset_from_name.cpp, in the static portable release: printable ASCII.
//   A static C library reads a locale's character set through modules that
//   it loads from the system it runs on, together with that system's own C
//   library, which need not be its version: so this unit never asks it.
Charset terminal_charset(const char *name);
