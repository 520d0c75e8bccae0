// Names come out exactly as stored, whatever their bytes, and are shown
// safely on a terminal.
#include <gtest/gtest.h>

#include <allegro.h>

#include <map>
#include <random>
#include <string>
#include <vector>

#include "lossless_utf8.h"
#include "run_dirlist.h"
#include "terminal_safe.h"
#include "utf16.h"

namespace {

std::string through_library(const std::string &bytes)
{
   char out[1024];
   do_uconvert(bytes.c_str(), U_UTF8, out, U_UTF8, sizeof out);
   return out;
}

class LosslessUtf8 : public testing::Test {
 protected:
   static void SetUpTestSuite() { register_lossless_utf8(); }
};

TEST_F(LosslessUtf8, EveryByteStringConvertsToItself)
{
   for (int a = 1; a < 256; ++a) {
      const std::string one(1, static_cast<char>(a));
      ASSERT_EQ(through_library(one), one) << "byte " << a;
      for (int b = 1; b < 256; ++b) {
         const std::string two = one + static_cast<char>(b);
         ASSERT_EQ(through_library(two), two) << "bytes " << a << " " << b;
      }
   }
   std::mt19937 random(20261208);
   for (int n = 0; n < 4000; ++n) {
      std::string s(random() % 256, '\0');
      for (auto &c : s)  // mostly high bytes, where the decoding is
         c = static_cast<char>(random() % 4 ? 0x80 + random() % 128 : 1 + random() % 127);
      ASSERT_EQ(through_library(s), s);
   }
}

TEST_F(LosslessUtf8, DecodesValidUtf8AndTurnsOtherBytesIntoStrayBytes)
{
   struct Case {
      const char *bytes;
      int value;
      int width;
   };
   const Case cases[] = {
       {"a", 'a', 1},
       {"\xc3\xa9", 0xE9, 2},
       {"\xe6\x97\xa5", 0x65E5, 3},
       {"\xf0\x9f\x98\x80", 0x1F600, 4},
       {"\xc0\xaf", 0xDCC0, 1},                  // overlong
       {"\xed\xa0\x80", 0xDCED, 1},              // surrogate
       {"\xf4\x90\x80\x80", 0xDCF4, 1},          // above U+10FFFF
       {"\xfd\xad\x99\xb9\x96\xae", 0xDCFD, 1},  // old six-byte form
       {"\xe6\x97", 0xDCE6, 1},                  // cut short by the end
       {"\x80", 0xDC80, 1},
   };
   for (const Case &c : cases) {
      int width = 0;
      EXPECT_EQ(lossless_utf8_decode(c.bytes, &width), c.value) << c.bytes;
      EXPECT_EQ(width, c.width) << c.bytes;
   }
}

// A name as Windows' wide search hands it over, through the library into UTF-8.
std::string from_utf16(const std::u16string &units)
{
   char out[1024];
   do_uconvert(reinterpret_cast<const char *>(units.c_str()), U_UNICODE, out, U_UTF8, sizeof out);
   return out;
}

class Utf16 : public testing::Test {
 protected:
   static void SetUpTestSuite()
   {
      register_lossless_utf8();
      register_utf16();
   }
};

TEST_F(Utf16, EveryCharacterComesThroughAsItsUtf8AndBack)
{
   for (char32_t c = 1; c <= 0x10FFFF; ++c) {
      if (c >= 0xD800 && c <= 0xDFFF)
         continue;
      const std::u16string units =
          c < 0x10000 ? std::u16string(1, static_cast<char16_t>(c))
                      : std::u16string{static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)),
                                       static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF))};
      const std::string utf8 = from_utf16(units);
      int width = 0;
      ASSERT_EQ(lossless_utf8_decode(utf8.c_str(), &width), static_cast<int>(c));
      ASSERT_EQ(width, static_cast<int>(utf8.size())) << "U+" << std::hex << c;
      char16_t back[4] = {};
      do_uconvert(utf8.c_str(), U_UTF8, reinterpret_cast<char *>(back), U_UNICODE, sizeof back);
      ASSERT_EQ(std::u16string(back), units) << "U+" << std::hex << c;
   }
}

