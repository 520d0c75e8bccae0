#include "run_dirlist.h"

#include <dirent.h>
#include <elf.h>
#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <pty.h>
#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

void check(bool ok, const char *what)
{
   if (!ok)
      throw std::runtime_error(std::string(what) + ": " + std::strerror(errno));
}

const passwd &nobody()
{
   static const passwd *pw = getpwnam("nobody");
   check(pw != nullptr, "getpwnam(nobody)");
   return *pw;
}

// The built binary, or the one that DIRLIST names (the portable release's),
// may sit where `nobody` cannot reach it, so the tests run a copy kept in a
// directory everyone may enter.
const std::string &binary()
{
   static const TempDir home;
   static const std::string copy = home / "dirlist";
   static const char *const other = std::getenv("DIRLIST");
   static const bool copied = std::filesystem::copy_file(other ? other : DIRLIST_PATH, copy);
   (void)copied;
   return copy;
}

// The environment of the parent with `changes` (see Invocation::env) made.
std::vector<std::string> environment(const std::vector<std::string> &changes)
{
   auto name_of = [](const std::string &entry) { return entry.substr(0, entry.find('=')); };
   std::vector<std::string> env;
   for (char **e = environ; *e; ++e) {
      bool changed = false;
      for (const auto &change : changes)
         changed = changed || name_of(change) == name_of(*e);
      if (!changed)
         env.emplace_back(*e);
   }
   for (const auto &change : changes)
      if (change.find('=') != std::string::npos)
         env.push_back(change);
   return env;
}

std::vector<char *> pointers(std::vector<std::string> &words)
{
   std::vector<char *> p;
   p.reserve(words.size() + 1);
   for (std::size_t i = 0; i < words.size(); ++i)
      p.push_back(words[i].data());
   p.push_back(nullptr);
   return p;
}

// Reads both pipes to their end or until the deadline; false on timeout.
// Sends `signal` to `pid` when the first output arrives, if asked to, and
// closes standard output's pipe after its first line if `first_line_only`.
// The caller closes the pipes that remain open.
bool drain(int &out_fd, int err_fd, Result &result, std::chrono::steady_clock::time_point deadline, pid_t pid,
           int signal, bool first_line_only)
{
   pollfd fds[2] = {{out_fd, POLLIN, 0}, {err_fd, POLLIN, 0}};
   std::string *sinks[2] = {&result.out, &result.err};
   while (fds[0].fd >= 0 || fds[1].fd >= 0) {
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now())
              .count();
      if (left <= 0)
         return false;
      if (poll(fds, 2, static_cast<int>(left)) < 0) {
         check(errno == EINTR, "poll");
         continue;
      }
      for (int i = 0; i < 2; ++i) {
         if (fds[i].fd < 0 || fds[i].revents == 0)
            continue;
         char buf[65536];
         const ssize_t n = read(fds[i].fd, buf, sizeof buf);
         if (n > 0) {
            sinks[i]->append(buf, static_cast<size_t>(n));
            if (i == 0 && signal != 0) {
               kill(pid, signal);
               signal = 0;
            }
            if (i == 0 && first_line_only && result.out.find('\n') != std::string::npos) {
               result.out.erase(result.out.find('\n') + 1);
               close(out_fd);
               out_fd = fds[0].fd = -1;
            }
         } else if (n == 0 || errno != EINTR) {
            fds[i].fd = -1;  // a terminal's master side reports the end as EIO
         }
      }
   }
   return true;
}

// The library's own test for read-only, which looks at the permission bits
// alone: no supplementary groups, ACLs or read-only mounts.
bool writable_by_library(const struct stat &st)
{
   if (geteuid() == 0)
      return true;
   if (st.st_uid == geteuid())
      return (st.st_mode & S_IWUSR) != 0;
   if (st.st_gid == getegid())
      return (st.st_mode & S_IWGRP) != 0;
   return (st.st_mode & S_IWOTH) != 0;
}

}  // namespace

