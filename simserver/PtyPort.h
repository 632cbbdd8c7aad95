#pragma once
// The serial port lyraphone-sim offers: a pseudo-terminal, published as a symbolic link named
// ttySIM<n> in the virtual-port folder, where the program's port list finds it.
//
// The program takes its port exclusively (TIOCEXCL). On a pseudo-terminal that flag outlives the
// program's close for as long as the simulator holds the master side, so a second connect would
// be refused. The port therefore renews itself each time the program lets go: a fresh pair, and
// the link re-pointed at it in one rename, so the port's name never changes and never dangles.

#include <cstdint>
#include <functional>
#include <span>
#include <string>

namespace lyra {

class PtyPort {
 public:
  PtyPort() = default;
  ~PtyPort();
  PtyPort(const PtyPort&) = delete;
  PtyPort& operator=(const PtyPort&) = delete;

  // Makes the pseudo-terminal and publishes it in folder as ttySIM<number>, or, for number -1,
  // under the first free number. Returns false with error() set when that fails.
  bool open(const std::string& folder, int number);
  // Takes the link away and closes the pseudo-terminal: to the program the port has vanished.
  void close();
  // Replaces the pseudo-terminal by a fresh one under the same link. Returns the old master, now
  // the caller's to close (it may still be serving a program that reopened it a moment ago), or
  // -1 when no fresh one could be made.
  int renew();
  // Whether nobody holds the terminal side of a master any more.
  static bool isHungUp(int masterFd);

  bool isOpen() const { return master_ >= 0; }
  int masterFd() const { return master_; }
  const std::string& linkPath() const { return linkPath_; }
  const std::string& terminalPath() const { return terminalPath_; }
  const std::string& error() const { return error_; }

  // Reads what the program wrote; -1 when the program has closed its end (EIO) or on failure.
  static int read(int masterFd, std::uint8_t* buffer, int maxBytes);
  // Writes to the program; bytes are lost when it has closed its end, as on an unplugged line.
  static void write(int masterFd, std::span<const std::uint8_t> bytes);

 private:
  bool makeTerminal();
  bool publish(const std::string& folder, int number);
  bool fail(const std::string& what);

  int master_ = -1;
  std::string terminalPath_;  // /dev/pts/N
  std::string linkPath_;      // <folder>/ttySIM<n>
  std::string error_;
};

}  // namespace lyra
