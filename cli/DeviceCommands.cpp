#include "cli/DeviceCommands.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <set>
#include <sstream>

#include "cli/CliEvents.h"
#include "cli/Commands.h"
#include "cli/ExitCodes.h"
#include "cli/Json.h"
#include "cli/Progress.h"
#include "cli/SetParameters.h"
#include "cli/StatusLines.h"
#include "cli/TraceFile.h"
#include "serial/NetworkAddress.h"
#include "sessions/DeviceSessions.h"

namespace lyra::cli {

namespace fs = std::filesystem;

namespace {

// A handshake's own time-outs end it within 2.5 s of the block; this only guards against a
// session that never reports either way.
constexpr int kConnectLimitMs = 10000;
// The status poll runs every 500 ms once the link is up.
constexpr int kStatusLimitMs = 3000;
// While watching, each device has until the window's next poll would be due to answer its own.
constexpr int kWatchPollWaitMs = 500;
// Save all waits for its collection's own time-out; load all sends twenty blocks, then reads
// the names; a slot load waits up to 12 s; a name save up to 1.5 s.
constexpr int kSaveAllLimitMs = 40000;
constexpr int kLoadAllLimitMs = 60000;
constexpr int kSaveActiveLimitMs = 8000;
constexpr int kNamesLimitMs = 2500;
constexpr int kSlotLoadLimitMs = 15000;
constexpr int kNameSaveLimitMs = 4000;
constexpr int kIdChangeLimitMs = 3000;
// The pump takes a slot about every 510 ms and writes it 200 ms later.
constexpr int kPerSlotWriteMs = 600;
constexpr int kAfterLastWriteMs = 400;
// A reply's bytes follow each other within a few ms at 9600 baud; this much silence ends it.
constexpr std::int64_t kQuietUs = 150'000;
constexpr int kQuietLimitMs = 2000;

// The chosen port alone, while it is there: what the port check of the connection and the search
// of one port see. A path the system's list does not hold (a pseudo-terminal) is there while it
// exists, and a network port is there while its connection is.
class ChosenPortSource final : public PortSource {
 public:
  ChosenPortSource(PortSource& system, PortEntry chosen) : system_(system), chosen_(std::move(chosen)) {
    network_ = isNetworkAddress(chosen_.devicePath);
    if (network_) return;
    const auto ports = system_.readSystemPorts();
    listed_ = ports && std::find(ports->begin(), ports->end(), chosen_) != ports->end();
  }
  std::optional<std::vector<PortEntry>> readSystemPorts() override {
    std::vector<PortEntry> found;
    // The port check asks the connection of a network port instead (LinkSupervisor).
    if (network_) return std::vector<PortEntry>{chosen_};
    if (listed_) {
      const auto ports = system_.readSystemPorts();
      if (!ports) return std::nullopt;
      for (const PortEntry& p : *ports) {
        if (p.name == chosen_.name) found.push_back(p);
      }
      return found;
    }
    std::error_code ec;
    if (fs::exists(chosen_.devicePath, ec)) found.push_back(chosen_);
    return found;
  }

 private:
  PortSource& system_;
  PortEntry chosen_;
  bool listed_ = false;
  bool network_ = false;
};

// The device sessions on one port, and how a command waits for them.
class Bench {
 public:
  Bench(DeviceIo& io, PortSource& ports, std::ostream& err, bool terminal, TrafficTrace* trace)
      : io_(io), progress(err, terminal), events([this](const std::string& t) { progress.line(t); }),
        s(io.scheduler, io.driver, ports, events), trace_(trace) {
    if (trace_) trace_->attach(s.link);
    // As the window does: disconnect first, then the outcome is reported.
    s.connectSession.onFailed = [this] {
      failed_ = true;
      s.connectSession.end();
    };
    events.onEnded = [this](const Outcome& o) {
      if (o.kind == OutcomeKind::PortLost) portLost = true;
    };
    s.connectSession.onLinkUp = [this] { linkUp_ = true; };
    s.parser.hooks.status = [this](const StatusRecord& st) {
      status = st;
      ++statusCount;
    };
    events.onProgress = [this](int percent) {
      if (!label.empty()) progress.update(label, percent, 100);
    };
    s.parser.hooks.namesArrived = [this] { ++namesCount; };
    s.parser.route(Reply::AnyBytes, Owner::Connection, [this](ReceivedReply&) {
      lastByteUs_ = io_.scheduler.nowUs();
      return false;
    });
    // The port check runs from the start, as in the window.
    s.supervisor.releasePortCheck();
  }
  ~Bench() {
    if (trace_) trace_->detach();
    progress.finish();
  }

