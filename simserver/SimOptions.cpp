#include "simserver/SimOptions.h"

#include <algorithm>
#include <charconv>
#include <functional>
#include <set>
#include <variant>

namespace lyra {

namespace {

bool parseInt(const std::string& text, long long lo, long long hi, long long& out) {
  const char* end = text.data() + text.size();
  auto [p, ec] = std::from_chars(text.data(), end, out);
  return ec == std::errc() && p == end && out >= lo && out <= hi;
}

bool parseNumber(const std::string& text, double lo, double hi, double& out) {
  // from_chars for double is locale-free, as the command line must be.
  const char* end = text.data() + text.size();
  auto [p, ec] = std::from_chars(text.data(), end, out);
  return ec == std::errc() && p == end && out >= lo && out <= hi;
}

std::vector<std::string> split(const std::string& text, char sep) {
  std::vector<std::string> parts;
  std::size_t from = 0;
  for (;;) {
    const std::size_t at = text.find(sep, from);
    parts.push_back(text.substr(from, at - from));
    if (at == std::string::npos) return parts;
    from = at + 1;
  }
}

}  // namespace

std::string simUsage() {
  return R"(Usage: lyraphone-sim [options]

Serves a bus of simulated loudspeaker processors on a pseudo-terminal and publishes it as a serial
port that LYRAPHONE lists (a link named ttySIM<n> in $XDG_RUNTIME_DIR/lyraphone/ports, or in
/tmp/lyraphone-<uid>/ports). The first line printed is the port's path; it can also be opened by
that path with any serial program at 9600 8N1. Runs until Ctrl-C (SIGINT) or SIGTERM, then removes
its link.

Bus:
  --devices ID[,ID...]   DeviceIds of the devices on the bus, 1..255 (default: 1,5)
  --port N               publish as ttySIM<N> (default: the first free number)
  --frame-gap-ms MS      a request whose next byte comes more than MS milliseconds after the
                         one before is dropped, as the device drops a cut frame (default 500;
                         tests on a busy machine give more, as their program's pauses may
                         stretch)
  --seed N               seed of the devices' turnaround jitter, temperature drift and line
                         faults; the same seed repeats a run (default: 1)

Faults (ID is a DeviceId on the bus, or "all"; each option may be given several times):
  --silent ID            the device takes what it hears but answers nothing
  --late ID:MS           the device's replies leave MS milliseconds late
  --drop ID:RATE         each byte of the device's replies is lost with probability RATE (0..1)
  --corrupt ID:RATE      each byte of the device's replies gets one bit flipped with
                         probability RATE (0..1)
  --no-names ID          the device never answers the preset-name (NameTable) read
  --vanish-after S       the port vanishes after S seconds, as an unplugged USB adapter: its
                         link is removed and the pseudo-terminal closed
  --return-after S       with --vanish-after: the port comes back S seconds after vanishing,
                         under the same name (without it the simulator ends when the port
                         vanishes)

Network (beside the pseudo-terminal):
  --listen ADDRESS       also serve the bus over TCP, as a serial device server does:
                         rfc2217://HOST:PORT speaks telnet with com port control (RFC 2217; the
                         line is 9600 8N1 and stays so), tcp://HOST:PORT passes raw bytes. PORT 0
                         takes a free port. One client at a time; may be given several times.
                         Each address is printed as "listening: ADDRESS".

Support:
  --log FILE             traffic log: every frame received and sent, time-stamped, in hex
                         ("-" for standard error)
  --help                 this text
)";
}

