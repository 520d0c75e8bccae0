// Names come out exactly as stored, whatever their bytes, and are shown
// safely on a terminal.
#include <gtest/gtest.h>

#include <allegro.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <set>
#include <string>
#include <tuple>
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

// Makes, once, the locales that the tests use beside UTF-8 and the C
// locale, in a directory for LOCPATH, whose path it returns; empty where
// localedef cannot make them.
const std::string &made_locales()
{
   static const TempDir dir;
   static const std::string path = [] {
      std::string make = "true";
      for (const char *locale : {"de_DE.ISO-8859-1", "ru_RU.KOI8-R", "zh_HK.BIG5-HKSCS"}) {
         const std::string name = locale;
         make += " && localedef -c -i " + name.substr(0, name.find('.')) + " -f " +
                 name.substr(name.find('.') + 1) + " " + (dir / name);
      }
      return std::system(("{ " + make + "; } >/dev/null 2>&1").c_str()) == 0 ? dir.path() : "";
   }();
   return path;
}

std::string repeated(const std::string &s, int times)
{
   std::string r;
   for (int i = 0; i < times; ++i)
      r += s;
   return r;
}

// Names, the character set the terminal reads ("UTF-8", "ASCII" or a
// locale that made_locales makes), and how the terminal view shows them.
struct ShownName {
   std::string name, charset, shown;
};
const ShownName shown_names[] = {
    // One word in every shell: shown bare, in any script.
    {"report-2024_v1.2+final@home:x%.txt", "UTF-8", "report-2024_v1.2+final@home:x%.txt"},
    {"a=b", "UTF-8", "a=b"},
    {"caf\u00e9.txt", "UTF-8", "caf\u00e9.txt"},
    {"\u65e5\u672c\u8a9e.txt", "UTF-8", "\u65e5\u672c\u8a9e.txt"},
    {"\u0928\u092e\u0938\u094d\u0924\u0947", "UTF-8", "\u0928\u092e\u0938\u094d\u0924\u0947"},
    {"\u05e9\u05dc\u05d5\u05dd.txt", "UTF-8", "\u05e9\u05dc\u05d5\u05dd.txt"},
    {"\U0001f44d\U0001f3fd", "UTF-8", "\U0001f44d\U0001f3fd"},
    {"\u1100\u1161\u11a8 \uac00\u11a8", "UTF-8", "'\u1100\u1161\u11a8 \uac00\u11a8'"},  // jamo that join
    {"e" + repeated("\u0301", 10), "UTF-8", "e" + repeated("\u0301", 10)},              // 21 bytes: one cell
    // Shell syntax: quoted.
    {"$(echo PWNED)", "UTF-8", "'$(echo PWNED)'"},
    {"a b", "UTF-8", "'a b'"},
    {"=ls", "UTF-8", "'=ls'"},
    {"!!", "UTF-8", "'!!'"},
    {"report.pdf ", "UTF-8", "'report.pdf '"},
    {"back\\slash", "UTF-8", "'back\\slash'"},
    {"Don't Stop Me Now.mp3", "UTF-8", "\"Don't Stop Me Now.mp3\""},
    {"it's $5!", "UTF-8", "$'it\\'s $5!'"},  // $ and ! would be read inside double quotes
    // Controls, which would drive the terminal.
    {"report\x1b.pdf", "UTF-8", "$'report\\033.pdf'"},
    {"\x1b]0;title\x07", "UTF-8", "$'\\033]0;title\\a'"},
    {"new\nline\t\x7f", "UTF-8", "$'new\\nline\\t\\177'"},
    {"c1 \xc2\x9bJ", "UTF-8", "$'c1 \\302\\233J'"},
    // Bytes that are no character.
    {"lat\xe9in\xff", "UTF-8", "$'lat\\351in\\377'"},
    {"over\xc0\xaflong", "UTF-8", "$'over\\300\\257long'"},
    {"sur\xed\xa0\x80gate", "UTF-8", "$'sur\\355\\240\\200gate'"},
    {"\xfd\xad\x99\xb9\x96\xae", "UTF-8", "$'\\375\\255\\231\\271\\226\\256'"},
    // Characters that reorder the line.
    {"invoice\u202efdp.exe", "UTF-8", "$'invoice\\342\\200\\256fdp.exe'"},
    {"\u2028line\u2029para", "UTF-8", "$'\\342\\200\\250line\\342\\200\\251para'"},
    {"\u061c\u200e\u2066x\u2069", "UTF-8", "$'\\330\\234\\342\\200\\216\\342\\201\\246x\\342\\201\\251'"},
    // Characters that draw nothing, or a blank.
    {"re\u200bport\u2060.pdf\ufeff", "UTF-8", "$'re\\342\\200\\213port\\342\\201\\240.pdf\\357\\273\\277'"},
    {"re\u034fport\U000e0041.pdf", "UTF-8", "$'re\\315\\217port\\363\\240\\201\\201.pdf'"},
    {"re\u2061p\u206aort\u00ad", "UTF-8", "$'re\\342\\201\\241p\\342\\201\\252ort\\302\\255'"},
    {"report.pdf\u00a0", "UTF-8", "$'report.pdf\\302\\240'"},
    {"a\u2003b\u3000c", "UTF-8", "$'a\\342\\200\\203b\\343\\200\\200c'"},
    {"\u115f\u3164", "UTF-8", "$'\\341\\205\\237\\343\\205\\244'"},
    {"a\ufff9b\u2800c\U000110bd", "UTF-8", "$'a\\357\\277\\271b\\342\\240\\200c\\360\\221\\202\\275'"},
    // Joiners and variation selectors, which most terminals draw as nothing.
    {"\U0001f468\u200d\U0001f469\u200d\U0001f467", "UTF-8",
     "$'\U0001f468\\342\\200\\215\U0001f469\\342\\200\\215\U0001f467'"},
    {"\u2764\ufe0f\u264a\ufe0e", "UTF-8", "$'\u2764\\357\\270\\217\u264a\\357\\270\\216'"},
    {"\u0645\u06cc\u200c\u062e\u0648\u0627\u0647\u0645", "UTF-8",
     "$'\u0645\u06cc\\342\\200\\214\u062e\u0648\u0627\u0647\u0645'"},
    {"\u0915\u094d\u200d\u0937", "UTF-8", "$'\u0915\u094d\\342\\200\\215\u0937'"},
    {"x\U000e0100", "UTF-8", "$'x\\363\\240\\204\\200'"},
    // Characters newer than Unicode 11.0.
    {"a\U0001fae8b", "UTF-8", "$'a\\360\\237\\253\\250b'"},
    // What draws on the character before it, with nothing to draw on: at
    // the start, on an escape, past a full cell; jamo that do not join.
    {"\u0301abc", "UTF-8", "$'\\314\\201abc'"},
    {"x\u200b\u0301", "UTF-8", "$'x\\342\\200\\213\\314\\201'"},
    {"#\ufe0f\u20e3", "UTF-8", "$'#\\357\\270\\217\\342\\203\\243'"},
    {"e" + repeated("\u0301", 11), "UTF-8", "$'e" + repeated("\u0301", 10) + "\\314\\201'"},
    {"\u1161ab", "UTF-8", "$'\\341\\205\\241ab'"},
    {"\uac01\u1161", "UTF-8", "$'\uac01\\341\\205\\241'"},  // a vowel after a final consonant
    // Where the terminal reads the C locale's ASCII.
    {"caf\xc3\xa9", "ASCII", "$'caf\\303\\251'"},
    // In 8-bit sets, 0x80-0x9F drive the terminal whatever the set calls
    // them: 0x9B is CSI, or a box drawing in KOI8-R.
    {"M\xfcller.txt", "de_DE.ISO-8859-1", "M\xfcller.txt"},
    {"zz\x9b"
     "2J nb\xa0sp",
     "de_DE.ISO-8859-1", "$'zz\\2332J nb\\240sp'"},
    {"\xed\xc1\xcd\xc1", "ru_RU.KOI8-R", "\xed\xc1\xcd\xc1"},  // Мама
    {"zz\x9b"
     "2J",
     "ru_RU.KOI8-R", "$'zz\\2332J'"},
    // 中; a character that decodes into two code points; one whose second
    // byte is a backslash.
    {"\xa4\xa4", "zh_HK.BIG5-HKSCS", "\xa4\xa4"},
    {"\x88\xa3", "zh_HK.BIG5-HKSCS", "$'\\210\\243'"},
    {"\xb3\\", "zh_HK.BIG5-HKSCS", "$'\\263\\134'"},
};

