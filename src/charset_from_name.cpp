#include "terminal_charset.h"

Charset terminal_charset(const char *name)
{
   return is_utf8_locale(name) ? Charset::utf8 : Charset::ascii;
}