  bool interrupted() const { return io_.interrupted(); }

  // Runs until pred() holds, the link fails or Ctrl-C; true when pred() holds.
  bool waitFor(const std::function<bool()>& pred, std::int64_t limitMs) {
    io_.runUntil([&] { return pred() || failed_ || interrupted(); }, limitMs);
    return pred() && !failed_;
  }

  enum class Connected { Up, Failed, NoPort };
  Connected connect(const PortEntry& port, int id) {
    events.reset();
    events.context = "device " + std::to_string(id);
    failed_ = false;
    linkUp_ = false;
    s.address.BroadcastMode = false;
    s.address.DeviceId = id;
    s.address.BusAddress = BusAddressing::busAddressOf(id);
    const auto& entries = s.portList.entries();
    const auto at = std::find(entries.begin(), entries.end(), port);
    if (at == entries.end()) {
      events.fail("No port.", "The port has left the system.");
      portLost = true;
      return Connected::NoPort;
    }
    s.portList.select(static_cast<int>(at - entries.begin()));
    const auto started = s.connectSession.start(s.portList.selectedEntry(), s.portList.selectedPortNumber());
    if (started == ConnectSession::Started::NoPort) return Connected::NoPort;
    if (!waitFor([this] { return linkUp_; }, kConnectLimitMs)) {
      if (!failed_ && !interrupted()) events.fail("UNABLE TO CONNECT TO DEVICE!");
      return Connected::Failed;
    }
    return Connected::Up;
  }

  void disconnect() {
    // Whatever the command left running (a transfer cut short by Ctrl-C, say) ends with it: the
    // frame in flight was written whole, since calls run one at a time.
    s.timers.stopAll();
    s.flags = WaitingFlags{};
    // The device may still be answering the last poll or request. The next device's handshake
    // waits until the line is quiet, or the two replies would meet on the bus.
    if (s.link.PortOpen()) {
      io_.runUntil([this] { return io_.scheduler.nowUs() - lastByteUs_ >= kQuietUs; },
                   kQuietLimitMs);
    }
    if (s.connectSession.linked() || s.link.PortOpen()) s.connectSession.end();
    label.clear();
    s.supervisor.releasePortCheck();
  }

  bool failedNow() const { return failed_ || events.failure().has_value(); }
  // Runs until operation has reported how it ended (or the link failed, or Ctrl-C); true when it
  // ended as wanted.
  bool waitForOutcome(Operation operation, OutcomeKind wanted, std::int64_t limitMs) {
    waitFor([&] { return events.ended(operation); }, limitMs);
    const auto o = events.outcomeOf(operation);
    return o && o->kind == wanted && !failedNow();
  }

  DeviceIo& io_;
  Progress progress;
  CliEvents events;
  DeviceSessions s;
  TrafficTrace* trace_;  // --trace, or nullptr
  std::string label;  // what the progress bar shows now
  bool portLost = false;
  StatusRecord status{-1, 0, 0};  // the last status reply, from the device at its BusAddress
  int statusCount = 0;
  int namesCount = 0;  // NameTable replies

