// Black-box tests: what dirlist prints, and how it exits.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "run_dirlist.h"

namespace {

std::multiset<std::string> lines(const std::string &out)
{
   std::multiset<std::string> names;
   std::istringstream in(out);
   for (std::string line; std::getline(in, line);)
      names.insert(line);
   return names;
}

Result list(const TempDir &dir, std::vector<std::string> args = {})
{
   Invocation run;
   run.dir = dir.path();
   run.args = std::move(args);
   return run_dirlist(run);
}

TEST(Listing, ListsFilesAndLeavesOutDirectoriesHiddenNamesAndLinksThatLeadNowhere)
{
   TempDir dir;
   dir.file("plain");
   dir.file("no-dot-at-all");
   dir.file("several.dots.here");
   dir.file(".hidden");
   ASSERT_EQ(mkdir((dir / "subdir").c_str(), 0755), 0);
   ASSERT_EQ(mkdir((dir / ".hidden-dir").c_str(), 0755), 0);
   ASSERT_EQ(symlink("plain", (dir / "link-to-file").c_str()), 0);
   ASSERT_EQ(symlink("subdir", (dir / "link-to-dir").c_str()), 0);
   ASSERT_EQ(symlink("nowhere", (dir / "dangling").c_str()), 0);
   ASSERT_EQ(symlink("plain/nowhere", (dir / "dangling-through-a-file").c_str()), 0);
   ASSERT_EQ(symlink("looping", (dir / "looping").c_str()), 0);
   ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0644), 0);

   const Result r = list(dir);

   EXPECT_EQ(lines(r.out), (std::multiset<std::string>{"plain", "no-dot-at-all", "several.dots.here",
                                                       "link-to-file", "fifo"}));
   EXPECT_EQ(r.out, expected_listing(dir.path())) << "names must come in the order the directory yields them";
   EXPECT_EQ(r.err, "");
   EXPECT_EQ(r.status, 0);
}

TEST(Listing, PrintsNamesByteForByte)
{
   const std::vector<std::string> names = {
       "100%", "%s%n%s%n", "%d %x %p",  "back\\slash\\",       " leading", "in the middle", "trailing ",
       "-l",   "*",        "tab\there", std::string(255, 'n'),
   };
   TempDir dir;
   for (const auto &name : names)
      dir.file(name);

   const Result r = list(dir);

   EXPECT_EQ(lines(r.out), std::multiset<std::string>(names.begin(), names.end()));
   EXPECT_EQ(r.out, expected_listing(dir.path()));
   EXPECT_EQ(r.err, "");
   EXPECT_EQ(r.status, 0);
}

TEST(Listing, KeepsTheDirectorysOrderWithoutSortingOrRemovingAnything)
{
   TempDir dir;
   std::mt19937 random(7);
   std::set<std::string> made;
   while (made.size() < 300) {
      const std::string name = "f" + std::to_string(random() % 100000);
      if (made.insert(name).second)
         dir.file(name);
   }

   const Result r = list(dir);

   EXPECT_EQ(r.out, expected_listing(dir.path()));
   EXPECT_EQ(lines(r.out), std::multiset<std::string>(made.begin(), made.end()));
   EXPECT_EQ(r.status, 0);
}

TEST(Listing, IgnoresItsArguments)
{
   TempDir dir;
   dir.file("a");
   dir.file("b c");
   dir.file("-l");
   const std::string plain = list(dir).out;
   ASSERT_FALSE(plain.empty());

   for (const std::vector<std::string> &args :
        std::vector<std::vector<std::string>>{{"--help"}, {"-l"}, {"*"}, {"-a", "-1", "."}, {"/"}}) {
      const Result r = list(dir, args);
      EXPECT_EQ(r.out, plain) << args[0];
      EXPECT_EQ(r.err, "") << args[0];
      EXPECT_EQ(r.status, 0) << args[0];
   }
}

TEST(Listing, ReadOnlyFilesAreListedForRootOnly)
{
   TempDir dir;
   dir.file("writable", 0644);
   dir.file("read-only", 0444);
   if (running_as_root()) {
      give_to_nobody(dir / "writable");
      give_to_nobody(dir / "read-only");
   }

   Invocation run;
   run.dir = dir.path();
   run.as_nobody = true;
   const Result user = run_dirlist(run);
   EXPECT_EQ(user.out, "writable\n");
   EXPECT_EQ(user.err, "");
   EXPECT_EQ(user.status, 0);

   if (!running_as_root())
      return;
   const Result root = list(dir);
   EXPECT_EQ(lines(root.out), (std::multiset<std::string>{"writable", "read-only"}));
   EXPECT_EQ(root.status, 0);
}
}  // namespace
