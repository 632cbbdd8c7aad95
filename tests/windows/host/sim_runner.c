/* Runs a Windows test against lyraphone-sim, the device simulator built for this machine
 * (test-only).
 *
 *   sim_runner RUNTIME_DIR SIM [SIM_ARG]... -- COMMAND [ARG]...
 *
 * Starts SIM with XDG_RUNTIME_DIR=RUNTIME_DIR, so that it publishes its ttySIM link in a folder
 * of the test's own (Wine's registry declares that link as a COM port), and waits for the link's
 * path on its first line. Then it runs COMMAND, stops the simulator with SIGTERM and checks that
 * the simulator exited cleanly and removed its link. It exits with COMMAND's status, or 1 when
 * the simulator failed.
 *
 * The simulator serves the master side of its pseudo-terminal only, so it runs without the
 * LD_PRELOAD modem shim that Wine's processes need (and a sanitizer build of it could not take
 * one). Both children die with this program, however it ends: a killed run leaves nothing behind
 * but a dangling link, which the next simulator replaces. */
#define _GNU_SOURCE
#include <errno.h>
#include <poll.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

static pid_t sim = -1;

/* In a child: die with the parent, even if the parent is killed before it gets here. */
static void dieWithParent(pid_t parent, int signal) {
  if (prctl(PR_SET_PDEATHSIG, signal) != 0 || getppid() != parent) _exit(127);
}

static pid_t startSim(char** argv, const char* runtimeDir, int out) {
  const pid_t parent = getpid();
  const pid_t pid = fork();
  if (pid != 0) return pid;
  dieWithParent(parent, SIGTERM); /* SIGTERM: the simulator removes its link */
  setenv("XDG_RUNTIME_DIR", runtimeDir, 1);
  unsetenv("LD_PRELOAD");
  dup2(out, STDOUT_FILENO);
  execvp(argv[0], argv);
  perror(argv[0]);
  _exit(127);
}

/* The simulator's first line, waiting at most ten seconds for it. */
static int readFirstLine(int in, char* line, size_t size) {
  size_t used = 0;
  while (used + 1 < size) {
    struct pollfd p = {in, POLLIN, 0};
    if (poll(&p, 1, 10 * 1000) <= 0) return -1;
    const ssize_t n = read(in, line + used, 1);
    if (n <= 0) return -1;
    if (line[used] == '\n') break;
    ++used;
  }
  line[used] = '\0';
  return used > 0 ? 0 : -1;
}

static void stopSim(void) {
  if (sim > 0) kill(sim, SIGTERM);
}

int main(int argc, char** argv) {
  int split = 3;
  while (split < argc && strcmp(argv[split], "--") != 0) ++split;
  if (argc < 3 || split + 1 >= argc) {
    fprintf(stderr, "usage: sim_runner RUNTIME_DIR SIM [SIM_ARG]... -- COMMAND...\n");
    return 2;
  }
  const char* runtimeDir = argv[1];
  argv[split] = NULL;
  if (mkdir(runtimeDir, 0700) != 0 && errno != EEXIST) {
    perror(runtimeDir);
    return 2;
  }

  int out[2];
  if (pipe(out) != 0) return 2;
  sim = startSim(argv + 2, runtimeDir, out[1]);
  close(out[1]);
  if (sim < 0) return 2;
  atexit(stopSim);

  char link[4096];
  struct stat st;
  if (readFirstLine(out[0], link, sizeof link) != 0 ||
      strncmp(link, runtimeDir, strlen(runtimeDir)) != 0 || lstat(link, &st) != 0 ||
      !S_ISLNK(st.st_mode)) {
    fprintf(stderr, "sim_runner: lyraphone-sim published no port in %s\n", runtimeDir);
    return 1;
  }
  fprintf(stderr, "sim_runner: lyraphone-sim serves %s\n", link);

  const pid_t parent = getpid();
  const pid_t test = fork();
  if (test == 0) {
    dieWithParent(parent, SIGKILL);
    close(out[0]);
    execvp(argv[split + 1], argv + split + 1);
    perror(argv[split + 1]);
    _exit(127);
  }
  int status = 0;
  if (test < 0 || waitpid(test, &status, 0) != test) return 2;
  const int testResult = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);

  int simStatus = 0;
  kill(sim, SIGTERM);
  waitpid(sim, &simStatus, 0);
  sim = -1;
  int result = testResult;
  if (!WIFEXITED(simStatus) || WEXITSTATUS(simStatus) != 0) {
    fprintf(stderr, "sim_runner: lyraphone-sim did not exit cleanly on SIGTERM\n");
    result = result ? result : 1;
  }
  if (lstat(link, &st) == 0) {
    fprintf(stderr, "sim_runner: lyraphone-sim left its link %s behind\n", link);
    result = result ? result : 1;
  }
  return result;
}
