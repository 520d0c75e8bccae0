// Runs the built dirlist (or the one that the environment variable DIRLIST
// names) as its users meet it: in a directory of the test's
// choosing, with standard output on a pipe (read whole, or only up to the
// first line), a device, a terminal or closed, optionally as the
// unprivileged user `nobody`, in a changed environment, or signalled while
// it runs.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum class Output : std::uint8_t { pipe, dev_full, dev_null, closed, terminal, first_line };

struct Invocation {
   std::string dir;
   std::vector<std::string> args;
   // A program, by absolute path, and its options, that runs dirlist (given
   // as the next word, then `args`): a memory checker or a shell pipeline.
   std::vector<std::string> wrapper;
   Output output = Output::pipe;
   bool as_nobody = false;   // only takes effect when the tests run as root
   bool remove_dir = false;  // remove `dir` after entering it
   // Changes to the environment: "NAME=value" sets NAME, a bare "NAME" unsets it.
   std::vector<std::string> env;
   // Signals to start with ignored, as nohup and scripts ignore SIGINT and
   // Python's os.system SIGPIPE.
   std::vector<int> ignored_signals;
   // A signal to send: `signal_delay_us` after the start, or at the first
   // output when that is negative.
   int signal = 0;
   int signal_delay_us = -1;
   int timeout_seconds = 20;
};

struct Result {
   std::string out;
   std::string err;
   int status = -1;  // exit status, or -1 when killed by a signal
   int signal = 0;   // the signal that ended it, if one did
   bool timed_out = false;
   double seconds = 0;  // from the start to the end
};

Result run_dirlist(const Invocation &run);

// A fresh directory under /tmp that everyone may enter; removed with its
// contents when the object goes away.
class TempDir {
 public:
   TempDir();
   ~TempDir();
   TempDir(const TempDir &) = delete;
   TempDir &operator=(const TempDir &) = delete;

   const std::string &path() const { return path_; }
   std::string operator/(const std::string &name) const { return path_ + "/" + name; }
   // Creates an empty regular file with the given mode.
   void file(const std::string &name, unsigned mode = 0644) const;

 private:
   std::string path_;
};

// Whether the dirlist under test is a static executable, as the portable
// release's is: one that takes no preloaded library, loads no locale but
// UTF-8, and that the memory checker cannot follow.
bool dirlist_is_static();

// True when the tests run as root and so must drop to `nobody` to see what
// an ordinary user sees.
bool running_as_root();
// Gives a path to `nobody` (only meaningful when running as root).
void give_to_nobody(const std::string &path);

// The entries dirlist must list in `dir`, in the order readdir yields them:
// those that are not hidden (dot names), that exist when followed, that are
// not directories, and that the library does not count as read-only for the
// caller: the write bit of the owner, the group or the others, whichever the
// caller's effective user and group fall in; root writes everything.
std::vector<std::string> readdir_names(const std::string &dir);
// The same names as dirlist prints them to a pipe, each followed by a newline.
std::string expected_listing(const std::string &dir);
