// Black-box tests: the exit status tells a listing that reached its end from
// one that did not, and standard error stays silent either way.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

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
   if (dirlist_is_static())
      GTEST_SKIP() << "a static executable takes no preloaded library";
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

// The test FUSE file system (failing_fs.c) holding `names`, mounted on a
// fresh directory for the life of the object.
class FailingFs {
 public:
   explicit FailingFs(const std::vector<std::string> &names)
   {
      mkdir(mount_point_.c_str(), 0755);
      std::vector<std::string> words = {FAILING_FS, mount_point_};
      words.insert(words.end(), names.begin(), names.end());
      std::vector<char *> argv;
      argv.reserve(words.size() + 1);
      for (std::size_t i = 0; i < words.size(); ++i)
         argv.push_back(words[i].data());
      argv.push_back(nullptr);
      pid_ = fork();
      if (pid_ == 0) {
         execv(argv[0], argv.data());
         _exit(127);
      }
      struct stat parent, st;
      stat(dir_.path().c_str(), &parent);
      for (int i = 0; i < 500 && !mounted_; ++i) {
         mounted_ = stat(mount_point_.c_str(), &st) == 0 && st.st_dev != parent.st_dev;
         std::this_thread::sleep_for(std::chrono::milliseconds(10));
      }
   }
   ~FailingFs()
   {
      kill(pid_, SIGTERM);  // it unmounts and ends
      waitpid(pid_, nullptr, 0);
      umount2(mount_point_.c_str(), MNT_DETACH);
   }
   FailingFs(const FailingFs &) = delete;
   FailingFs &operator=(const FailingFs &) = delete;

   bool mounted() const { return mounted_; }
   const std::string &path() const { return mount_point_; }

 private:
   TempDir dir_;
   std::string mount_point_ = dir_ / "mnt";
   pid_t pid_ = -1;
   bool mounted_ = false;
};

TEST(ExitStatusOfTheSearch, AnEntryThatCannotBeExaminedMakesTheListingIncomplete)
{
   if (!running_as_root() || access("/dev/fuse", R_OK | W_OK) != 0)
      GTEST_SKIP() << "mounting a FUSE file system needs root and /dev/fuse";
   struct Case {
      std::vector<std::string> names;  // NAME=ERROR: its attributes fail with ERROR
      const char *listing;
      int status;
   };
   const Case cases[] = {
       {{"a", "b", "c"}, "a\nb\nc\n", 0},
       {{"a", "b=EIO", "c"}, "a\nc\n", 1},     // a damaged disk
       {{"a", "b=ESTALE", "c"}, "a\nc\n", 1},  // a stale network mount
       {{"a=EIO", "b=ESTALE", "c=EACCES"}, "", 1},
       {{"a", std::string(1023, 'n'), "c"}, "a\nc\n", 1},  // too long for the search to examine
   };
   for (const Case &c : cases) {
      const FailingFs fs(c.names);
      ASSERT_TRUE(fs.mounted()) << "the FUSE file system did not mount";
      Invocation run;
      run.dir = fs.path();

      const Result r = run_dirlist(run);

      EXPECT_EQ(r.out, c.listing) << c.names[1];
      EXPECT_EQ(r.err, "") << c.names[1];
      EXPECT_EQ(r.status, c.status) << c.names[1];
   }
}

}  // namespace