TEST(TerminalSafe, ShowsEachNameAsNoOtherAndAShellReadsItBack)
{
   ASSERT_FALSE(made_locales().empty())
       << "cannot make the locales with localedef (needs the locales package)";
   setenv("LOCPATH", made_locales().c_str(), 1);
   // The forms of each character set, and the locales of the shells that read them back.
   std::map<std::string, std::string> forms, names;
   std::set<std::string> seen;  // no two names show alike in one character set
   for (const ShownName &s : shown_names) {
      EXPECT_TRUE(seen.insert(s.charset + " " + s.shown).second) << s.shown;
      const bool in_locale = s.charset != "UTF-8" && s.charset != "ASCII";
      ASSERT_TRUE(!in_locale || std::setlocale(LC_CTYPE, s.charset.c_str())) << s.charset;
      const Charset charset = s.charset == "UTF-8" ? Charset::utf8
                              : in_locale          ? Charset::locale
                                                   : Charset::ascii;
      char out[shown_size];

      EXPECT_EQ(terminal_safe(s.name.c_str(), charset, out), s.shown) << s.charset << " " << s.name;

      std::setlocale(LC_CTYPE, "C");
      const std::string own = s.charset == "UTF-8" ? "C.UTF-8" : in_locale ? s.charset : "C";
      for (const std::string &shell : std::set<std::string>{own, "C"}) {
         forms[shell] += " " + s.shown;
         names[shell] += s.name + '\0';
      }
   }

   // Read by bash, each form names its file, in the terminal's own locale
   // and in C.
   for (const auto &[locale, words] : forms) {
      TempDir dir;
      std::FILE *script = std::fopen((dir / "script").c_str(), "w");
      std::fprintf(script, "printf '%%s\\0'%s", words.c_str());
      std::fclose(script);
      Invocation shell;
      shell.dir = dir.path();
      shell.wrapper = {"/bin/bash", dir / "script"};
      shell.env = {"LC_ALL=" + locale};
      EXPECT_EQ(run_dirlist(shell).out, names[locale]) << locale;
   }
}

