// Bytes a device server (or, for lyraphone-sim --listen, a client) could send over a telnet
// connection with com port control. Whatever comes, both ends of the state machine must:
// - give the same data, replies and state however the bytes are cut into reads;
// - answer in proportion to what they heard (two ends never talk each other into a loop);
// - hand back exactly the data that was escaped for them, once the line is set up.

#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "serial/TelnetComPort.h"

namespace {

using lyra::TelnetComPort;

struct Heard {
  std::vector<std::uint8_t> data;
  std::vector<std::uint8_t> replies;
  TelnetComPort::State state = TelnetComPort::State::Negotiating;
};

// cut: where the reads end; each byte of it is the length (1..32) of the next read.
Heard hear(TelnetComPort::Role role, std::span<const std::uint8_t> bytes,
           std::span<const std::uint8_t> cut) {
  TelnetComPort port(role);
  Heard h;
  h.replies = port.start();
  std::size_t at = 0;
  for (std::size_t k = 0; at < bytes.size(); ++k) {
    const std::size_t n = cut.empty() ? bytes.size() - at
                                      : std::min<std::size_t>(1 + cut[k % cut.size()] % 32,
                                                              bytes.size() - at);
    port.received(bytes.subspan(at, n), h.data, h.replies);
    at += n;
  }
  h.state = port.state();
  return h;
}

bool same(const Heard& a, const Heard& b) {
  return a.data == b.data && a.replies == b.replies && a.state == b.state;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const auto role = data[0] % 2 == 0 ? TelnetComPort::Role::Client : TelnetComPort::Role::Server;
  const std::size_t cutBytes = std::min<std::size_t>(data[1] % 8, size - 2);
  const std::span<const std::uint8_t> cut(data + 2, cutBytes);
  const std::span<const std::uint8_t> bytes(data + 2 + cutBytes, size - 2 - cutBytes);

  const Heard whole = hear(role, bytes, {});
  const Heard pieces = hear(role, bytes, cut);
  if (!same(whole, pieces)) std::abort();
  // A data byte comes out of at most one byte heard; each option command (3 bytes) or
  // subnegotiation earns at most one answer of a few bytes, plus what the client opens with.
  if (whole.data.size() > bytes.size()) std::abort();
  if (whole.replies.size() > 64 + 4 * bytes.size()) std::abort();

  // A server is set up from the start: data escaped for it comes back whole, in any cut.
  std::vector<std::uint8_t> escaped;
  TelnetComPort::escape(bytes, escaped);
  const Heard server = hear(TelnetComPort::Role::Server, escaped, cut);
  if (server.data.size() != bytes.size() ||
      !std::equal(server.data.begin(), server.data.end(), bytes.begin()) ||
      !server.replies.empty())
    std::abort();
  return 0;
}
