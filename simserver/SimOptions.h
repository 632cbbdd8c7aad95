#pragma once
// lyraphone-sim's command line: which devices are on the bus, what goes wrong with them, where
// the traffic log goes.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "serial/NetworkAddress.h"
#include "sim/DeviceFaults.h"

namespace lyra {

struct SimOptions {
  std::vector<int> deviceIds = {1, 5};
  std::map<int, DeviceFaults> faults;  // by DeviceId
  std::string logPath;                 // empty: no log; "-": standard error
  int portNumber = -1;                 // ttySIM<n>; -1: the first free number
  double vanishAfterS = -1;            // the port goes away after this long; -1: never
  double returnAfterS = -1;            // ... and comes back this long after vanishing
  int frameGapMs = 500;                // a request whose next byte is later than this is dropped
  std::uint32_t seed = 1;
  std::vector<NetworkAddress> listen;  // also served over TCP there (port 0: a free one)
  bool help = false;
};

// The options from argv (without the program name). On a mistake: nothing, and error says what.
std::optional<SimOptions> parseSimOptions(const std::vector<std::string>& args, std::string& error);

// The text --help prints.
std::string simUsage();

}  // namespace lyra
