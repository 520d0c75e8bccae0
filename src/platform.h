// What Linux and Windows do differently: how file names come out of the
// library's search, and how a name reaches standard output.
#pragma once

// Makes the search see the working directory as the system shows it and
// hand over every file name exactly: on Windows with the WOW64 file system
// redirection off, and through the wide search functions, as UTF-16. Call
// after the library has started, before the search.
void prepare_search();

// The whole name of the entry the search has just handed over, whose name
// in the search's record, `cut`, may have been cut short; null where it is
// not known. On Linux it is the name the search examined the entry by, of
// up to longest_name bytes, if that begins with `cut`; on Windows the
// search hands over no more than its record holds.
const char *whole_name(const char *cut);

// Whether `name`, as the search handed it over, is the entry's name exactly:
// false for a Windows name that held a lone surrogate, which UTF-8 cannot
// carry.
bool is_exact_name(const char *name);

// Writes `name`, of up to longest_name bytes (terminal_safe.h), and a line
// end to standard output. To a terminal or a Windows console the name goes
// in its safe form, which a console is given as characters; anywhere else
// byte for byte. False once standard output has failed, here or at an
// earlier write: a buffered line counts as written until the buffer is
// flushed.
bool print_name(const char *name);

// Flushes standard output; whether every name printed reached it.
bool all_names_written();

// Whether the search could examine every entry it met: false once it has
// left one out whose attributes could not be read (an I/O error, a stale
// network mount, a name too long for it to examine), which it does not
// report itself. A link that leads nowhere was examined: the search leaves
// it out by its rule.
bool every_entry_examined();
