// Black-box tests: the exit status tells a listing that reached its end from
// one that did not, and standard error stays silent either way.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cctype>
#include <ostream>

#include <string>

#include "run_dirlist.h"

namespace {

struct Case {
   const char *what;
   int files;
   Output output;
   int status;
};

void PrintTo(const Case &c, std::ostream *os)
{
   *os << c.what;
}

class ExitStatus : public testing::TestWithParam<Case> {};

TEST_P(ExitStatus, ReportsWhetherEveryNameWasWritten)
{
   const Case &c = GetParam();
   TempDir dir;
   for (int i = 0; i < c.files; ++i)
      dir.file("file-number-" + std::to_string(i));
   Invocation run;
   run.dir = dir.path();
   run.output = c.output;

   const Result r = run_dirlist(run);

   EXPECT_EQ(r.status, c.status);
   EXPECT_EQ(r.err, "");
   if (c.output == Output::pipe) {
      EXPECT_EQ(r.out, expected_listing(dir.path()));
   }
}

INSTANTIATE_TEST_SUITE_P(Outputs, ExitStatus,
                         testing::Values(Case{"empty directory", 0, Output::pipe, 0},
                                         Case{"one file", 1, Output::pipe, 0},
                                         Case{"thousands of files", 3000, Output::pipe, 0},
                                         Case{"full device, one file", 1, Output::dev_full, 1},
                                         Case{"full device, thousands of files", 3000, Output::dev_full, 1},
                                         Case{"closed output, one file", 1, Output::closed, 1},
                                         Case{"closed output, empty directory", 0, Output::closed, 0}),
                         [](const testing::TestParamInfo<Case> &info) {
                            std::string name;
                            for (const char *p = info.param.what; *p; ++p)
                               name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
                            return name;
                         });

TEST(ExitStatusOfTheSearch, RemovedWorkingDirectoryIsEmpty)
{
   TempDir parent;
   const std::string gone = parent / "gone";
   ASSERT_EQ(mkdir(gone.c_str(), 0755), 0);
   Invocation run;
   run.dir = gone;
   run.remove_dir = true;

   const Result r = run_dirlist(run);

   EXPECT_EQ(r.out, "");
   EXPECT_EQ(r.err, "");
   EXPECT_EQ(r.status, 0);
}

TEST(ExitStatusOfTheSearch, UnreadableDirectoryFails)
{
   TempDir parent;
   const std::string locked = parent / "locked";
   ASSERT_EQ(mkdir(locked.c_str(), 0755), 0);
   ASSERT_EQ(chmod(locked.c_str(), 0311), 0);  // may enter, may not read
   Invocation run;
   run.dir = locked;
   run.as_nobody = true;

   const Result r = run_dirlist(run);
   chmod(locked.c_str(), 0755);

   EXPECT_EQ(r.out, "");
   EXPECT_EQ(r.err, "");
   EXPECT_EQ(r.status, 1);
}

TEST(ExitStatusOfTheSearch, NoMemoryForTheSearchFailsQuietly)
{
   TempDir dir;
   dir.file("one");
   Invocation run;
   run.dir = dir.path();
   // Bound at start-up, as a hardened build is: lazy binding would clear the
   // garbage that the shim leaves where the search record will lie. The
   // sanitizers' runtime must then allow a library loaded before it.
   run.env = {"LD_PRELOAD=" FAIL_SEARCH_ALLOC, "LD_BIND_NOW=1", "ASAN_OPTIONS=verify_asan_link_order=0"};

   const Result r = run_dirlist(run);

   EXPECT_EQ(r.signal, 0);
   EXPECT_EQ(r.out, "");
   EXPECT_EQ(r.err, "");
   EXPECT_EQ(r.status, 1);
}

}  // namespace