TEST_F(Utf16, LoneSurrogatesComeOutAsNoValidUtf8)
{
   const std::pair<std::u16string, std::string> cases[] = {
       {u"a\xD83D", "a\xff"},          // a high surrogate at the end
       {u"\xDE00-b", "\xff-b"},        // a low one alone
       {u"\xD83Dx", "\xffx"},          // a high one before no low one
       {u"\xDE00\xD83D", "\xff\xff"},  // a pair the wrong way round
       {u"\xDCC3\xDCA9", "\xff\xff"},  // not the stray bytes C3 A9, which would read as U+00E9
   };
   for (const auto &[units, bytes] : cases) {
      EXPECT_EQ(from_utf16(units), bytes);
      EXPECT_FALSE(is_valid_utf8(from_utf16(units).c_str()));
   }
   EXPECT_TRUE(is_valid_utf8(from_utf16(u"\xD83D\xDE00 \x65E5\x672C").c_str()));
}

TEST(TerminalSafe, TheLongestShownFormFitsItsBuffer)
{
   // The longest name of what takes the longest escapes: a control, a stray
   // byte, a C1 control, a tag character.
   for (const std::string unit : {"\x01", "\xff", "\xc2\x80", "\xf3\xa0\x81\x81"}) {
      std::string name;
      while (name.size() + unit.size() <= longest_name)
         name += unit;
      for (const Charset charset : {Charset::utf8, Charset::locale, Charset::ascii}) {
         std::vector<char> out(shown_size);
         EXPECT_LT(std::string(terminal_safe(name.c_str(), charset, out.data())).size(), shown_size);
      }
   }
}

// Names, and how a terminal that reads UTF-8 shows them: unchanged where
// every character shows as itself, else quoted as a shell reads them back.
const std::map<std::string, std::string> shown_names = {
    // Names that show as themselves, in any script.
    {"report.pdf", "report.pdf"},
    {"report?.pdf", "report?.pdf"},
    {"caf\u00e9 \u65e5\u672c %s", "caf\u00e9 \u65e5\u672c %s"},
    {"\u05e9\u05dc\u05d5\u05dd.txt", "\u05e9\u05dc\u05d5\u05dd.txt"},
    {"\U0001fae8.png", "\U0001fae8.png"},  // new in Unicode 15
    // Joiners and selectors where they change what is drawn.
    {"\U0001f468\u200d\U0001f469\u200d\U0001f467", "\U0001f468\u200d\U0001f469\u200d\U0001f467"},
    {"\U0001f3f3\ufe0f\u200d\U0001f308 \U0001f44d\U0001f3fd",
     "\U0001f3f3\ufe0f\u200d\U0001f308 \U0001f44d\U0001f3fd"},
    {"\u2764\ufe0f.txt", "\u2764\ufe0f.txt"},
    {"\u0645\u06cc\u200c\u062e\u0648\u0627\u0647\u0645", "\u0645\u06cc\u200c\u062e\u0648\u0627\u0647\u0645"},
    {"\u0915\u094d\u200d\u0937", "\u0915\u094d\u200d\u0937"},
    {"\u0647\u200d.txt", "\u0647\u200d.txt"},  // heh in its initial form
    // Quotes alone tell these apart.
    {"report.pdf ", "'report.pdf '"},
    {" report.pdf", "' report.pdf'"},
    {"   ", "'   '"},
    {"back\\slash", "'back\\slash'"},
    {"Don't Stop Me Now.mp3", "\"Don't Stop Me Now.mp3\""},
    {"it's", "\"it's\""},
    {"it's $5", "$'it\\'s $5'"},  // $ would be read inside double quotes
    // Controls, which would drive the terminal.
    {"report\x1b.pdf", "$'report\\033.pdf'"},
    {"report\t.pdf", "$'report\\t.pdf'"},
    {"\x1b]0;title\x07", "$'\\033]0;title\\a'"},
    {"new\nline\x7f", "$'new\\nline\\177'"},
    {"c1 \xc2\x9bJ", "$'c1 \\302\\233J'"},
    // Bytes that are no character.
    {"report\xff.pdf", "$'report\\377.pdf'"},
    {"lat\xe9in", "$'lat\\351in'"},
    {"over\xc0\xaflong", "$'over\\300\\257long'"},
    {"sur\xed\xa0\x80gate", "$'sur\\355\\240\\200gate'"},
    {"\xfd\xad\x99\xb9\x96\xae", "$'\\375\\255\\231\\271\\226\\256'"},
    // Characters that reorder the line.
    {"report\u202e.pdf", "$'report\\342\\200\\256.pdf'"},
    {"\u2028line\u2029para", "$'\\342\\200\\250line\\342\\200\\251para'"},
    {"\u061c\u200e\u2066x\u2069", "$'\\330\\234\\342\\200\\216\\342\\201\\246x\\342\\201\\251'"},
    // Characters that draw nothing, or a blank.
    {"re\u200bport.pdf", "$'re\\342\\200\\213port.pdf'"},
    {"re\u2060port.pdf", "$'re\\342\\201\\240port.pdf'"},
    {"\ufeffreport.pdf", "$'\\357\\273\\277report.pdf'"},
    {"re\u034fport.pdf", "$'re\\315\\217port.pdf'"},
    {"report\U000e0041.pdf", "$'report\\363\\240\\201\\201.pdf'"},
    {"report\ufe0f.pdf", "$'report\\357\\270\\217.pdf'"},
    {"report\U000e0100.pdf", "$'report\\363\\240\\204\\200.pdf'"},
    {"re\u2061port.pdf", "$'re\\342\\201\\241port.pdf'"},
    {"re\u206aport.pdf", "$'re\\342\\201\\252port.pdf'"},
    {"rep\u200cort.pdf", "$'rep\\342\\200\\214ort.pdf'"},
    {"report.pdf\u00a0", "$'report.pdf\\302\\240'"},
    {"re\u00adport.pdf", "$'re\\302\\255port.pdf'"},
    {"a\u2003b\u3000c", "$'a\\342\\200\\203b\\343\\200\\200c'"},
    {"\u115f\u3164", "$'\\341\\205\\237\\343\\205\\244'"},
    {"a\ufff9b\u2800c\U000110bd", "$'a\\357\\277\\271b\\342\\240\\200c\\360\\221\\202\\275'"},
    // A combining mark with nothing to sit on.
    {"\u0301abc", "$'\\314\\201abc'"},
    // Joiners and selectors that change nothing, or stand beside an escape.
    {"\U0001f600\u200d\U0001f600", "$'\U0001f600\\342\\200\\215\U0001f600'"},  // no emoji sequence
    {"\U0001f600\ufe0f\u00a9\ufe0e", "$'\U0001f600\\357\\270\\217\u00a9\\357\\270\\216'"},  // the default
    {"\u0915\u200d\u0916", "$'\u0915\\342\\200\\215\u0916'"},                               // no virama
    {"\u0627\u200c\u0628 \u0628\u200d\u0628 \u0661\u200d\u0662",  // alef never joins what follows
     "$'\u0627\\342\\200\\214\u0628 \u0628\\342\\200\\215\u0628 \u0661\\342\\200\\215\u0662'"},
    {"\u0628\u061c\u200c\u0628", "$'\u0628\\330\\234\\342\\200\\214\u0628'"},
};

