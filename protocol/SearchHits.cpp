#include "protocol/SearchHits.h"

namespace lyra {

std::int64_t roundHalfToEven(std::int64_t part, std::int64_t whole) {
  const std::int64_t q = part / whole;
  const std::int64_t twiceRest = 2 * (part % whole);
  if (twiceRest > whole) return q + 1;
  if (twiceRest == whole) return q + (q % 2);
  return q;
}

int searchProgressPercent(int k, int address, int ports, int addressesPerPort) {
  if (ports <= 0 || addressesPerPort <= 0) return 0;
  const std::int64_t done = (std::int64_t{k - 1} * addressesPerPort + address + 1) * 100;
  return static_cast<int>(roundHalfToEven(done, std::int64_t{ports} * addressesPerPort));
}

void SearchHits::record(int portNumber, int busAddress) {
  if (portNumber < 0 || busAddress < 0 || busAddress >= kAddressCount) return;
  hits_[portNumber].set(static_cast<std::size_t>(busAddress));
}

bool SearchHits::hit(int portNumber, int busAddress) const {
  if (busAddress < 0 || busAddress >= kAddressCount) return false;
  auto it = hits_.find(portNumber);
  return it != hits_.end() && it->second.test(static_cast<std::size_t>(busAddress));
}

int SearchHits::count() const {
  int n = 0;
  for (const auto& [port, row] : hits_) n += static_cast<int>(row.count());
  return n;
}

std::vector<std::string> SearchHits::resultLines(
    const std::function<std::string(int)>& portName) const {
  std::vector<std::string> lines;
  int n = 0;
  for (const auto& [port, row] : hits_) {
    for (int a = 0; a < kAddressCount; ++a) {
      if (!row.test(static_cast<std::size_t>(a))) continue;
      ++n;
      // The line for hit n is added just before it is written: hit 5 opens the second line.
      const std::size_t line = static_cast<std::size_t>(n / 5);
      if (lines.size() <= line) lines.resize(line + 1);
      lines[line] += hitText(portName(port), a);
    }
  }
  return lines;
}

std::string hitText(const std::string& portName, int busAddress) {
  return portName + "--Device ID" + std::to_string(busAddress + 1) + " , ";
}

}  // namespace lyra
