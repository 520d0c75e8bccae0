// Runs the built dirlist as its users meet it: in a directory of the test's
// choosing, with standard output on a pipe, a full device, a terminal or
// closed, optionally as the unprivileged user `nobody`.
#pragma once

#include <string>
#include <vector>

enum class Output { pipe, dev_full, closed, terminal };

struct Invocation {
   std::string dir;
   std::vector<std::string> args;
   // A program, by absolute path, and its options, that runs dirlist (given
   // as the next word, then `args`): a memory checker or a shell pipeline.
   std::vector<std::string> wrapper;
   Output output = Output::pipe;
   bool as_nobody = false;   // only takes effect when the tests run as root
   bool remove_dir = false;  // remove `dir` after entering it
   int timeout_seconds = 20;
};

struct Result {
   std::string out;
   std::string err;
   int status = -1;  // exit status, or -1 when killed by a signal
   bool timed_out = false;
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

// True when the tests run as root and so must drop to `nobody` to see what
// an ordinary user sees.
bool running_as_root();
// Gives a path to `nobody` (only meaningful when running as root).
void give_to_nobody(const std::string &path);

// The entries dirlist must list in `dir`, in the order readdir yields them:
// those that are not hidden (dot names), that exist when followed, that are
// not directories, and that the caller may write.
std::vector<std::string> readdir_names(const std::string &dir);
// The same names as dirlist prints them to a pipe, each followed by a newline.
std::string expected_listing(const std::string &dir);
