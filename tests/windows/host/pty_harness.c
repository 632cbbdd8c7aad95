/* Plays the far end of the serial ports that the Windows tests open under Wine (test-only).
 *
 *   pty_harness [--echo LINK]... [--slow-echo LINK]... [--hangup LINK]... -- COMMAND [ARG]...
 *
 * For each LINK it makes a pseudo-terminal and points LINK (a symbolic link that Wine's registry
 * declares as a COM port) at its slave side; then it runs COMMAND and, until COMMAND ends, serves
 * the master sides: an --echo port sends back every byte it receives, unchanged; a --slow-echo
 * port does the same a tenth of a second later, so that the program is surely waiting for a
 * character by then, as it is for a device's reply; a --hangup port
 * behaves as an adapter pulled out of the socket on the first byte it receives (its master side
 * closes and its link goes). It exits with COMMAND's exit status. */
#define _GNU_SOURCE
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#define MAX_PORTS 16

struct Port {
  const char* link;
  int hangup;
  int slow;
  int master;
  int slave; /* held open so that the master never sees a hang-up between the program's opens */
};

static int openPort(struct Port* p) {
  p->master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (p->master < 0 || grantpt(p->master) != 0 || unlockpt(p->master) != 0) return -1;
  const char* slavePath = ptsname(p->master);
  if (!slavePath) return -1;
  p->slave = open(slavePath, O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (p->slave < 0) return -1;
  /* Raw from the start: with the line discipline's echo on, the slave would send our echo back
   * to us and the two would ping-pong. */
  struct termios tio;
  if (tcgetattr(p->slave, &tio) != 0) return -1;
  cfmakeraw(&tio);
  if (tcsetattr(p->slave, TCSANOW, &tio) != 0) return -1;
  unlink(p->link);
  return symlink(slavePath, p->link);
}

static int writeAll(int fd, const unsigned char* bytes, ssize_t n) {
  while (n > 0) {
    ssize_t done = write(fd, bytes, (size_t)n);
    if (done <= 0) return -1;
    bytes += done;
    n -= done;
  }
  return 0;
}

int main(int argc, char** argv) {
  struct Port ports[MAX_PORTS];
  int count = 0;
  int i = 1;
  for (; i < argc && strcmp(argv[i], "--") != 0; i += 2) {
    if (i + 1 >= argc || count == MAX_PORTS ||
        (strcmp(argv[i], "--echo") != 0 && strcmp(argv[i], "--slow-echo") != 0 &&
         strcmp(argv[i], "--hangup") != 0)) {
      fprintf(stderr, "usage: pty_harness [--echo|--slow-echo|--hangup LINK]... -- COMMAND...\n");
      return 2;
    }
    ports[count] = (struct Port){argv[i + 1], strcmp(argv[i], "--hangup") == 0,
                                 strcmp(argv[i], "--slow-echo") == 0, -1, -1};
    if (openPort(&ports[count]) != 0) {
      perror(argv[i + 1]);
      return 2;
    }
    ++count;
  }
  if (i + 1 >= argc) {
    fprintf(stderr, "pty_harness: no command\n");
    return 2;
  }

  pid_t child = fork();
  if (child < 0) return 2;
  if (child == 0) {
    execvp(argv[i + 1], argv + i + 1);
    perror(argv[i + 1]);
    _exit(127);
  }

  for (;;) {
    int status = 0;
    if (waitpid(child, &status, WNOHANG) == child) {
      for (int k = 0; k < count; ++k) unlink(ports[k].link);
      return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    struct pollfd fds[MAX_PORTS];
    for (int k = 0; k < count; ++k) fds[k] = (struct pollfd){ports[k].master, POLLIN, 0};
    /* The time-out only bounds how late we notice that COMMAND has ended. */
    if (poll(fds, (nfds_t)count, 50) <= 0) continue;
    for (int k = 0; k < count; ++k) {
      if (ports[k].master < 0 || !(fds[k].revents & POLLIN)) continue;
      unsigned char buf[4096];
      ssize_t n = read(ports[k].master, buf, sizeof buf);
      if (n <= 0) continue;
      if (ports[k].hangup) {
        close(ports[k].master);
        close(ports[k].slave);
        unlink(ports[k].link);
        ports[k].master = -1;
        continue;
      }
      if (ports[k].slow) usleep(100 * 1000);
      if (writeAll(ports[k].master, buf, n) != 0) perror(ports[k].link);
    }
  }
}
