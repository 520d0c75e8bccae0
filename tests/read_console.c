/* Reads a Windows console back: writes the characters of its rows, up to the
 * cursor's, to the file named by its argument as UTF-8 lines, trailing
 * blanks dropped. Cross-built and run under Wine by windows_test.sh. */
#include <stdio.h>
#include <windows.h>

int main(int argc, char **argv)
{
   HANDLE console = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                NULL, OPEN_EXISTING, 0, NULL);
   CONSOLE_SCREEN_BUFFER_INFO info;
   FILE *out = argc == 2 ? fopen(argv[1], "wb") : NULL;
   if (!out || !GetConsoleScreenBufferInfo(console, &info))
      return 1;
   for (SHORT y = 0; y <= info.dwCursorPosition.Y; ++y) {
      WCHAR row[1024];
      char text[4096];
      DWORD n = 0;
      COORD at = {0, y};
      if (info.dwSize.X > 1024 || !ReadConsoleOutputCharacterW(console, row, info.dwSize.X, at, &n))
         return 1;
      while (n > 0 && row[n - 1] == L' ')
         --n;
      const int length = WideCharToMultiByte(CP_UTF8, 0, row, (int)n, text, sizeof text, NULL, NULL);
      fwrite(text, 1, (size_t)length, out);
      fputc('\n', out);
   }
   return fclose(out) != 0;
}
