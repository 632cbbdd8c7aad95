/* Lets Wine treat a Linux pseudo-terminal as a serial port (test-only, loaded with LD_PRELOAD).
 *
 * Wine's serial code asks the port for its modem lines: WaitCommEvent reads them (TIOCMGET) each
 * time it looks for events and gives up with ERROR_OPERATION_ABORTED when it cannot, and
 * SetCommState sets DTR and RTS (TIOCMSET, TIOCMBIS, TIOCMBIC). A pseudo-terminal has no modem
 * lines and refuses those requests, so without this shim no wait for a received character would
 * ever succeed on one. Here, when a pty slave refuses one of them, the request succeeds instead:
 * the lines read as DTR, RTS, CTS, DSR and carrier on, and setting them does nothing. Every other
 * request, and every other file, goes to the real ioctl untouched. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <stdarg.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

/* Unix98 pty slaves (/dev/pts/N) have majors 136 to 143. */
static int isPtySlave(int fd) {
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode)) return 0;
  return major(st.st_rdev) >= 136 && major(st.st_rdev) <= 143;
}

int ioctl(int fd, unsigned long request, ...) {
  static int (*realIoctl)(int, unsigned long, ...);
  va_list ap;
  va_start(ap, request);
  void* arg = va_arg(ap, void*);
  va_end(ap);
  if (!realIoctl) realIoctl = (int (*)(int, unsigned long, ...))dlsym(RTLD_NEXT, "ioctl");

  int result = realIoctl(fd, request, arg);
  if (result == 0 || (errno != EINVAL && errno != ENOTTY) || !isPtySlave(fd)) return result;
  switch (request) {
    case TIOCMGET:
      *(int*)arg = TIOCM_DTR | TIOCM_RTS | TIOCM_CTS | TIOCM_DSR | TIOCM_CAR;
      return 0;
    case TIOCMSET:
    case TIOCMBIS:
    case TIOCMBIC:
      return 0;
    default:
      return result;
  }
}
