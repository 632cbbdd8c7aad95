#include "simserver/SimServer.h"

#include <unistd.h>

#include <filesystem>

namespace lyra {

namespace {
constexpr int kReadChunkBytes = 512;
constexpr std::int64_t kSecondUs = 1'000'000;
}  // namespace

SimServer::SimServer(PollLoop& loop, const SimOptions& options, TrafficLog& log)
    : loop_(loop), options_(options), log_(log), bus_(loop) {
  bus_.addPort(kLine);
  for (int id : options_.deviceIds) {
    // Each device its own seed, so two devices do not drift or jitter in step.
    auto device = std::make_unique<DeviceModel>(
        bus_, kLine, id, options_.seed * 257u + static_cast<std::uint32_t>(id));
    if (auto it = options_.faults.find(id); it != options_.faults.end())
      device->faults() = it->second;
    device->setFrameGapUs(std::int64_t{options_.frameGapMs} * 1000);
    DeviceModel* d = device.get();
    d->onTraffic = [this, d](bool sent, const std::vector<std::uint8_t>& bytes) {
      if (sent) log_.deviceReply(loop_.nowUs(), d->deviceId(), bytes);
    };
    devices_.push_back(std::move(device));
  }
  program_ = bus_.makeDriver();
  program_->open(kLine);
  program_->watchReceived([this] {
    std::uint8_t buffer[kReadChunkBytes];
    int n = 0;
    const int to = talkerFd_ >= 0 ? talkerFd_ : pty_.masterFd();
    while ((n = program_->read(buffer, kReadChunkBytes)) > 0) {
      const std::span<const std::uint8_t> bytes(buffer, static_cast<std::size_t>(n));
      if (talkerNet_)
        talkerNet_->send(bytes);
      else
        PtyPort::write(to, bytes);
    }
  });
  for (const NetworkAddress& address : options_.listen) {
    auto listener = std::make_unique<NetListener>(loop_, address);
    NetListener* l = listener.get();
    l->onData = [this, l](std::span<const std::uint8_t> bytes) {
      talkerNet_ = l;
      fromProgram(bytes);
    };
    l->onNote = [this](const std::string& note) { log_.note(loop_.nowUs(), note); };
    listeners_.push_back(std::move(listener));
  }
  programFrames_.frameGapUs = std::int64_t{options_.frameGapMs} * 1000;
  programFrames_.onFrame = [this](const ReceivedFrame& f) {
    log_.programFrame(loop_.nowUs(), f.bytes);
  };
  programFrames_.onDiscarded = [this](const std::vector<std::uint8_t>& bytes) {
    log_.noise(loop_.nowUs(), bytes);
  };
}

SimServer::~SimServer() {
  stop();
}

bool SimServer::start(const std::string& folder) {
  folder_ = folder;
  if (!pty_.open(folder, options_.portNumber)) return false;
  const std::string name = std::filesystem::path(pty_.linkPath()).filename().string();
  publishedNumber_ = std::stoi(name.substr(6));  // after "ttySIM"
  serve(pty_.masterFd());
  log_.note(loop_.nowUs(), "serving " + pty_.linkPath() + " -> " + pty_.terminalPath());
  if (!startListening()) return false;
  if (options_.vanishAfterS >= 0)
    loop_.post(static_cast<std::int64_t>(options_.vanishAfterS * kSecondUs), [this] { vanish(); });
  return true;
}

void SimServer::stop() {
  if (pty_.isOpen()) loop_.unwatch(pty_.masterFd());
  pty_.close();
  for (int fd : std::vector<int>(retired_)) retire(fd);
  talkerFd_ = -1;
  for (auto& l : listeners_) l->stop();
  talkerNet_ = nullptr;
}

bool SimServer::startListening() {
  for (auto& l : listeners_) {
    if (!l->start()) {
      error_ = l->error();
      return false;
    }
    log_.note(loop_.nowUs(), "listening on " + l->address());
  }
  return true;
}

void SimServer::fromProgram(std::span<const std::uint8_t> bytes) {
  const std::int64_t nowUs = loop_.nowUs();
  for (std::uint8_t b : bytes) programFrames_.byteReceived(b, nowUs);
  // Onto the simulated line, as the program's UART would send them.
  program_->writeAll(bytes);
}

void SimServer::serve(int masterFd) {
  loop_.watch(masterFd, [this, masterFd](bool readable, bool hungUp) {
    ptyEvent(masterFd, readable, hungUp);
  });
}

void SimServer::retire(int masterFd) {
  loop_.unwatch(masterFd);
  std::erase(retired_, masterFd);
  if (talkerFd_ == masterFd) talkerFd_ = -1;
  ::close(masterFd);
}

void SimServer::ptyEvent(int masterFd, bool readable, bool hungUp) {
  bool programGone = hungUp && !readable;
  if (readable) {
    std::uint8_t buffer[kReadChunkBytes];
    for (;;) {
      const int n = PtyPort::read(masterFd, buffer, kReadChunkBytes);
      if (n < 0) programGone = true;  // EIO: the program closed its end
      if (n <= 0) break;
      talkerFd_ = masterFd;
      talkerNet_ = nullptr;
      fromProgram(std::span<const std::uint8_t>(buffer, static_cast<std::size_t>(n)));
    }
  }
  if (!programGone) return;
  if (masterFd != pty_.masterFd()) {
    retire(masterFd);  // an earlier terminal, now let go of as well
    return;
  }
  // The program let go of the port. It took it exclusively, and on a pseudo-terminal that lasts
  // while we hold the other end, so offer a fresh one under the same name for its next connect.
  loop_.unwatch(masterFd);
  const int old = pty_.renew();
  if (old < 0) {
    log_.note(loop_.nowUs(), "cannot renew the port: " + pty_.error());
    loop_.stop();
    return;
  }
  log_.note(loop_.nowUs(), "the program closed the port; now " + pty_.terminalPath());
  serve(pty_.masterFd());
  // A program that reconnected in the moment before the link moved holds the old terminal:
  // keep serving it until it lets go.
  if (PtyPort::isHungUp(old)) {
    if (talkerFd_ == old) talkerFd_ = -1;
    ::close(old);
  } else {
    retired_.push_back(old);
    serve(old);
  }
}

void SimServer::vanish() {
  log_.note(loop_.nowUs(), "port vanished");
  stop();
  if (options_.returnAfterS < 0) {
    loop_.stop();
    return;
  }
  loop_.post(static_cast<std::int64_t>(options_.returnAfterS * kSecondUs), [this] { comeBack(); });
}

void SimServer::comeBack() {
  if (!pty_.open(folder_, publishedNumber_)) {
    log_.note(loop_.nowUs(), "the port cannot come back: " + pty_.error());
    loop_.stop();
    return;
  }
  log_.note(loop_.nowUs(), "port back as " + pty_.linkPath() + " -> " + pty_.terminalPath());
  serve(pty_.masterFd());
  if (!startListening()) {
    log_.note(loop_.nowUs(), "cannot listen again: " + error_);
    loop_.stop();
  }
}

}  // namespace lyra