std::optional<SimOptions> parseSimOptions(const std::vector<std::string>& args,
                                          std::string& error) {
  SimOptions o;
  std::vector<std::pair<std::string, std::function<bool(DeviceFaults&)>>> faultSettings;
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string name = args[i];
    std::string value;
    bool hasValue = false;
    if (const auto eq = name.find('='); name.rfind("--", 0) == 0 && eq != std::string::npos) {
      value = name.substr(eq + 1);
      name = name.substr(0, eq);
      hasValue = true;
    }
    auto needValue = [&]() -> bool {
      if (hasValue) return true;
      if (i + 1 >= args.size()) {
        error = name + " needs a value";
        return false;
      }
      value = args[++i];
      return true;
    };
    auto bad = [&](const std::string& what) {
      error = "bad value for " + name + ": '" + value + "' (" + what + ")";
      return std::nullopt;
    };
    // A fault: "ID" or "ID:VALUE"; the setter checks the value.
    auto fault = [&](bool withValue,
                     std::function<bool(DeviceFaults&, const std::string&)> set) -> bool {
      const auto parts = split(value, ':');
      if (parts.size() != (withValue ? 2u : 1u)) return false;
      DeviceFaults probe;
      if (withValue && !set(probe, parts[1])) return false;
      const std::string arg = withValue ? parts[1] : "";
      faultSettings.emplace_back(parts[0], [set, arg](DeviceFaults& f) { return set(f, arg); });
      return true;
    };

    long long n = 0;
    if (name == "--help" || name == "-h") {
      o.help = true;
    } else if (name == "--devices") {
      if (!needValue()) return std::nullopt;
      o.deviceIds.clear();
      std::set<int> seen;
      for (const std::string& part : split(value, ',')) {
        if (!parseInt(part, 1, 255, n)) return bad("DeviceIds are 1..255");
        if (!seen.insert(static_cast<int>(n)).second) return bad("each DeviceId once");
        o.deviceIds.push_back(static_cast<int>(n));
      }
    } else if (name == "--port") {
      if (!needValue()) return std::nullopt;
      if (!parseInt(value, 0, 99, n)) return bad("0..99");
      o.portNumber = static_cast<int>(n);
    } else if (name == "--listen") {
      if (!needValue()) return std::nullopt;
      const auto address = parseNetworkAddress(value, true);
      if (const auto* why = std::get_if<std::string>(&address)) {
        error = "bad value for --listen: " + *why;
        return std::nullopt;
      }
      o.listen.push_back(std::get<NetworkAddress>(address));
    } else if (name == "--seed") {
      if (!needValue()) return std::nullopt;
      if (!parseInt(value, 0, UINT32_MAX, n)) return bad("0..4294967295");
      o.seed = static_cast<std::uint32_t>(n);
    } else if (name == "--frame-gap-ms") {
      if (!needValue()) return std::nullopt;
      if (!parseInt(value, 1, 600'000, n)) return bad("1..600000 milliseconds");
      o.frameGapMs = static_cast<int>(n);
    } else if (name == "--log") {
      if (!needValue()) return std::nullopt;
      if (value.empty()) return bad("a file name, or - for standard error");
      o.logPath = value;
    } else if (name == "--vanish-after" || name == "--return-after") {
      if (!needValue()) return std::nullopt;
      double s = 0;
      if (!parseNumber(value, 0, 1e6, s)) return bad("seconds");
      (name == "--vanish-after" ? o.vanishAfterS : o.returnAfterS) = s;
    } else if (name == "--silent" || name == "--no-names") {
      if (!needValue()) return std::nullopt;
      const bool silent = name == "--silent";
      if (!fault(false, [silent](DeviceFaults& f, const std::string&) {
            (silent ? f.silent : f.ignoreNameTableRead) = true;
            return true;
          }))
        return bad("a DeviceId or all");
    } else if (name == "--late") {
      if (!needValue()) return std::nullopt;
      if (!fault(true, [](DeviceFaults& f, const std::string& v) {
            double ms = 0;
            if (!parseNumber(v, 0, 600'000, ms)) return false;
            f.lateByUs = static_cast<std::int64_t>(ms * 1000);
            return true;
          }))
        return bad("ID:MS, MS up to 600000");
    } else if (name == "--drop" || name == "--corrupt") {
      if (!needValue()) return std::nullopt;
      const bool drop = name == "--drop";
      if (!fault(true, [drop](DeviceFaults& f, const std::string& v) {
            double rate = 0;
            if (!parseNumber(v, 0, 1, rate)) return false;
            (drop ? f.dropRate : f.corruptRate) = rate;
            return true;
          }))
        return bad("ID:RATE, RATE from 0 to 1");
    } else {
      error = "unknown option " + name;
      return std::nullopt;
    }
  }
  if (o.returnAfterS >= 0 && o.vanishAfterS < 0) {
    error = "--return-after needs --vanish-after";
    return std::nullopt;
  }
  // Faults name devices; they are applied once the bus is known.
  for (auto& [who, apply] : faultSettings) {
    if (who == "all") {
      for (int id : o.deviceIds) apply(o.faults[id]);
      continue;
    }
    long long id = 0;
    if (!parseInt(who, 1, 255, id) ||
        std::find(o.deviceIds.begin(), o.deviceIds.end(), id) == o.deviceIds.end()) {
      error = "no device with DeviceId " + who + " on the bus";
      return std::nullopt;
    }
    apply(o.faults[static_cast<int>(id)]);
  }
  return o;
}

}  // namespace lyra