class ShownNames : public testing::Test {
 protected:
   void SetUp() override
   {
      for (const auto &name : shown_names)
         dir.file(name.first);
      run.dir = dir.path();
      run.timeout_seconds = 10;  // one name once made the listing loop forever
   }
   TempDir dir;
   Invocation run;
};

TEST_F(ShownNames, ListsNamesByteForBytePromptlyThroughAPipe)
{
   const Result r = run_dirlist(run);

   EXPECT_FALSE(r.timed_out);
   EXPECT_EQ(r.out, expected_listing(dir.path()));
   EXPECT_EQ(r.err, "");
   EXPECT_EQ(r.status, 0);
}

TEST_F(ShownNames, TerminalShowsEachAsNoOtherAndAShellReadsItBack)
{
   std::string expected;
   for (const auto &name : readdir_names(dir.path()))
      expected += shown_names.at(name) + '\n';
   // An installed UTF-8 locale and one that is not: the same tables judge both.
   for (const char *locale : {"LC_ALL=C.UTF-8", "LC_ALL=xx_YY.utf8"}) {
      run.output = Output::terminal;
      run.env = {locale};

      const Result r = run_dirlist(run);

      EXPECT_FALSE(r.timed_out);
      EXPECT_EQ(r.out, expected) << locale;
      EXPECT_EQ(r.err, "");
      EXPECT_EQ(r.status, 0);
   }

   // Each quoted form, pasted into a shell, names its file, whatever the
   // shell's locale.
   std::string script = "printf '%s\\0'", quoted;
   for (const auto &[name, shown] : shown_names) {
      if (shown != name) {
         script += " " + shown;
         quoted += name + '\0';
      }
   }
   for (const char *locale : {"LC_ALL=C.UTF-8", "LC_ALL=C"}) {
      Invocation shell;
      shell.dir = dir.path();
      shell.wrapper = {"/bin/bash", "-c", script};
      shell.env = {locale};
      EXPECT_EQ(run_dirlist(shell).out, quoted) << locale;
   }
}

