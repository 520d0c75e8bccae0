#include <langinfo.h>

#include <clocale>
#include <cstring>

#include "terminal_charset.h"

Charset terminal_charset(const char *name)
{
   if (is_utf8_locale(name))
      return Charset::utf8;
   // Reads the same variables as `name` came from.
   if (!std::setlocale(LC_CTYPE, ""))
      return Charset::ascii;
   const char *codeset = nl_langinfo(CODESET);
   if (std::strcmp(codeset, "UTF-8") == 0)
      return Charset::utf8;
   return std::strcmp(codeset, "ANSI_X3.4-1968") == 0 ? Charset::ascii : Charset::locale;
}