class ShownNames : public testing::Test {
 protected:
   void SetUp() override
   {
      for (const ShownName &s : shown_names)
         if (s.charset == "UTF-8")
            dir.file(s.name);
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

TEST(TerminalLocale, FollowsTheLocalesCharacterSetOnATerminal)
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
   // In KOI8-R, the letters цш and a box drawing; 0x9B is CSI all the same.
   const std::map<std::string, std::string> koi8 = {{cafe, cafe}, {csi, "$'zz\xc3\\2332J'"}};
   // The environment, and what a terminal shows; the portable binary reads
   // no locale but UTF-8, and shows the rest as ASCII.
   const std::tuple<std::vector<std::string>, const std::map<std::string, std::string> &,
                    const std::map<std::string, std::string> &>
       cases[] = {
           {{"LC_ALL", "LC_CTYPE", "LANG=en_US.UTF-8"}, utf8, utf8},
           {{"LC_ALL", "LC_CTYPE", "LANG=xx_YY.utf8"}, utf8, utf8},  // no such locale is installed
           {{"LC_ALL", "LC_CTYPE", "LANG=xx_YY.UTF_8"}, utf8, utf8},
           {{"LC_ALL", "LC_CTYPE=UTF-8", "LANG"}, utf8, utf8},  // as macOS sends it over ssh
           {{"LC_ALL=C", "LC_CTYPE", "LANG=en_US.UTF-8"}, ascii, ascii},
           {{"LC_ALL", "LC_CTYPE", "LANG"}, ascii, ascii},
           {{"LC_ALL=", "LC_CTYPE=xx_YY.ISO-8859-1", "LANG=C.UTF-8"}, ascii, ascii},
           {{"LC_ALL", "LC_CTYPE=ru_RU.KOI8-R", "LANG=C.UTF-8"}, koi8, ascii},  // made by localedef
       };
   for (const auto &[env, shown, shown_by_static] : cases) {
      Invocation run;
      run.dir = dir.path();
      run.output = Output::terminal;
      run.env = env;
      run.env.push_back("LOCPATH=" + made_locales());

      const Result r = run_dirlist(run);

      std::string expected;
      for (const auto &name : readdir_names(dir.path()))
         expected += (dirlist_is_static() ? shown_by_static : shown).at(name) + '\n';
      EXPECT_EQ(r.out, expected) << env[0] << " " << env[1] << " " << env[2];
      EXPECT_EQ(r.err, "");
      EXPECT_EQ(r.status, 0);
   }
}

}  // namespace
