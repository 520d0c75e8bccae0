// Names made safe to show on a terminal.
//
// A file name may hold escape sequences that retitle the window, move the
// cursor or rewrite the screen, and characters that make a terminal lay out
// the rest of the line in another order, so that a name shows as another
// (`invoice`, U+202E, `fdp.exe` as `invoiceexe.pdf`). Each safe form shows
// every such character as a single '?'.
#pragma once

// The form for a terminal that reads UTF-8: masks each control character
// (C0, tab and newline included, DEL, and C1), each byte that is not part of
// valid UTF-8, the line and paragraph separators U+2028 and U+2029, and the
// bidirectional formatting characters (U+061C, U+200E, U+200F, U+202A to
// U+202E, U+2066 to U+2069); every other character, the joiners U+200C and
// U+200D among them, passes unchanged. Writes it into `out` and returns
// `out`. The safe form is never longer than the name, so `out` needs room
// for the name's bytes and its NUL.
const char *terminal_safe(const char *name, char *out);

// The form for a terminal of any other character set, whose bytes above
// 0x7F may be controls (0x9B is CSI in ISO 8859): printable ASCII passes,
// every other byte shows as '?'. Same contract as terminal_safe.
const char *terminal_safe_ascii(const char *name, char *out);

// Whether the locale `name` (language_TERRITORY.codeset@modifier) names the
// UTF-8 character set, spelt UTF-8 or utf8 in any case. The name alone
// decides, so a UTF-8 locale that is not installed counts too.
bool is_utf8_locale(const char *name);