Result run_dirlist(const Invocation &run)
{
   std::vector<std::string> words = run.wrapper;
   words.push_back(binary());
   words.insert(words.end(), run.args.begin(), run.args.end());
   std::vector<char *> argv = pointers(words);
   std::vector<std::string> env = environment(run.env);
   std::vector<char *> envp = pointers(env);
   const bool drop = run.as_nobody && running_as_root();
   const uid_t uid = drop ? nobody().pw_uid : 0;
   const gid_t gid = drop ? nobody().pw_gid : 0;

   int err[2];
   check(pipe2(err, O_CLOEXEC) == 0, "pipe2");
   int out[2] = {-1, -1};
   if (run.output == Output::pipe || run.output == Output::first_line) {
      check(pipe2(out, O_CLOEXEC) == 0, "pipe2");
   } else if (run.output == Output::terminal) {
      termios raw{};
      cfmakeraw(&raw);  // no newline translation: the test sees the bytes written
      check(openpty(&out[0], &out[1], nullptr, &raw, nullptr) == 0, "openpty");
      fcntl(out[0], F_SETFD, FD_CLOEXEC);
      fcntl(out[1], F_SETFD, FD_CLOEXEC);
   } else if (run.output == Output::dev_full || run.output == Output::dev_null) {
      out[1] = open(run.output == Output::dev_full ? "/dev/full" : "/dev/null", O_WRONLY | O_CLOEXEC);
      check(out[1] >= 0, "open device");
   }

   const auto start = std::chrono::steady_clock::now();
   const pid_t pid = fork();
   check(pid >= 0, "fork");
   if (pid == 0) {
      // Only async-signal-safe calls from here on: the test may have threads.
      if (chdir(run.dir.c_str()) != 0)
         _exit(126);
      if (run.remove_dir && rmdir(run.dir.c_str()) != 0)
         _exit(126);
      if (run.output == Output::closed)
         close(STDOUT_FILENO);
      else
         dup2(out[1], STDOUT_FILENO);
      dup2(err[1], STDERR_FILENO);
      if (drop && (setgroups(0, nullptr) != 0 || setgid(gid) != 0 || setuid(uid) != 0))
         _exit(126);
      for (const int ignored : run.ignored_signals)
         signal(ignored, SIG_IGN);
      execve(argv[0], argv.data(), envp.data());
      _exit(127);
   }
   close(err[1]);
   if (out[1] >= 0)
      close(out[1]);

   if (run.signal != 0 && run.signal_delay_us >= 0) {
      usleep(static_cast<useconds_t>(run.signal_delay_us));
      kill(pid, run.signal);
   }

   Result result;
   const auto deadline = start + std::chrono::seconds(run.timeout_seconds);
   const int signal_at_output = run.signal_delay_us < 0 ? run.signal : 0;
   if (!drain(out[0], err[0], result, deadline, pid, signal_at_output, run.output == Output::first_line)) {
      result.timed_out = true;
      kill(pid, SIGKILL);
   }
   if (out[0] >= 0)
      close(out[0]);
   close(err[0]);
   int status = 0;
   check(waitpid(pid, &status, 0) == pid, "waitpid");
   result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
   result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
   result.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
   return result;
}

TempDir::TempDir()
{
   char pattern[] = "/tmp/dirlist-test.XXXXXX";
   check(mkdtemp(pattern) != nullptr, "mkdtemp");
   path_ = pattern;
   check(chmod(path_.c_str(), 0755) == 0, "chmod");
}

TempDir::~TempDir()
{
   std::error_code ignored;
   std::filesystem::remove_all(path_, ignored);
}

void TempDir::file(const std::string &name, unsigned mode) const
{
   const int fd = open((*this / name).c_str(), O_WRONLY | O_CREAT | O_EXCL, mode);
   check(fd >= 0, "create file");
   close(fd);
   check(chmod((*this / name).c_str(), mode) == 0, "chmod");
}

bool dirlist_is_static()
{
   // A dynamic executable names the program that loads it: its interpreter.
   std::ifstream f(binary(), std::ios::binary);
   Elf64_Ehdr header{};
   f.read(reinterpret_cast<char *>(&header), sizeof header);
   for (unsigned i = 0; f && i < header.e_phnum; ++i) {
      Elf64_Phdr segment{};
      f.seekg(static_cast<std::streamoff>(header.e_phoff + std::size_t{header.e_phentsize} * i));
      f.read(reinterpret_cast<char *>(&segment), sizeof segment);
      if (f && segment.p_type == PT_INTERP)
         return false;
   }
   check(f.good(), "read the program headers of dirlist");
   return true;
}

bool running_as_root()
{
   return geteuid() == 0;
}

void give_to_nobody(const std::string &path)
{
   check(lchown(path.c_str(), nobody().pw_uid, nobody().pw_gid) == 0, "lchown");
}

std::vector<std::string> readdir_names(const std::string &dir)
{
   DIR *d = opendir(dir.c_str());
   check(d != nullptr, "opendir");
   const int fd = dirfd(d);
   check(fd >= 0, "dirfd");
   std::vector<std::string> names;
   while (const dirent *e = readdir(d)) {
      struct stat st;
      if (e->d_name[0] == '.' || fstatat(fd, e->d_name, &st, 0) != 0 || S_ISDIR(st.st_mode) ||
          !writable_by_library(st))
         continue;
      names.emplace_back(e->d_name);
   }
   closedir(d);
   return names;
}

std::string expected_listing(const std::string &dir)
{
   std::string listing;
   for (const auto &name : readdir_names(dir))
      listing += name + '\n';
   return listing;
}
