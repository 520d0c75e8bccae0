/* The least work a listing under dirlist's rule needs: read the directory,
 * stat each entry through "./name" as the library does, keep what is not
 * hidden, not a directory and writable, and write it through a buffered
 * stream. The benchmark's floor.
 *
 * Built with -DEUID_PER_ENTRY it also asks for the effective user id once per
 * entry, as the library does: one system call more per entry. */
#include <dirent.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

static int writable(const struct stat *st, uid_t uid)
{
#ifdef EUID_PER_ENTRY
   uid = geteuid();
#endif
   if (uid == 0)
      return 1;
   if (st->st_uid == uid)
      return (st->st_mode & S_IWUSR) != 0;
   if (st->st_gid == getegid())
      return (st->st_mode & S_IWGRP) != 0;
   return (st->st_mode & S_IWOTH) != 0;
}

int main(void)
{
   const uid_t uid = geteuid();
   DIR *d = opendir(".");
   if (!d)
      return 1;
   char path[2 + 256] = "./";
   const struct dirent *e;
   while ((e = readdir(d)) != NULL) {
      struct stat st;
      if (e->d_name[0] == '.')
         continue;
      strcpy(path + 2, e->d_name);
      if (stat(path, &st) != 0 || S_ISDIR(st.st_mode) || !writable(&st, uid))
         continue;
      fputs(e->d_name, stdout);
      putchar('\n');
   }
   closedir(d);
   return fflush(stdout) != 0;
}
