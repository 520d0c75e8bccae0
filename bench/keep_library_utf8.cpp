// The benchmark variant's registration of the lossless UTF-8 format, which
// does nothing: the library's own UTF-8 format stays current.
#include "lossless_utf8.h"

void register_lossless_utf8() {}
