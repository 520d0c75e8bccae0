// Bounded stress tests: large directories, a directory that changes while it
// is listed, a reader that stops early, and a memory checker's verdict.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <map>
#include <sstream>
#include <string>
#include <thread>

#include "run_dirlist.h"

namespace {

class LargeDirectory : public testing::Test {
 protected:
   static void SetUpTestSuite()
   {
      dir = new TempDir;
      for (int i = 0; i < 50000; ++i)
         dir->file("entry-" + std::to_string(i));
   }
   static void TearDownTestSuite() { delete dir; }
   static TempDir *dir;
};

TempDir *LargeDirectory::dir = nullptr;

TEST_F(LargeDirectory, ListsEveryEntryExactly)
{
   Invocation run;
   run.dir = dir->path();

   const Result r = run_dirlist(run);

   EXPECT_EQ(r.out, expected_listing(dir->path()));
   EXPECT_EQ(r.err, "");
   EXPECT_EQ(r.status, 0);
}

TEST_F(LargeDirectory, EndsPromptlyWhenTheReaderStopsEarly)
{
   Invocation run;
   run.dir = dir->path();
   run.output = Output::dev_null;
   const Result whole = run_dirlist(run);
   ASSERT_EQ(whole.status, 0);
   const std::string listing = expected_listing(dir->path());

   run.output = Output::pipe;
   run.wrapper = {"/bin/sh", "-c", "\"$0\" | head -n 1"};
   run.timeout_seconds = 10;
   const Result r = run_dirlist(run);

   EXPECT_FALSE(r.timed_out);
   EXPECT_EQ(r.out, listing.substr(0, r.out.size()));
   EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 1);
   EXPECT_EQ(r.err, "");

   // With SIGPIPE ignored, as Python's os.system leaves it, the reader going
   // away shows only as failed writes: the listing must stop at the first.
   run.wrapper.clear();
   run.output = Output::first_line;
   run.ignored_signals = {SIGPIPE};
   const Result ignored = run_dirlist(run);

   EXPECT_EQ(ignored.out, listing.substr(0, ignored.out.size()));
   EXPECT_EQ(ignored.err, "");
   EXPECT_EQ(ignored.status, 1);
   EXPECT_LT(ignored.seconds, whole.seconds / 2) << "it searched on after the reader had gone";
}

TEST(ChangingDirectory, ListsEveryStableEntryExactlyOnceWhileOthersComeAndGo)
{
   TempDir dir;
   for (int i = 0; i < 3000; ++i)
      dir.file("stable-" + std::to_string(i));
   std::atomic<bool> stop{false};
   std::thread churn([&] {
      for (unsigned i = 0; !stop; ++i) {
         const std::string name = dir / ("churn-" + std::to_string(i % 500));
         std::FILE *made = std::remove(name.c_str()) != 0 ? std::fopen(name.c_str(), "w") : nullptr;
         if (made)
            std::fclose(made);
      }
   });

   for (int round = 0; round < 10; ++round) {
      Invocation run;
      run.dir = dir.path();
      const Result r = run_dirlist(run);

      std::map<std::string, int> seen;
      std::istringstream lines(r.out);
      for (std::string line; std::getline(lines, line);)
         if (line.rfind("stable-", 0) == 0)
            ++seen[line];
      EXPECT_EQ(seen.size(), 3000u) << "round " << round;
      for (const auto &[name, count] : seen)
         EXPECT_EQ(count, 1) << name << " in round " << round;
      EXPECT_EQ(r.err, "");
      EXPECT_EQ(r.status, 0) << "round " << round;
   }
   stop = true;
   churn.join();
}

TEST(MemoryChecker, FindsNoErrorAndNothingLost)
{
#if defined(__SANITIZE_ADDRESS__)
   GTEST_SKIP() << "the sanitizers and the memory checker do not run together";
#endif
   if (dirlist_is_static())
      GTEST_SKIP() << "the memory checker takes a static C library's start-up for errors";
   TempDir dir;
   dir.file("one");
   dir.file("two \xff");
   dir.file("three");
   Invocation run;
   run.dir = dir.path();
   run.wrapper = {"/usr/bin/valgrind", "-q", "--error-exitcode=99", "--leak-check=full",
                  "--errors-for-leak-kinds=definite,possible"};
   run.timeout_seconds = 60;

   const Result r = run_dirlist(run);

   EXPECT_EQ(r.out, expected_listing(dir.path()));
   EXPECT_EQ(r.err, "");
   EXPECT_EQ(r.status, 0);
}

}  // namespace
