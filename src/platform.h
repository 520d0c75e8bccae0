// What Linux and Windows do differently: how file names come out of the
// library's search, and how a name reaches standard output.
#pragma once

// Makes the search see the working directory as the system shows it and
// hand over every file name exactly: on Windows with the WOW64 file system
// redirection off, and through the wide search functions, as UTF-16. Call
// after the library has started, before the search.
void prepare_search();

// Whether `name`, as the search handed it over, is the entry's name exactly:
// false for a Windows name that held a lone surrogate, which UTF-8 cannot
// carry.
bool is_exact_name(const char *name);

// Writes `name`, of up to longest_name bytes (search_watch.h), and a line
// end to standard output. To a terminal or a Windows console the name goes
// in its safe form, which a console is given as characters; anywhere else
// byte for byte. False once standard output has failed, here or at an
// earlier write: a buffered line counts as written until the buffer is
// flushed.
bool print_name(const char *name);
