// Black-box tests: dirlist lists the same, silently and promptly, wherever a
// user starts it: a desktop with a display server, a dead display, signals
// sent or ignored by the caller, a root with no /proc.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "run_dirlist.h"

namespace {

// An Xvfb display server on a free display number, whose clients must show
// a cookie from `authority()`.
class Xvfb {
 public:
   Xvfb()
   {
      // One cookie for any display number: family FamilyWild, empty address
      // and display number.
      std::ofstream(authority_, std::ios::binary)
          << std::string("\xff\xff\0\0\0\0\0\x12MIT-MAGIC-COOKIE-1\0\x10", 28) << "dirlist-test-key";
      int ready[2];
      EXPECT_EQ(pipe(ready), 0);
      pid_ = fork();
      if (pid_ == 0) {
         dup2(ready[1], 3);
         const int null = open("/dev/null", O_WRONLY);
         dup2(null, STDOUT_FILENO);
         dup2(null, STDERR_FILENO);
         execlp("Xvfb", "Xvfb", "-displayfd", "3", "-auth", authority_.c_str(), "-nolisten", "tcp",
                static_cast<char *>(nullptr));
         _exit(127);
      }
      close(ready[1]);
      // The number and a newline, once it accepts clients; it dies of
      // SIGPIPE if the pipe closes before the newline.
      std::string number;
      for (char c; read(ready[0], &c, 1) == 1 && c != '\n';)
         number += c;
      close(ready[0]);
      EXPECT_FALSE(number.empty()) << "Xvfb did not start";
      display_ = ":" + number;
   }
   ~Xvfb()
   {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
   }
   Xvfb(const Xvfb &) = delete;
   Xvfb &operator=(const Xvfb &) = delete;

   const std::string &display() const { return display_; }
   const std::string &authority() const { return authority_; }

 private:
   TempDir home_;
   std::string authority_ = home_ / "Xauthority";
   std::string display_;
   pid_t pid_ = -1;
};

class Desktop : public testing::Test {
 protected:
   static void SetUpTestSuite() { server = new Xvfb; }
   static void TearDownTestSuite() { delete server; }

   void SetUp() override
   {
      dir.file("plain");
      dir.file("two words");
      dir.file("100%");
      dir.file(".hidden");
      run.dir = dir.path();
      run.env = {"DISPLAY=" + server->display(), "XAUTHORITY=" + server->authority(), "HOME=" + dir.path()};
      run.timeout_seconds = 10;
   }

   static Xvfb *server;
   TempDir dir;
   Invocation run;
};

Xvfb *Desktop::server = nullptr;

TEST_F(Desktop, ListsAsWithoutADisplay)
{
   const Result r = run_dirlist(run);

   EXPECT_EQ(r.out, expected_listing(dir.path()));
   EXPECT_EQ(r.err, "");
   EXPECT_EQ(r.status, 0);
}

TEST_F(Desktop, ExitsOneAtOnceWhenOutputIsClosed)
{
   run.output = Output::closed;

   const Result r = run_dirlist(run);

   EXPECT_FALSE(r.timed_out);
   EXPECT_EQ(r.err, "");
   EXPECT_EQ(r.status, 1);
}

TEST_F(Desktop, SaysNothingWhenTheDisplayRefusesIt)
{
   run.env = {"DISPLAY=" + server->display(), "XAUTHORITY", "HOME=" + dir.path()};

   const Result r = run_dirlist(run);

   EXPECT_EQ(r.out, expected_listing(dir.path()));
   EXPECT_EQ(r.err, "");
   EXPECT_EQ(r.status, 0);
}

TEST_F(Desktop, IgnoredInterruptStaysIgnored)
{
   for (int i = 0; i < 20000; ++i)
      dir.file("entry-" + std::to_string(i));
   run.ignored_signals = {SIGINT};
   run.signal = SIGINT;  // at the first output, while the listing goes on

   const Result r = run_dirlist(run);

   EXPECT_EQ(r.out, expected_listing(dir.path()));
   EXPECT_EQ(r.err, "");
   EXPECT_EQ(r.status, 0);
}

TEST_F(Desktop, TerminationAtAnyMomentOfTheStartIsClean)
{
   run.signal = SIGTERM;
   for (int delay_us = 0; delay_us < 4000; delay_us += 20) {
      run.signal_delay_us = delay_us;

      const Result r = run_dirlist(run);

      EXPECT_TRUE(r.signal == SIGTERM || (r.signal == 0 && r.status == 0))
          << "after " << delay_us << " us: signal " << r.signal << ", status " << r.status;
      EXPECT_EQ(r.err, "") << "after " << delay_us << " us";
   }
}

TEST(DeadDisplay, ListingComesOutWhenTheDisplayNeverAnswers)
{
   // A display server that accepts connections and never answers: a
   // listening socket where clients look for display :N first.
   const int server = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
   ASSERT_GE(server, 0);
   std::string display;
   for (int n = 600; display.empty() && n < 700; ++n) {
      sockaddr_un address{};
      address.sun_family = AF_UNIX;
      const std::string path = "/tmp/.X11-unix/X" + std::to_string(n);
      path.copy(address.sun_path + 1, path.size());  // abstract: leaves no file behind
      if (bind(server, reinterpret_cast<sockaddr *>(&address), sizeof address.sun_family + 1 + path.size()) ==
          0)
         display = ":" + std::to_string(n);
   }
   ASSERT_FALSE(display.empty());
   ASSERT_EQ(listen(server, 8), 0);
   TempDir dir;
   dir.file("one");
   Invocation run;
   run.dir = dir.path();
   run.env = {"DISPLAY=" + display};
   run.timeout_seconds = 10;

   const Result r = run_dirlist(run);
   close(server);

   EXPECT_FALSE(r.timed_out);
   EXPECT_EQ(r.out, "one\n");
   EXPECT_EQ(r.err, "");
   EXPECT_EQ(r.status, 0);
}

TEST(NoProc, RunsNothingFromThePath)
{
#if defined(__SANITIZE_ADDRESS__)
   GTEST_SKIP() << "the sanitizers' runtime needs /proc";
#endif
   if (system("unshare -m /bin/sh -c 'mount -t tmpfs none /proc' 2>/dev/null") != 0)
      GTEST_SKIP() << "cannot mount over /proc in a namespace of its own here (needs root)";
   TempDir dir;
   dir.file("one");
   TempDir bin;
   const std::string ps = bin / "ps";
   std::ofstream(ps) << "#!/bin/sh\necho \"ps ran: $*\" >&2\n";
   ASSERT_EQ(chmod(ps.c_str(), 0755), 0);
   Invocation run;
   run.dir = dir.path();
   run.wrapper = {"/usr/bin/unshare", "-m", "/bin/sh", "-c", "mount -t tmpfs none /proc && exec \"$0\""};
   run.env = {"PATH=" + bin.path() + ":/usr/bin:/bin"};

   const Result r = run_dirlist(run);

   EXPECT_EQ(r.out, "one\n");
   EXPECT_EQ(r.err, "");
   EXPECT_EQ(r.status, 0);
}

}  // namespace