 private:
  bool failed_ = false;
  bool linkUp_ = false;
  std::int64_t lastByteUs_ = 0;  // when the last byte came in
};

struct Tally {
  std::vector<int> failed;
  bool noPort = false;
};

int Summary(const Invocation& inv, const Tally& tally, Bench& bench, std::ostream& err) {
  bench.progress.finish();
  const std::string name(CommandName(*inv.command));
  if (bench.interrupted()) {
    err << "lyraphone-cli: " << name << ": interrupted\n";
    return kExitInterrupted;
  }
  if (tally.noPort && tally.failed.size() == inv.ids.size() && !bench.portLost)
    return kExitPortUnavailable;
  if (tally.failed.empty()) return kExitDone;
  err << "lyraphone-cli: " << name << ": failed for DeviceId";
  for (std::size_t i = 0; i < tally.failed.size(); ++i)
    err << (i ? ", " : " ") << tally.failed[i];
  err << " (" << tally.failed.size() << " of " << inv.ids.size() << ")\n";
  return kExitDeviceFailed;
}

// Connects to each id in turn, runs serve(id) on the link and disconnects. A port that left the
// system fails every id after it.
Tally ForEachDevice(Bench& bench, const PortEntry& port, const std::vector<int>& ids,
                    const std::function<bool(std::size_t index, int id)>& serve) {
  Tally tally;
  for (std::size_t i = 0; i < ids.size(); ++i) {
    const int id = ids[i];
    if (bench.interrupted()) break;
    if (bench.portLost) {
      tally.failed.push_back(id);
      continue;
    }
    switch (bench.connect(port, id)) {
      case Bench::Connected::NoPort:
        tally.noPort = true;
        // A port that did not open now will not for the next id either.
        for (std::size_t j = i; j < ids.size(); ++j) tally.failed.push_back(ids[j]);
        bench.disconnect();
        return tally;
      case Bench::Connected::Failed:
        if (!bench.interrupted()) tally.failed.push_back(id);
        bench.disconnect();
        continue;
      case Bench::Connected::Up:
        break;
    }
    const bool ok = serve(i, id) && !bench.failedNow();
    bench.disconnect();
    if (!ok && !bench.interrupted()) tally.failed.push_back(id);
  }
  return tally;
}

// The temperature in whole degrees: ">=70", "36", "<=10" (the ends stand for themselves or beyond).
std::string TemperatureText(const StatusRecord& status) {
  const std::string degrees = std::to_string(status.degreesCelsius());
  switch (status.bound()) {
    case StatusRecord::Bound::AtLeast:
      return ">=" + degrees;
    case StatusRecord::Bound::AtMost:
      return "<=" + degrees;
    case StatusRecord::Bound::Exact:
      break;
  }
  return degrees;
}

int Status(const Invocation& inv, const PortEntry& port, Bench& bench, std::ostream& out,
           std::ostream& err) {
  struct Reading {
    int id;
    StatusRecord status;
  };
  std::vector<Reading> readings;
  const Tally tally = ForEachDevice(bench, port, inv.ids, [&](std::size_t, int id) {
    const int before = bench.statusCount;
    if (!bench.waitFor([&] { return bench.statusCount > before; }, kStatusLimitMs)) {
      if (!bench.interrupted() && !bench.failedNow()) bench.events.fail(kOvertimeLine);
      return false;
    }
    readings.push_back({id, bench.status});
    return true;
  });
  bench.progress.finish();
  if (inv.json) {
    JsonWriter j;
    j.beginArray();
    for (const Reading& r : readings) {
      j.beginObject();
      j.key("port");
      j.string(port.name);
      j.key("id");
      j.integer(r.id);
      j.key("temperature");
      j.integer(r.status.degreesCelsius());
      j.key("temperatureText");
      j.string(TemperatureText(r.status) + " C");
      j.key("attenuation");
      j.integer(r.status.attenuationDb);
      j.endObject();
    }
    j.endArray();
    out << j.text();
  } else {
    for (const Reading& r : readings)
      out << r.id << "  " << TemperatureText(r.status) << " C  " << r.status.attenuationDb
          << " dB\n";
  }
  out.flush();
  return Summary(inv, tally, bench, err);
}

// status --watch: one connection to the port, kept open for the whole watch, with the status
// poll alone. The first device of the list that answers the handshake opens it; after that each
// round polls every device in turn at its own address and takes only the reply that address
// sends (a late reply of the device before it is not this one's). Every device has a line in
// every round, with its readings or what went wrong.
int Watch(const Invocation& inv, const PortEntry& port, Bench& bench, std::ostream& out,
          std::ostream& err) {
  Scheduler& clock = bench.io_.scheduler;
  // Time stamps follow the scheduler's clock from the wall clock's time at the start.
  const auto startWall = std::chrono::system_clock::now();
  const std::int64_t startUs = clock.nowUs();
  const auto now = [&] {
    return startWall + std::chrono::microseconds(clock.nowUs() - startUs);
  };
  Tally all;
  std::set<int> failedOnce;
  bool connected = false;
  for (;;) {
    const std::int64_t roundUs = clock.nowUs();
    const auto roundTime = now();
    for (int id : inv.ids) {
      if (bench.interrupted()) break;
      StatusLine line{roundTime, port.name, id, 0, {}, 0, {}};
      const auto failure = [&](const std::string& fallback) {
        return bench.events.failure().value_or(fallback);
      };
      if (bench.portLost) {
        line.error = "No port.";
      } else if (!connected) {
        switch (bench.connect(port, id)) {
          case Bench::Connected::NoPort:
            all.noPort = true;
            line.error = failure("No port.");
            bench.disconnect();
            break;
          case Bench::Connected::Failed:
            line.error = failure("UNABLE TO CONNECT TO DEVICE!");
            bench.disconnect();
            break;
          case Bench::Connected::Up:
            connected = true;
            // The poll of the watch is ours: one to each device in turn.
            bench.s.supervisor.pause();
            break;
        }
      }
      if (connected && !line.error) {
        bench.events.reset();
        bench.events.context = "device " + std::to_string(id);
        const std::uint8_t address = BusAddressing::busAddressOf(id);
        bench.s.address.DeviceId = id;
        bench.s.address.BusAddress = address;
        const int before = bench.statusCount;
        bench.s.link.TransmitBuffer.clear();
        bench.s.pump.sendNow(statusPoll(address), SendPump::ReceiveText::Clear);
        const bool answered = bench.waitFor(
            [&] { return bench.statusCount > before && bench.status.busAddress == address; },
            kWatchPollWaitMs);
        if (bench.interrupted()) break;
        if (answered) {
          line.temperature = bench.status.degreesCelsius();
          line.temperatureText = TemperatureText(bench.status) + " C";
          line.attenuation = bench.status.attenuationDb;
        } else {
          line.error = bench.portLost ? "No port." : failure("no answer to the status poll");
        }
      }
      if (bench.interrupted()) break;
      if (line.error && failedOnce.insert(id).second) all.failed.push_back(id);
      bench.progress.finish();
      out << (inv.json ? StatusJsonLine(line) : StatusText(line));
      out.flush();
    }
    if (bench.interrupted() || bench.portLost || (all.noPort && !connected)) break;
    const auto nextUs = roundUs + static_cast<std::int64_t>(inv.watchSeconds * 1'000'000);
    bench.io_.runUntil([&] { return bench.interrupted(); },
                       std::max<std::int64_t>(0, (nextUs - clock.nowUs()) / 1000));
    if (bench.interrupted()) break;
  }
  if (connected) bench.disconnect();
  return Summary(inv, all, bench, err);
}

int Read(const Invocation& inv, const PortEntry& port, Bench& bench, std::ostream& out,
         std::ostream& err) {
  const Tally tally = ForEachDevice(bench, port, inv.ids, [&](std::size_t, int id) {
    bench.events.path = *inv.output;
    bench.s.presetFiles.saveActive();
    if (!bench.waitForOutcome(Operation::SavePreset, OutcomeKind::Saved, kSaveActiveLimitMs))
      return false;
    out << "device " << id << ": active preset saved to " << *inv.output << "\n";
    return true;
  });
  return Summary(inv, tally, bench, err);
}

int Write(const Invocation& inv, const PortEntry& port, Bench& bench, std::ostream& out,
          std::ostream& err) {
  const Tally tally = ForEachDevice(bench, port, inv.ids, [&](std::size_t, int id) {
    bench.events.path = inv.files[0];
    bench.label = "write " + std::to_string(id);
    bench.s.presetFiles.loadActive();  // returns once the device has had time to apply it
    const auto loaded = bench.events.outcomeOf(Operation::LoadPreset);
    if (!loaded || loaded->kind != OutcomeKind::Loaded || bench.failedNow()) return false;
    bench.progress.finish();
    out << "device " << id << ": " << inv.files[0] << " loaded into the active preset\n";
    return true;
  });
  return Summary(inv, tally, bench, err);
}

int Backup(const Invocation& inv, const PortEntry& port, Bench& bench, std::ostream& out,
           std::ostream& err) {
  // The folder was made and the files checked before the bus was touched.
  const auto files = std::get<std::vector<fs::path>>(BackupFiles(*inv.output, inv.ids));
  const Tally tally = ForEachDevice(bench, port, inv.ids, [&](std::size_t i, int id) {
    bench.events.path = files[i].string();
    bench.label = "backup " + std::to_string(id);
    bench.s.presetFiles.saveAll(inv.fast ? PresetFileSession::SavePacing::LineSpeed
                                   : PresetFileSession::SavePacing::Window);
    if (!bench.waitForOutcome(Operation::SaveAllPresets, OutcomeKind::Saved, kSaveAllLimitMs))
      return false;
    bench.progress.finish();
    out << "device " << id << ": all presets saved to " << files[i].string() << "\n";
    return true;
  });
  return Summary(inv, tally, bench, err);
}

int Restore(const Invocation& inv, const PortEntry& port, Bench& bench, std::ostream& out,
            std::ostream& err) {
  const Tally tally = ForEachDevice(bench, port, inv.ids, [&](std::size_t, int id) {
    bench.events.path = inv.files[0];
    bench.label = "restore " + std::to_string(id);
    bench.s.presetFiles.loadAll();
    if (!bench.waitForOutcome(Operation::LoadAllPresets, OutcomeKind::Loaded, kLoadAllLimitMs))
      return false;
    // The load ends by reading the names again; the next device is not asked until they are in,
    // or their reply would meet that device's handshake on the line.
    const int names = bench.namesCount;
    bench.waitFor([&] { return bench.namesCount > names; }, kNamesLimitMs);
    bench.progress.finish();
    out << "device " << id << ": all presets loaded from " << inv.files[0] << "\n";
    return true;
  });
  return Summary(inv, tally, bench, err);
}

int LoadSlot(const Invocation& inv, const PortEntry& port, Bench& bench, std::ostream& out,
             std::ostream& err) {
  const Tally tally = ForEachDevice(bench, port, inv.ids, [&](std::size_t, int id) {
    bench.label = "load-slot " + std::to_string(id);
    bench.s.presetSlots.load(inv.slot);
    if (!bench.waitForOutcome(Operation::SlotLoad, OutcomeKind::Loaded, kSlotLoadLimitMs))
      return false;
    bench.progress.finish();
    out << "device " << id << ": " << inv.slotName << " loaded into the active preset\n";
    return true;
  });
  return Summary(inv, tally, bench, err);
}

int NameSlot(const Invocation& inv, const PortEntry& port, Bench& bench, std::ostream& out,
             std::ostream& err) {
  const Tally tally = ForEachDevice(bench, port, inv.ids, [&](std::size_t, int id) {
    bench.s.presetSlots.saveName(inv.slot, inv.presetName);
    if (!bench.waitForOutcome(Operation::NameSave, OutcomeKind::Saved, kNameSaveLimitMs))
      return false;
    out << "device " << id << ": " << inv.slotName << " named \"" << inv.presetName << "\"\n";
    return true;
  });
  return Summary(inv, tally, bench, err);
}

int SetId(const Invocation& inv, const PortEntry& port, Bench& bench, std::ostream& out,
          std::ostream& err) {
  const Tally tally = ForEachDevice(bench, port, inv.ids, [&](std::size_t, int id) {
    // A device answering at NEW refuses the change with its message (exit 1).
    if (bench.s.deviceIdSession.change(inv.newId, inv.force) != DeviceIdSession::Change::Sent)
      return false;
    // The device acknowledges, and 10 ms later the change is reported.
    if (!bench.waitForOutcome(Operation::DeviceIdChange, OutcomeKind::Acknowledged,
                              kIdChangeLimitMs)) {
      if (!bench.interrupted() && !bench.failedNow()) bench.events.fail(kOvertimeLine);
      return false;
    }
    out << "device " << id << ": DeviceId now " << inv.newId << "\n";
    return true;
  });
  return Summary(inv, tally, bench, err);
}

int Set(const Invocation& inv, const PortEntry& port, Bench& bench, std::ostream& out,
        std::ostream& err) {
  const Tally tally = ForEachDevice(bench, port, inv.ids, [&](std::size_t, int id) {
    // The Bypass boxes are unchecked whenever a preset is loaded, as by the connect just made.
    BandBypass bypass{};
    PresetEdit edit(bench.s.image, bypass);
    bool ok = true;
    if (inv.eqSettings) {
      // The bands a file leaves out keep this device's own frequency and Q.
      auto prepared = PrepareEqImport(*inv.eqSettings, bench.s.image);
      if (auto* problem = std::get_if<std::string>(&prepared)) {
        bench.events.fail(*inv.eqFile + ": " + *problem);
        return false;
      }
      edit.applyEqImport(std::get<EqImport>(prepared));
      std::istringstream lines(DescribeEqImport(std::get<EqImport>(prepared)));
      for (std::string line; std::getline(lines, line);)
        out << "device " << id << ": " << line << "\n";
    }
    for (const Setting& setting : inv.settings) {
      const SetResult r = edit.apply(setting);
      if (r.problem) {
        bench.events.fail(r.parameter + ": " + *r.problem);
        ok = false;
        continue;
      }
      out << "device " << id << ": " << r.parameter << " = " << r.stored
          << (r.adjusted ? " (adjusted)" : "") << (r.changedNothing ? " (unchanged)" : "")
          << (r.note ? " (" + *r.note + ")" : std::string()) << "\n";
    }
    const auto& rows = edit.rowsToSend();
    for (const SendRow& row : rows)
      bench.s.pump.queueParameterWrite(row.sendSlot(), edit.frameFor(row, bench.s.address.BusAddress));
    const auto sent = [&] {
      if (bench.s.pump.takenSlot() != 0) return false;
      return std::none_of(rows.begin(), rows.end(),
                          [&](const SendRow& row) { return bench.s.pump.isPending(row.sendSlot()); });
    };
    const auto limit = static_cast<std::int64_t>(rows.size()) * kPerSlotWriteMs + kConnectLimitMs;
    if (!bench.waitFor(sent, limit)) return false;
    // The last write leaves 200 ms after its take; the device acknowledges it.
    bench.waitFor([] { return false; }, kAfterLastWriteMs);
    return ok && !bench.interrupted();
  });
  return Summary(inv, tally, bench, err);
}

int Search(const Invocation& inv, PortSource& ports, DeviceIo& io, std::ostream& out,
           std::ostream& err, bool terminal, TrafficTrace* trace) {
  Bench bench(io, ports, err, terminal, trace);
  bench.s.supervisor.holdPortCheck();
  const std::vector<int> ids = inv.ids;
  const int highest = ids.empty() ? 255 : *std::max_element(ids.begin(), ids.end());
  // The window's full search at 100 ms a probe, over BusAddresses 0..highest - 1 (DeviceIds
  // 1..highest). Even for the whole bus it stops before the broadcast address 0xFF, which the
  // window's search also probes: every device answers it at once and the replies collide.
  SearchSession::Plan plan{std::min(highest, 255), SearchSession::kFullProbeWaitMs, true, true};
  // Every port means the system's: the demo's devices are found only when asked for by name.
  plan.includesDemo = inv.port.has_value();
  bench.s.searchSession.run(plan, [&](int percent) {
    bench.progress.update("search", percent, 100);
    if (bench.interrupted()) bench.s.searchCancelled = true;
  });
  bench.s.searchSession.finish();
  bench.progress.finish();
  if (bench.interrupted()) {
    err << "lyraphone-cli: search: interrupted\n";
    return kExitInterrupted;
  }
  const std::set<int> wanted(ids.begin(), ids.end());
  const auto& entries = bench.s.portList.entries();
  const auto& numbers = bench.s.portList.portNumbers();
  JsonWriter j;
  j.beginArray();
  int found = 0;
  for (std::size_t e = 0; e < entries.size() && e < numbers.size(); ++e) {
    for (int id : wanted) {
      if (!bench.s.searchSession.hits().hit(numbers[e], BusAddressing::busAddressOf(id))) continue;
      ++found;
      if (inv.json) {
        j.beginObject();
        j.key("port");
        j.string(entries[e].name);
        j.key("path");
        j.string(entries[e].devicePath);
        j.key("id");
        j.integer(id);
        j.endObject();
      } else {
        out << entries[e].name << "  " << id << "\n";
      }
    }
  }
  j.endArray();
  if (inv.json) out << j.text();
  if (found == 0) err << "lyraphone-cli: search: no device answered\n";
  return kExitDone;
}

}  // namespace

int RunDeviceCommand(const Invocation& inv, const std::vector<PortEntry>& ports,
                     PortSource& system, DeviceIo& io, std::ostream& out, std::ostream& err,
                     bool errIsTerminal) {
  const Command command = *inv.command;
  const std::unique_ptr<TrafficTrace> trace = StartTrace(inv, io.scheduler, err);
  if (command == Command::Search) {
    if (inv.port) {
      ChosenPortSource chosen(system, ports.front());
      return Search(inv, chosen, io, out, err, errIsTerminal, trace.get());
    }
    return Search(inv, system, io, out, err, errIsTerminal, trace.get());
  }
  ChosenPortSource chosen(system, ports.front());
  Bench bench(io, chosen, err, errIsTerminal, trace.get());
  bench.events.printResult = [&](const std::string& line) {
    bench.progress.finish();
    out << line << "\n";
    out.flush();
  };
  const PortEntry& port = ports.front();
  switch (command) {
    case Command::Status:
      return inv.watch ? Watch(inv, port, bench, out, err) : Status(inv, port, bench, out, err);
    case Command::Read:
      return Read(inv, port, bench, out, err);
    case Command::Write:
      return Write(inv, port, bench, out, err);
    case Command::Backup:
      return Backup(inv, port, bench, out, err);
    case Command::Restore:
      return Restore(inv, port, bench, out, err);
    case Command::LoadSlot:
      return LoadSlot(inv, port, bench, out, err);
    case Command::NameSlot:
      return NameSlot(inv, port, bench, out, err);
    case Command::SetId:
      return SetId(inv, port, bench, out, err);
    case Command::Set:
      return Set(inv, port, bench, out, err);
    default:
      return kExitUsage;
  }
}

}  // namespace lyra::cli
