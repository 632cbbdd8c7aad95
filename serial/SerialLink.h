#pragma once
// The program's only path to the device: one open port at a time, a reader thread that only waits
// for received characters, and the window thread's reading, hex conversion and writing.
//
// Received bytes are appended to ReceiveText as two upper-case hex digits each, in arrival order,
// and the reply parser is called once per notification. At most one notification is outstanding
// (the ReadDone handshake), so the parser never runs twice at once and a burst is never split
// between two overlapping handlers.

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "serial/SerialDriver.h"
#include "timing/Scheduler.h"

namespace lyra {

// What crossed the port, for an observer (the traffic trace): the bytes as one write sent them or
// one read took them, in arrival order, with the scheduler's time and the device path of the port.
struct LinkTraffic {
  enum class Direction { Sent, Received };
  Direction direction;
  std::span<const std::uint8_t> bytes;
  std::int64_t timeUs;
  const std::string& port;
};

class SerialLink {
 public:
  // Read at most this many bytes per notification; the rest stays queued for the next one.
  static constexpr int kReceiveBufferBytes = 1025;
  // A notification waits this long after the first character so the rest of the burst arrives
  // with it (9600 baud carries about 48 bytes in 50 ms).
  static constexpr int kBurstGroupingMs = 50;

  SerialLink(SerialDriver& driver, Scheduler& scheduler);
  ~SerialLink();
  SerialLink(const SerialLink&) = delete;
  SerialLink& operator=(const SerialLink&) = delete;

  // Opens the port at devicePath with 9600 8N1. Result: PortOpen.
  bool openPort(const std::string& devicePath);
  // Starts watching for received characters, if PortOpen.
  void startReader();
  // Stops the reader, purges and closes the port. Does nothing while PortOpen is clear; never
  // blocks on a notification that is still waiting to be handled.
  void closePort();
  // Sends the whole TransmitBuffer, if PortOpen and the buffer is not empty. A failed write
  // leaves the link dead: PortOpen stays set and later writes send nothing, until the
  // connection's watchdog notices and disconnects.
  void write();

  bool PortOpen() const { return portOpen_; }
  // openPort() is under way: a network connect keeps the window's events running meanwhile, and
  // the port list must hold still under it as under an open port.
  bool opening() const { return opening_; }
  // The port is open but its last read or write failed.
  bool isDead() const { return dead_; }
  SerialError lastError() const { return lastError_; }
  std::string lastErrorText() const { return driver_.lastErrorText(); }
  // The port left while open in a way the port list cannot see: a network port's server closed
  // or reset the connection (found by a read, a write or the driver itself).
  bool connectionLost() const {
    return driver_.connectionLost() || (dead_ && lastError_ == SerialError::Vanished);
  }

  // Handler of the reader's notification, on the window thread: reads what is queued (at most
  // kReceiveBufferBytes), appends it to ReceiveText, calls the reply parser once when it read
  // anything, and releases the reader for the next notification whatever happened.
  void receiveNotification();

  int PortNumber = -1;  // the port-list number of the port to open; -1 after a disconnect
  std::string ReceiveText;
  std::vector<std::uint8_t> TransmitBuffer;
  std::function<void()> replyParser;  // called once per notification that read bytes
  // Told of every write that went out whole and every read, on the window thread, after the
  // bytes moved (so it never delays them). Empty unless a trace runs: then a link costs one test
  // per read and write. It must not set itself while it runs.
  std::function<void(const LinkTraffic&)> observer;

 private:
  void characterReceived();  // reader context: post one notification unless one is outstanding
  void handleNotification(std::uint64_t generation);
  void releaseReader(std::uint64_t generation);
  void readerLoop();
  void stopReader();
  void markDead(SerialError error);

  SerialDriver& driver_;
  Scheduler& scheduler_;
  std::string devicePath_;  // of the port opened last, for the observer
  bool portOpen_ = false;
  bool opening_ = false;
  bool dead_ = false;
  SerialError lastError_ = SerialError::None;
  std::array<std::uint8_t, kReceiveBufferBytes> receiveBuffer_{};

  // Each open port gets a new generation; a notification posted for an earlier one is stale
  // and does nothing.
  std::atomic<std::uint64_t> generation_{0};
  std::atomic<bool> readerRun_{false};  // ReaderRun
  std::thread reader_;
  bool watchedByDriver_ = false;        // the driver calls characterReceived() itself
  std::mutex readDoneMutex_;
  std::condition_variable readDoneChanged_;
  bool readDone_ = true;                // ReadDone: no notification outstanding
  bool receivedWhileBusy_ = false;      // a character came while a notification was outstanding
};

}  // namespace lyra
