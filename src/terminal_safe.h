// Names made safe to show on a terminal.
//
// A file name may hold escape sequences that retitle the window, move the
// cursor or rewrite the screen. On a terminal each control character (C0,
// tab and newline included, DEL, and C1) and each byte that is not part of
// valid UTF-8 is shown as a single '?'; printable UTF-8 passes unchanged.
#pragma once

// Writes the safe form of the NUL-terminated `name` into `out` and returns
// `out`. The safe form is never longer than the name, so `out` needs room
// for the name's bytes and its NUL.
const char *terminal_safe(const char *name, char *out);
