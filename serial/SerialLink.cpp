#include "serial/SerialLink.h"

#include <algorithm>

namespace lyra {

namespace {
constexpr char kHexDigits[] = "0123456789ABCDEF";
}

SerialLink::SerialLink(SerialDriver& driver, Scheduler& scheduler)
    : driver_(driver), scheduler_(scheduler) {}

SerialLink::~SerialLink() {
  stopReader();
  driver_.close();
}

bool SerialLink::openPort(const std::string& devicePath) {
  if (portOpen_) closePort();
  // A copy: the caller's text may live in the port list, and a network open handles the window's
  // events while it waits.
  const std::string path = devicePath;
  devicePath_ = path;
  opening_ = true;
  lastError_ = driver_.open(path);
  opening_ = false;
  portOpen_ = lastError_ == SerialError::None;
  dead_ = false;
  if (portOpen_) {
    ++generation_;
    std::lock_guard lock(readDoneMutex_);
    readDone_ = true;
    receivedWhileBusy_ = false;
  }
  return portOpen_;
}

void SerialLink::startReader() {
  if (!portOpen_ || dead_ || readerRun_) return;
  readerRun_ = true;
  watchedByDriver_ = driver_.watchReceived([this] { characterReceived(); });
  if (!watchedByDriver_) reader_ = std::thread(&SerialLink::readerLoop, this);
}

void SerialLink::readerLoop() {
  while (readerRun_) {
    switch (driver_.waitReceived()) {
      case SerialDriver::Wait::Failed:
        // The port hung up. The window thread finds out on its next read or write, or the
        // watchdog does; the reader just ends.
        readerRun_ = false;
        return;
      case SerialDriver::Wait::Interrupted:
        continue;
      case SerialDriver::Wait::Received:
        break;
    }
    characterReceived();
    // The bytes stay queued until the window thread reads them, so wait for that before
    // looking again; a close ends this wait too.
    std::unique_lock lock(readDoneMutex_);
    readDoneChanged_.wait(lock, [this] { return readDone_ || !readerRun_; });
  }
}

void SerialLink::characterReceived() {
  {
    std::lock_guard lock(readDoneMutex_);
    if (!readDone_) {
      receivedWhileBusy_ = true;
      return;
    }
    readDone_ = false;
  }
  const std::uint64_t generation = generation_;
  scheduler_.post(std::int64_t{kBurstGroupingMs} * 1000,
                  [this, generation] { handleNotification(generation); });
}

void SerialLink::receiveNotification() { handleNotification(generation_); }

void SerialLink::handleNotification(std::uint64_t generation) {
  if (generation != generation_ || !portOpen_) return;  // the port it was for is closed
  if (dead_) return releaseReader(generation);
  int queued = driver_.queuedInputBytes();
  if (queued < 0) {
    // The port cannot say what is queued: throw the input away and let the reader go on.
    driver_.purge();
    return releaseReader(generation);
  }
  if (queued > 0) {
    const int want = std::min(queued, kReceiveBufferBytes);
    std::fill_n(receiveBuffer_.begin(), want, std::uint8_t{0});
    const int got = driver_.read(receiveBuffer_.data(), want);
    if (got < 0) {
      markDead(SerialError::Vanished);
      return;
    }
    const std::size_t at = ReceiveText.size();
    ReceiveText.resize(at + 2 * static_cast<std::size_t>(got));
    char* hex = ReceiveText.data() + at;
    for (int i = 0; i < got; ++i) {
      *hex++ = kHexDigits[receiveBuffer_[i] >> 4];
      *hex++ = kHexDigits[receiveBuffer_[i] & 0x0F];
    }
    if (got > 0 && observer) {
      observer({LinkTraffic::Direction::Received,
                std::span<const std::uint8_t>(receiveBuffer_.data(), static_cast<std::size_t>(got)),
                scheduler_.nowUs(), devicePath_});
    }
    if (got > 0 && replyParser) replyParser();
  }
  // The parser may have closed this port and opened another: release only our own reader.
  releaseReader(generation);
}

void SerialLink::releaseReader(std::uint64_t generation) {
  bool again = false;
  {
    std::lock_guard lock(readDoneMutex_);
    if (generation != generation_) return;
    readDone_ = true;
    again = receivedWhileBusy_;
    receivedWhileBusy_ = false;
  }
  readDoneChanged_.notify_all();
  // A driver that calls us per byte told us of characters while we were busy; if any are still
  // queued (more than this notification could read), they need a notification of their own.
  if (again && readerRun_ && driver_.queuedInputBytes() > 0) characterReceived();
}

void SerialLink::write() {
  if (!portOpen_ || TransmitBuffer.empty() || dead_) return;
  const std::vector<std::uint8_t> bytes = TransmitBuffer;
  const SerialError error = driver_.writeAll(bytes);
  if (error != SerialError::None) return markDead(error);
  if (observer) observer({LinkTraffic::Direction::Sent, bytes, scheduler_.nowUs(), devicePath_});
}

void SerialLink::markDead(SerialError error) {
  // The port handle is no use any more. Stop the reader and close the handle now; PortOpen
  // stays set so the connection's watchdog reports the broken link and disconnects.
  lastError_ = error;
  dead_ = true;
  stopReader();
  driver_.close();
}

void SerialLink::stopReader() {
  {
    // Under the mutex, so the reader cannot test its wait condition between the two lines.
    std::lock_guard lock(readDoneMutex_);
    readerRun_ = false;
  }
  if (watchedByDriver_) {
    driver_.watchReceived(nullptr);
    watchedByDriver_ = false;
  }
  driver_.interruptWait();
  readDoneChanged_.notify_all();
  if (reader_.joinable() && reader_.get_id() != std::this_thread::get_id()) reader_.join();
  ++generation_;  // whatever is still posted for this port is now stale
}

void SerialLink::closePort() {
  if (!portOpen_) return;
  stopReader();
  driver_.purge();
  driver_.close();
  portOpen_ = false;
  dead_ = false;
}

}  // namespace lyra
