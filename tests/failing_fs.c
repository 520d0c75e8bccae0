/* A FUSE file system for the tests: one directory holding empty files, in
 * the order named. Reading the attributes of a file named NAME=ERROR (EIO,
 * ESTALE or EACCES) fails with that error, as on a damaged disk or a stale
 * network mount; the directory still lists it as NAME.
 * Usage: failing_fs MOUNTPOINT NAME[=ERROR]...   (stays in the foreground) */
#define FUSE_USE_VERSION 31
#include <errno.h>
#include <fuse.h>
#include <string.h>
#include <sys/stat.h>

static char **names;
static int count;

static int error_named(const char *name)
{
   static const struct {
      const char *name;
      int value;
   } errors[] = {{"EIO", EIO}, {"ESTALE", ESTALE}, {"EACCES", EACCES}};
   for (size_t i = 0; i < sizeof errors / sizeof errors[0]; ++i)
      if (strcmp(name, errors[i].name) == 0)
         return errors[i].value;
   return EINVAL;
}

static int fs_getattr(const char *path, struct stat *st, struct fuse_file_info *fi)
{
   (void)fi;
   memset(st, 0, sizeof *st);
   if (strcmp(path, "/") == 0) {
      st->st_mode = S_IFDIR | 0755;
      st->st_nlink = 2;
      return 0;
   }
   for (int i = 0; i < count; ++i) {
      const size_t length = strcspn(names[i], "=");
      if (strncmp(path + 1, names[i], length) != 0 || path[1 + length] != '\0')
         continue;
      if (names[i][length] == '=')
         return -error_named(names[i] + length + 1);
      st->st_mode = S_IFREG | 0644;
      st->st_nlink = 1;
      return 0;
   }
   return -ENOENT;
}

static int fs_readdir(const char *path, void *buf, fuse_fill_dir_t fill, off_t offset,
                      struct fuse_file_info *fi, enum fuse_readdir_flags flags)
{
   (void)path, (void)offset, (void)fi, (void)flags;
   fill(buf, ".", NULL, 0, 0);
   fill(buf, "..", NULL, 0, 0);
   for (int i = 0; i < count; ++i) {
      char name[1025]; /* FUSE takes names of up to 1024 bytes */
      const size_t length = strcspn(names[i], "=");
      if (length >= sizeof name)
         return -ENAMETOOLONG;
      memcpy(name, names[i], length);
      name[length] = '\0';
      fill(buf, name, NULL, 0, 0);
   }
   return 0;
}

int main(int argc, char *argv[])
{
   static const struct fuse_operations operations = {.getattr = fs_getattr, .readdir = fs_readdir};
   if (argc < 2)
      return 2;
   names = argv + 2;
   count = argc - 2;
   char *args[] = {argv[0], "-f", "-s", argv[1], NULL};
   return fuse_main(4, args, &operations, NULL);
}
