// The variant's stand-in for the registration of the lossless UTF-8 format.
// The build renames register_lossless_utf8 to keep_library_utf8 in every
// source of the variant, this one included, so main calls this function,
// which does nothing: the library's own UTF-8 format stays current.
#include "lossless_utf8.h"

void register_lossless_utf8() {}
