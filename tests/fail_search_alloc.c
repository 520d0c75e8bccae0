/* A preload shim that fails the library's allocation of its directory
 * search state (two 1 KiB paths, a directory handle, the attribute mask and
 * a size: 2072 bytes on x86-64) and passes every other allocation on.
 *
 * It also fills the stack that main's locals will take with garbage first,
 * as a longer start-up would leave it, so that a record the program did not
 * initialise is not zero by luck. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stddef.h>
#include <stdint.h>

struct search_state {
   void *dir;
   char dirname[1024];
   char pattern[1024];
   int attrib;
   uint64_t size;
};

void *malloc(size_t size)
{
   static void *(*next)(size_t);
   if (!next)
      next = (void *(*)(size_t))dlsym(RTLD_NEXT, "malloc");
   return size == sizeof(struct search_state) ? NULL : next(size);
}

__attribute__((constructor)) static void leave_garbage_on_the_stack(void)
{
   volatile unsigned char garbage[65536];
   for (size_t i = 0; i < sizeof garbage; ++i)
      garbage[i] = 0xA5;
}
