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

TEST(TerminalSafe, MasksControlsAndBrokenBytesOnlyOnePerCharacter)
{
   const std::pair<std::string, std::string> cases[] = {
       {"plain name.txt", "plain name.txt"},
       {"caf\xc3\xa9 \xe6\x97\xa5\xe6\x9c\xac %s \\", "caf\xc3\xa9 \xe6\x97\xa5\xe6\x9c\xac %s \\"},
       {"\x1b]0;title\x07", "?]0;title?"},
       {"tab\tnew\nline\x7f", "tab?new?line?"},
       {"c1 \xc2\x9bJ", "c1 ?J"},
       {"lat\xe9in", "lat?in"},
       {"x\xff\xfey", "x??y"},
       {"\xed\xa0\x80", "???"},
       {"invoice\u202efdp.exe", "invoice?fdp.exe"},  // would show as invoiceexe.pdf
       {"\u2028line\u2029para", "?line?para"},
       {"\u061c\u200e\u200f\u202a\u202b\u202c\u202d\u2066\u2067\u2068\u2069", "???????????"},
       {"\U0001f468\u200d\U0001f469\u200d\U0001f467", "\U0001f468\u200d\U0001f469\u200d\U0001f467"},
       {"\u0645\u06cc\u200c\u062e\u0648\u0627\u0647\u0645",
        "\u0645\u06cc\u200c\u062e\u0648\u0627\u0647\u0645"},
       {"\u05e9\u05dc\u05d5\u05dd.txt", "\u05e9\u05dc\u05d5\u05dd.txt"},
   };
   for (const auto &[name, shown] : cases) {
      std::vector<char> out(name.size() + 1);
      EXPECT_EQ(terminal_safe(name.c_str(), out.data()), shown);
   }
}

// Names that are not valid UTF-8 or carry controls, and how a terminal shows them.
const std::map<std::string, std::string> hostile_names = {
    {"lat\xe9in", "lat?in"},
    {"lone\x80-cont", "lone?-cont"},
    {"\xfd\xad\x99\xb9\x96\xae", "??????"},
    {"x\xff\xfey", "x??y"},
    {"over\xc0\xaflong", "over??long"},
    {"sur\xed\xa0\x80gate", "sur???gate"},
    {"emoji \xf0\x9f\x98\x80", "emoji \xf0\x9f\x98\x80"},
    {"\x1b]0;pwned\x07", "?]0;pwned?"},
    {"new\nline", "new?line"},
    {"caf\xc3\xa9 %s \\", "caf\xc3\xa9 %s \\"},
};

class HostileNames : public testing::Test {
 protected:
   void SetUp() override
   {
      for (const auto &name : hostile_names)
         dir.file(name.first);
      run.dir = dir.path();
      run.timeout_seconds = 10;  // one name once made the listing loop forever
   }
   TempDir dir;
   Invocation run;
};

TEST_F(HostileNames, ListsNamesByteForBytePromptlyThroughAPipe)
{
   const Result r = run_dirlist(run);

   EXPECT_FALSE(r.timed_out);
   std::string expected;
   for (const auto &name : readdir_names(dir.path()))
      expected += name + '\n';
   EXPECT_EQ(r.out, expected);
   EXPECT_EQ(r.out, expected_listing(dir.path()));
   EXPECT_EQ(r.err, "");
   EXPECT_EQ(r.status, 0);
}

TEST_F(HostileNames, TerminalSeesThemMaskedAndPlainNamesUnchanged)
{
   run.output = Output::terminal;
   run.env = {"LC_ALL=C.UTF-8"};

   const Result r = run_dirlist(run);

   EXPECT_FALSE(r.timed_out);
   std::string expected;
   for (const auto &name : readdir_names(dir.path()))
      expected += hostile_names.at(name) + '\n';
   EXPECT_EQ(r.out, expected);
   EXPECT_EQ(r.err, "");
   EXPECT_EQ(r.status, 0);
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
   const std::map<std::string, std::string> ascii = {{cafe, "caf??"}, {csi, "zz??2J"}};
   const std::pair<std::vector<std::string>, const std::map<std::string, std::string> &> cases[] = {
       {{"LC_ALL", "LC_CTYPE", "LANG=en_US.UTF-8"}, utf8},
       {{"LC_ALL", "LC_CTYPE", "LANG=xx_YY.utf8"}, utf8},  // no such locale is installed
       {{"LC_ALL=C", "LC_CTYPE", "LANG=en_US.UTF-8"}, ascii},
       {{"LC_ALL", "LC_CTYPE", "LANG"}, ascii},
       {{"LC_ALL=", "LC_CTYPE=de_DE.ISO-8859-1", "LANG=C.UTF-8"}, ascii},
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

}  // namespace
