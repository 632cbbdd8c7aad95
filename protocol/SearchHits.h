#pragma once
// What a bus search found, and the numbers and texts it shows.
//
// A search probes every BusAddress of every port with the status poll; each whole status reply
// that comes back while it runs is a hit for the port and the BusAddress the reply carries. The result list names
// every hit as port, "--Device ID" and DeviceId (BusAddress + 1), each ending in " , ".

#include <bitset>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace lyra {

// part / whole as the nearest whole number, an exact half going to the even neighbour (12.5 gives
// 12, 37.5 gives 38). whole must be positive; part is not negative.
std::int64_t roundHalfToEven(std::int64_t part, std::int64_t whole);

// The search's progress in percent after the probe of address `address` (0-based) on the k-th
// port searched (k from 1), with `addressesPerPort` probes on each of `ports` ports.
int searchProgressPercent(int k, int address, int ports, int addressesPerPort);

class SearchHits {
 public:
  static constexpr int kAddressCount = 256;  // BusAddress 0x00..0xFF; 0xFF reaches every device

  void clear() { hits_.clear(); }
  // A status reply to the probe of busAddress on port portNumber. Port numbers are whatever the
  // port list gives (a COM number, or 100000 + a position), so any non-negative number is kept; a port
  // number below 0 (no port) or an address outside 0..255 records nothing.
  void record(int portNumber, int busAddress);
  bool hit(int portNumber, int busAddress) const;
  int count() const;

  // The result list: hits by port number, then by BusAddress. The n-th hit (n from 1) goes on
  // line n div 5, so the first line holds hits 1 to 4 and every later line five. Empty when
  // there is no hit.
  std::vector<std::string> resultLines(const std::function<std::string(int)>& portName) const;

 private:
  std::map<int, std::bitset<kAddressCount>> hits_;  // by port number, in ascending order
};

// One hit as the list shows it: "COM3--Device ID5 , " for BusAddress 4 on COM3. The probe of
// 0xFF is listed as Device ID256.
std::string hitText(const std::string& portName, int busAddress);

}  // namespace lyra
