#include <allegro.h>
#include <winalleg.h>

#include <cstdio>

#include "lossless_utf8.h"
#include "platform.h"
#include "terminal_safe.h"
#include "utf16.h"

namespace {

// Where standard output's lines go: to a console as characters, or as bytes.
enum class Sink { console, maybe_console, bytes };

// A console handle with read access answers its mode. One opened for
// writing alone (`> CON` in a batch file) does not, but it is a character
// device, as NUL and serial ports are: for those the first line tells.
Sink find_sink()
{
   const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
   DWORD mode;
   if (GetConsoleMode(out, &mode))
      return Sink::console;
   return GetFileType(out) == FILE_TYPE_CHAR ? Sink::maybe_console : Sink::bytes;
}

Sink sink = find_sink();

// Writes the shown form of `name` and CR LF to the console as UTF-16
// characters, which it shows whatever its code page; bytes written to it
// would be read in that code page.
bool write_to_console(const char *name)
{
   char shown[shown_size];
   wchar_t line[shown_size + 2];  // UTF-16 takes no more units than UTF-8 bytes
   const int length =
       MultiByteToWideChar(CP_UTF8, 0, terminal_safe(name, Charset::utf8, shown), -1, line, shown_size) - 1;
   if (length < 0)
      return false;
   line[length] = L'\r';
   line[length + 1] = L'\n';
   DWORD written = 0;
   return WriteConsoleW(GetStdHandle(STD_OUTPUT_HANDLE), line, length + 2, &written, nullptr) &&
          written == DWORD(length + 2);
}

// A 32-bit program on 64-bit Windows asking for C:\Windows\System32 is
// shown C:\Windows\SysWOW64 instead, unless it turns this redirection off
// for its thread. Looked up at run time, so that the program starts where
// kernel32 lacks the function; where it fails, there is nothing to turn off
// (32-bit Windows). Nothing after it needs the redirection: the program
// loads no library once it has started, and only searches and writes.
void turn_off_file_system_redirection()
{
   using Disable = BOOL(WINAPI *)(PVOID *);
   const FARPROC found = GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "Wow64DisableWow64FsRedirection");
   PVOID previous;
   if (found)
      reinterpret_cast<Disable>(reinterpret_cast<void (*)()>(found))(&previous);
}

}  // namespace

void prepare_search()
{
   turn_off_file_system_redirection();
   // Whatever start-up chose, so that no name passes through the ANSI code page.
   register_utf16();
   set_filename_encoding(U_UNICODE);
}

bool is_exact_name(const char *name)
{
   // Valid UTF-16 always comes out as valid UTF-8; a lone surrogate does not.
   return is_valid_utf8(name);
}

bool print_name(const char *name)
{
   if (sink != Sink::bytes) {
      if (write_to_console(name)) {
         sink = Sink::console;
         return true;
      }
      if (sink == Sink::console)
         return false;
      sink = Sink::bytes;  // NUL, or another device that is no console
   }
   printf("%s\n", name);  // text mode: the line ends in CR LF
   return !ferror(stdout);
}