TEST(TerminalLocale, UsesUtf8OnlyWhereTheLocaleNamesItAndPrintableAsciiElsewhere)
{
   const std::string cafe = "caf\xc3\xa9";
   const std::string csi =
       "zz\xc3\x9b"
       "2J";  // U+00DB: its second byte is CSI to an 8-bit terminal
   TempDir dir;
   dir.file(cafe);
   dir.file(csi);
   const std::map<std::string, std::string> utf8 = {{cafe, cafe}, {csi, csi}};
   const std::map<std::string, std::string> ascii = {{cafe, "$'caf\\303\\251'"}, {csi, "$'zz\\303\\2332J'"}};
   const std::pair<std::vector<std::string>, const std::map<std::string, std::string> &> cases[] = {
       {{"LC_ALL", "LC_CTYPE", "LANG=en_US.UTF-8"}, utf8},
       {{"LC_ALL", "LC_CTYPE", "LANG=xx_YY.utf8"}, utf8},  // no such locale is installed
       {{"LC_ALL", "LC_CTYPE", "LANG=xx_YY.UTF_8"}, utf8},
       {{"LC_ALL", "LC_CTYPE=UTF-8", "LANG"}, utf8},  // as macOS sends it over ssh
       {{"LC_ALL=C", "LC_CTYPE", "LANG=en_US.UTF-8"}, ascii},
       {{"LC_ALL", "LC_CTYPE", "LANG"}, ascii},
       {{"LC_ALL=", "LC_CTYPE=xx_YY.ISO-8859-1", "LANG=C.UTF-8"}, ascii},
   };
   for (const auto &[env, shown] : cases) {
      Invocation run;
      run.dir = dir.path();
      run.output = Output::terminal;
      run.env = env;

      const Result r = run_dirlist(run);

      std::string expected;
      for (const auto &name : readdir_names(dir.path()))
         expected += shown.at(name) + '\n';
      EXPECT_EQ(r.out, expected) << env[0] << " " << env[1] << " " << env[2];
      EXPECT_EQ(r.status, 0);
   }
}

TEST(TerminalLocale, AnInstalledLocaleShowsItsOwnLettersButNoControl)
{
   TempDir locales;
   const std::string make = "localedef -c -i de_DE -f ISO-8859-1 " + (locales / "de_DE.ISO-8859-1") +
                            " && localedef -c -i ru_RU -f KOI8-R " + (locales / "ru_RU.KOI8-R") +
                            " && localedef -c -i zh_HK -f BIG5-HKSCS " + (locales / "zh_HK.BIG5-HKSCS");
   if (system(("{ " + make + "; } >/dev/null 2>&1").c_str()) != 0)
      GTEST_SKIP() << "cannot make the locales with localedef (needs the locales package)";
   const std::string csi =
       "zz\x9b"
       "2J";  // CSI to the Linux console and xterm, whatever the locale calls it
   const std::pair<const char *, std::map<std::string, std::string>> cases[] = {
       {"de_DE.ISO-8859-1",
        {{"M\xfcller.txt", "M\xfcller.txt"}, {csi, "$'zz\\2332J'"}, {"nb\xa0sp", "$'nb\\240sp'"}}},
       // Мама and Папа; 0x9B is a box drawing in KOI8-R.
       {"ru_RU.KOI8-R",
        {{"\xed\xc1\xcd\xc1", "\xed\xc1\xcd\xc1"},
         {"\xf0\xc1\xd0\xc1", "\xf0\xc1\xd0\xc1"},
         {csi, "$'zz\\2332J'"}}},
       // 中; a character that decodes into two code points; one whose
       // second byte is a backslash.
       {"zh_HK.BIG5-HKSCS",
        {{"\xa4\xa4", "\xa4\xa4"}, {"\x88\xa3", "$'\\210\\243'"}, {"\xb3\\", "$'\\263\\134'"}}},
   };
   for (const auto &[locale, shown] : cases) {
      TempDir dir;
      for (const auto &name : shown)
         dir.file(name.first);
      Invocation run;
      run.dir = dir.path();
      run.output = Output::terminal;
      run.env = {std::string("LC_ALL=") + locale, "LOCPATH=" + locales.path()};

      const Result r = run_dirlist(run);

      std::string expected;
      for (const auto &name : readdir_names(dir.path()))
         expected += shown.at(name) + '\n';
      EXPECT_EQ(r.out, expected) << locale;
      EXPECT_EQ(r.status, 0);
   }
}

}  // namespace
