// The device commands as the tool's main runs them, on simulated devices in virtual time: the
// same runner, with a VirtualScheduler and the simulated bus in place of the real loop and driver.

#include <gtest/gtest.h>

#include <memory>
#include <sstream>

#include "cli/Commands.h"
#include "cli/ExitCodes.h"
#include "preset/PresetBlockText.h"
#include "sim/DeviceModel.h"
#include "sim/SimBus.h"
#include "sessions/DeviceSessions.h"
#include "storage/PresetFiles.h"
#include "tests/storage/TempFolder.h"
#include "tests/support/ScriptedEvents.h"
#include "timing/VirtualScheduler.h"

namespace lyra::cli {
namespace {

struct Outcome {
  int code = -1;
  std::string out;
  std::string err;
};

class DeviceCommandsTest : public ::testing::Test {
 protected:
  DeviceCommandsTest() {
    bus.addPort("COM3");
    one = std::make_unique<DeviceModel>(bus, "COM3", 1, 3u);
    five = std::make_unique<DeviceModel>(bus, "COM3", 5, 4u);
    silent = std::make_unique<DeviceModel>(bus, "COM3", 7, 5u);
    silent->faults().silent = true;
    // Every stored block of device 1 tells which device and block it is.
    for (int n = 1; n <= 20; ++n) one->memory().blocks[n - 1][310] = static_cast<std::uint8_t>(n);
  }

  Outcome run(std::vector<std::string> args) {
    std::ostringstream out, err;
    CliEnvironment env{*ports, false, &io};
    Outcome r;
    r.code = RunCli(args, out, err, env);
    r.out = out.str();
    r.err = err.str();
    return r;
  }
  // Ctrl-C at this virtual time from now.
  void interruptAfterMs(std::int64_t ms) {
    scheduler.post(ms * 1000, [this] { interrupted = true; });
  }
  std::string file(const std::string& name) const { return (folder / name).string(); }

  VirtualScheduler scheduler;
  SimBus bus{scheduler};
  std::unique_ptr<SerialDriver> driver = bus.makeDriver();
  std::unique_ptr<PortSource> ports = bus.makePortSource();
  bool interrupted = false;
  DeviceIo io{scheduler, *driver,
              [this](const std::function<bool()>& pred, std::int64_t limitMs) {
                return scheduler.advanceUntil(pred, limitMs);
              },
              [this] { return interrupted; }};
  std::unique_ptr<DeviceModel> one, five, silent;
  test::TempFolder folder;
};

TEST_F(DeviceCommandsTest, StatusReadsEachDeviceInTurnAndNamesTheSilentOne) {
  const Outcome r = run({"status", "--port", "COM3", "--id", "1,7,5", "--json"});
  EXPECT_EQ(r.code, kExitDeviceFailed);
  EXPECT_NE(r.out.find("\"id\": 1"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("\"id\": 5"), std::string::npos);
  EXPECT_EQ(r.out.find("\"id\": 7"), std::string::npos);
  EXPECT_NE(r.out.find("\"temperature\": "), std::string::npos);
  EXPECT_NE(r.out.find("\"attenuation\": "), std::string::npos);
  EXPECT_NE(r.err.find("device 7: UNABLE TO CONNECT TO DEVICE!"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("failed for DeviceId 7 (1 of 3)"), std::string::npos);
}

TEST_F(DeviceCommandsTest, StatusWatchKeepsOneConnectionAndPrintsEveryDeviceEveryRound) {
  interruptAfterMs(6500);
  const Outcome r = run({"status", "--port", "COM3", "--id", "7,1,5", "--watch", "1", "--json"});
  EXPECT_EQ(r.code, kExitInterrupted);
  // One JSON object a line, each with the round's time, the id and the readings or "error".
  std::vector<std::string> lines;
  std::istringstream in(r.out);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  ASSERT_GE(lines.size(), 9u) << r.out;
  std::vector<std::string> times;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    EXPECT_EQ(line.front(), '{') << line;
    EXPECT_EQ(line.back(), '}') << line;
    const std::string id = "\"id\": " + std::string(i % 3 == 0 ? "7" : i % 3 == 1 ? "1" : "5");
    EXPECT_NE(line.find(id + ","), std::string::npos) << "every device every round: " << line;
    ASSERT_EQ(line.rfind("{\"time\": \"", 0), 0u) << line;
    const std::string time = line.substr(10, 24);
    EXPECT_EQ(time.back(), 'Z') << time;
    if (i % 3 == 0) {
      times.push_back(time);
      EXPECT_NE(line.find("\"error\": "), std::string::npos) << "the silent device: " << line;
    } else {
      EXPECT_EQ(time, times.back()) << "one time stamp a round";
      EXPECT_NE(line.find("\"temperature\": "), std::string::npos) << line;
      EXPECT_NE(line.find("\"attenuation\": 0}"), std::string::npos) << line;
    }
  }
  // After the first round (the handshake) the rounds start every second: the seconds and
  // milliseconds of consecutive time stamps are one second apart.
  ASSERT_GE(times.size(), 3u);
  const auto seconds = [](const std::string& t) { return std::stod(t.substr(17, 6)); };
  EXPECT_NEAR(seconds(times[2]) - seconds(times[1]) + (seconds(times[2]) < seconds(times[1]) ? 60 : 0),
              1.0, 0.0015)
      << "to the millisecond of the stamps";
  // One handshake for the whole watch: the active preset was read once.
  int presetReads = 0;
  for (const auto& w : bus.writes("COM3")) presetReads += w.bytes == readActivePreset(0x00);
  EXPECT_EQ(presetReads, 1);
  EXPECT_NE(lines[0].find("\"error\": \"UNABLE TO CONNECT TO DEVICE!"), std::string::npos);
  EXPECT_NE(lines[3].find("\"error\": \"no answer to the status poll\""), std::string::npos);
}

TEST_F(DeviceCommandsTest, StatusWatchAsTextStampsEachLineAndNamesADeviceWithoutAnswer) {
  interruptAfterMs(4000);
  const Outcome r = run({"status", "--port", "COM3", "--id", "1,7", "--watch", "1"});
  EXPECT_EQ(r.code, kExitInterrupted);
  std::istringstream in(r.out);
  int readings = 0, errors = 0;
  for (std::string line; std::getline(in, line);) {
    ASSERT_GE(line.size(), 26u) << line;
    EXPECT_EQ(line.substr(24, 2), "  ") << "a time stamp first: " << line;
    if (line.substr(26).rfind("1  ", 0) == 0 && line.find(" C  0 dB") != std::string::npos)
      ++readings;
    if (line.substr(26) == "7  error: no answer to the status poll") ++errors;
  }
  EXPECT_GE(readings, 2) << r.out;
  EXPECT_EQ(errors, readings) << r.out;
}

TEST_F(DeviceCommandsTest, ReadThenWriteCopiesTheActivePresetAcrossDevices) {
  one->memory().active[20] = 0x42;
  const Outcome read = run({"read", "--port", "COM3", "--id", "1", "-o", file("a.sps")});
  ASSERT_EQ(read.code, kExitDone) << read.err;
  // The window's own check of a single-preset file.
  const FileLines lines = ReadTextLines(folder / "a.sps");
  ASSERT_EQ(lines.status, FileLines::Status::Read);
  EXPECT_TRUE(IsValidPresetBlockText(JoinLines(lines.lines)));

  const Outcome write = run({"write", "--port", "COM3", "--id", "5", file("a.sps")});
  EXPECT_EQ(write.code, kExitDone) << write.err;
  EXPECT_EQ(five->memory().active, one->memory().active);
}

TEST_F(DeviceCommandsTest, AReadFromASilentDeviceWritesNoFile) {
  const Outcome r = run({"read", "--port", "COM3", "--id", "7", "-o", file("a.sps")});
  EXPECT_EQ(r.code, kExitDeviceFailed);
  EXPECT_FALSE(std::filesystem::exists(folder / "a.sps"));
}

TEST_F(DeviceCommandsTest, BackupToAFolderWritesOneFileForEachDeviceThatAnswered) {
  const Outcome r = run({"backup", "--port", "COM3", "--id", "1,7,5", "-o", file("rack") + "/"});
  EXPECT_EQ(r.code, kExitDeviceFailed);
  EXPECT_NE(r.err.find("failed for DeviceId 7"), std::string::npos) << r.err;
  EXPECT_FALSE(std::filesystem::exists(folder / "rack" / "7.fps"));
  for (const char* name : {"1.fps", "5.fps"}) {
    const FileLines lines = ReadTextLines(folder / "rack" / name);
    ASSERT_EQ(lines.status, FileLines::Status::Read) << name;
    EXPECT_TRUE(IsValidAllPresetsFile(lines.lines)) << name;  // the window's check
  }
  const auto lines = ReadTextLines(folder / "rack" / "1.fps").lines;
  for (int n = 1; n <= 20; ++n)
    EXPECT_EQ(lines[static_cast<std::size_t>(n - 1)].substr(310 * 2 + 20, 2),
              (n < 16 ? "0" : "") + [n] {
                std::ostringstream s;
                s << std::uppercase << std::hex << n;
                return s.str();
              }())
        << "block " << n;
}

TEST_F(DeviceCommandsTest, APortThatVanishesDuringABackupFailsTheRestAndLeavesNoFile) {
  // Device 1 takes about 16 s; the port goes during device 5's save.
  scheduler.post(22'000'000, [this] { bus.removePort("COM3"); });
  const Outcome r = run({"backup", "--port", "COM3", "--id", "1,5,7", "-o", file("rack") + "/"});
  EXPECT_EQ(r.code, kExitDeviceFailed);
  EXPECT_TRUE(std::filesystem::exists(folder / "rack" / "1.fps"));
  EXPECT_FALSE(std::filesystem::exists(folder / "rack" / "5.fps"));
  EXPECT_NE(r.err.find("device 5: No port."), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("failed for DeviceId 5, 7 (2 of 3)"), std::string::npos) << r.err;
}

TEST_F(DeviceCommandsTest, ADamagedFileIsRefusedWithItsLineAndNothingIsSent) {
  const Outcome backup = run({"backup", "--port", "COM3", "--id", "1", "-o", file("one.fps")});
  ASSERT_EQ(backup.code, kExitDone) << backup.err;
  bus.clearWrites("COM3");
  std::vector<std::string> lines = ReadTextLines(folder / "one.fps").lines;
  lines[4][100] = 'G';  // not hexadecimal
  ASSERT_FALSE(WriteTextLines(folder / "bad.fps", lines));
  const Outcome restore = run({"restore", "--port", "COM3", "--id", "1,5", file("bad.fps")});
  EXPECT_EQ(restore.code, kExitUsage);
  EXPECT_NE(restore.err.find("bad.fps:5:"), std::string::npos) << restore.err;
  ASSERT_FALSE(WriteTextLines(folder / "bad.sps", {"A5A5A5"}));
  const Outcome write = run({"write", "--port", "COM3", "--id", "1", file("bad.sps")});
  EXPECT_EQ(write.code, kExitUsage);
  EXPECT_NE(write.err.find("bad.sps:"), std::string::npos) << write.err;
  EXPECT_TRUE(bus.writes("COM3").empty());
}

TEST_F(DeviceCommandsTest, AnOutputThatCannotBeWrittenIsRefusedBeforeTheBusIsTouched) {
  // A folder that cannot be made: its parent is a file.
  ASSERT_FALSE(WriteTextLines(folder / "plain.txt", {"x"}));
  const Outcome made = run({"backup", "--port", "COM3", "--id", "1,5", "-o",
                            file("plain.txt") + "/rack/"});
  EXPECT_EQ(made.code, kExitUsage);
  EXPECT_NE(made.err.find("cannot create the folder"), std::string::npos) << made.err;
  // A file in a folder that does not exist, for one device and for read.
  const Outcome single = run({"backup", "--port", "COM3", "--id", "1", "-o", file("no/one.fps")});
  EXPECT_EQ(single.code, kExitUsage);
  EXPECT_NE(single.err.find("does not exist"), std::string::npos) << single.err;
  const Outcome read = run({"read", "--port", "COM3", "--id", "1", "-o", file("no/a.sps")});
  EXPECT_EQ(read.code, kExitUsage);
  EXPECT_NE(read.err.find("does not exist"), std::string::npos) << read.err;
  // A folder that takes no new file. Permission bits do not stop a privileged user; the
  // system's read-only folder /sys stops everyone.
  const auto locked = folder / "locked";
  std::filesystem::create_directory(locked);
  std::filesystem::permissions(locked, std::filesystem::perms::owner_read |
                                           std::filesystem::perms::owner_exec);
  std::string lockedFolder = locked.string();
  if (!WriteTextLines(locked / "probe", {"x"})) lockedFolder = "/sys";
  const Outcome backup =
      run({"backup", "--port", "COM3", "--id", "1,5", "-o", lockedFolder + "/"});
  EXPECT_EQ(backup.code, kExitUsage);
  EXPECT_NE(backup.err.find("cannot write in the folder"), std::string::npos) << backup.err;
  const Outcome readLocked =
      run({"read", "--port", "COM3", "--id", "1", "-o", lockedFolder + "/a.sps"});
  EXPECT_EQ(readLocked.code, kExitUsage);
  std::filesystem::permissions(locked, std::filesystem::perms::owner_all);
  EXPECT_TRUE(bus.writes("COM3").empty()) << "nothing was sent";
  // A folder that is still to be made is made, for one device too.
  const Outcome fresh = run({"backup", "--port", "COM3", "--id", "1", "-o", file("new") + "/"});
  EXPECT_EQ(fresh.code, kExitDone) << fresh.err;
  EXPECT_TRUE(std::filesystem::exists(folder / "new" / "1.fps"));
}

TEST_F(DeviceCommandsTest, CtrlCDuringARestoreLetsTheFrameInFlightFinishAndClosesThePort) {
  const Outcome backup = run({"backup", "--port", "COM3", "--id", "1", "-o", file("one.fps")});
  ASSERT_EQ(backup.code, kExitDone) << backup.err;
  bus.clearWrites("COM3");
  const auto before = five->memory().blocks;
  interruptAfterMs(5000);
  const Outcome r = run({"restore", "--port", "COM3", "--id", "5,1", file("one.fps")});
  EXPECT_EQ(r.code, kExitInterrupted);
  EXPECT_NE(r.err.find("interrupted"), std::string::npos);
  // Some blocks went up whole; device 1 was never reached.
  const auto& writes = bus.writes("COM3");
  ASSERT_FALSE(writes.empty());
  int uploads = 0;
  for (const auto& w : writes) {
    if (w.bytes.size() == 322) ++uploads;
  }
  EXPECT_GT(uploads, 0);
  EXPECT_LT(uploads, 20);
  EXPECT_NE(five->memory().blocks, before);
  EXPECT_EQ(writes.back().bytes.size() == 10, false) << "a header without its data";
  // The port is free again: another program can open it.
  auto other = bus.makeDriver();
  EXPECT_EQ(other->open("COM3"), SerialError::None);
}

TEST_F(DeviceCommandsTest, CtrlCDuringABackupLeavesNoFile) {
  interruptAfterMs(6000);
  const Outcome r = run({"backup", "--port", "COM3", "--id", "1", "-o", file("one.fps")});
  EXPECT_EQ(r.code, kExitInterrupted);
  EXPECT_FALSE(std::filesystem::exists(folder / "one.fps"));
}

TEST_F(DeviceCommandsTest, SlotsLoadAndTakeANameAndASilentDeviceFails) {
  const Outcome name = run({"name-slot", "--port", "COM3", "--id", "5", "Usr6", "FOH left"});
  EXPECT_EQ(name.code, kExitDone) << name.err;
  EXPECT_EQ(five->memory().names[6], DeviceMemory::nameOf("FOH left"));
  // The device's word of success is a result: standard output, not among the errors.
  EXPECT_NE(name.out.find("device 5: Successfully save.\n"), std::string::npos) << name.out;
  EXPECT_EQ(name.err.find("Successfully save."), std::string::npos) << name.err;
  five->memory().blocks[2][40] = 0x33;
  const Outcome load = run({"load-slot", "--port", "COM3", "--id", "5", "Pre2"});
  EXPECT_EQ(load.code, kExitDone) << load.err;
  EXPECT_EQ(five->memory().active[40], 0x33);
  const Outcome dead = run({"load-slot", "--port", "COM3", "--id", "7", "Pre2"});
  EXPECT_EQ(dead.code, kExitDeviceFailed);
}

TEST_F(DeviceCommandsTest, SetStoresTheWindowsValuesOnEachDevice) {
  const auto before = one->memory().active;
  const Outcome r = run({"set", "--port", "COM3", "--id", "1,5", "level=-3.3", "eq1.freq=20"});
  EXPECT_EQ(r.code, kExitDone) << r.err;
  EXPECT_NE(r.out.find("device 1: level = -3.4 dB (adjusted)"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("device 5: eq1.freq = 19.7 Hz (adjusted)"), std::string::npos) << r.out;
  EXPECT_NE(one->memory().active, before);
  EXPECT_EQ(one->memory().active, five->memory().active);
  // Setting the stored values again changes nothing more.
  const auto after = one->memory().active;
  EXPECT_EQ(run({"set", "--port", "COM3", "--id", "1", "level=-3.4", "eq1.freq=19.7"}).code,
            kExitDone);
  EXPECT_EQ(one->memory().active, after);
}

// Equaliser settings from a file reach the device as the same band frames as the same values
// given to set one by one; a file that does not fit sends nothing.
TEST_F(DeviceCommandsTest, SetEqFileSendsWhatSetSendsForTheSameValues) {
  test::WriteBytes(folder / "eq.txt",
                   "Preamp: -3 dB\r\n"
                   "Filter 1: ON PK Fc 63 Hz Gain -3 dB Q 4\r\n"
                   "Filter 2: ON LSC Fc 105 Hz Gain 6.6 dB Q 0.7\r\n"
                   "Filter 3: ON HSC Fc 8000 Hz Gain -2 dB Q 0.7\r\n"
                   "Filter 4: ON PK Fc 1000 Hz Gain 2 dB Q 1.4\r\n"
                   "Filter 5: ON PK Fc 2500 Hz Gain -4 dB Q 3\r\n"
                   "Filter 6: ON PK Fc 6000 Hz Gain 1 dB Q 2\r\n");
  five->memory().active = one->memory().active;
  const Outcome fromFile = run({"set", "--port", "COM3", "--id", "1", "--eq-file", file("eq.txt")});
  ASSERT_EQ(fromFile.code, kExitDone) << fromFile.err;
  EXPECT_NE(fromFile.out.find("device 1: band 2: Filter 2: ON LSC Fc 105 Hz Gain 6.6 dB Q 0.7\n"
                          "device 1:   stored ON LSC Fc 105 Hz Gain 6.6 dB Q 0.6"),
            std::string::npos)
      << fromFile.out;
  EXPECT_NE(fromFile.out.find("device 1: Preamp -3 dB: system level -3.0 dB\n"), std::string::npos);
  const Outcome typed = run({"set", "--port", "COM3", "--id", "5", "level=-3",
                             "eq1.type=PEQ", "eq1.freq=63", "eq1.gain=-3", "eq1.q=4",
                             "eq2.type=LS", "eq2.freq=105", "eq2.gain=6.6", "eq2.q=0.7",
                             "eq3.type=HS", "eq3.freq=8000", "eq3.gain=-2", "eq3.q=0.7",
                             "eq4.type=PEQ", "eq4.freq=1000", "eq4.gain=2", "eq4.q=1.4",
                             "eq5.type=PEQ", "eq5.freq=2500", "eq5.gain=-4", "eq5.q=3",
                             "eq6.type=PEQ", "eq6.freq=6000", "eq6.gain=1", "eq6.q=2"});
  ASSERT_EQ(typed.code, kExitDone) << typed.err;
  EXPECT_EQ(one->memory().active, five->memory().active);
  // One band frame for each of the six bands, and the level's channel frame.
  int bandFrames = 0;
  for (const auto& w : bus.writes("COM3")) {
    if (w.bytes.size() > 7 && w.bytes[3] == 0x00 && w.bytes[4] == 0xA1 && w.bytes[6] >= 5 &&
        w.bytes[6] <= 10)
      ++bandFrames;
  }
  EXPECT_EQ(bandFrames, 6);

  test::WriteBytes(folder / "hp.txt", "Filter 1: ON HP Fc 40 Hz\n");
  const std::size_t writes = bus.writes("COM3").size();
  const Outcome refused = run({"set", "--port", "COM3", "--id", "1", "--eq-file", file("hp.txt")});
  EXPECT_EQ(refused.code, kExitUsage);
  EXPECT_EQ(refused.err, "lyraphone-cli: set: " + file("hp.txt") +
                             ": line 1: the equaliser has no filter of type HP (its bands are "
                             "PK, LSC or HSC); nothing was changed\n");
  EXPECT_EQ(bus.writes("COM3").size(), writes);
}

TEST_F(DeviceCommandsTest, SetIdMovesTheDeviceAndSearchFindsItThere) {
  const Outcome r = run({"set-id", "--port", "COM3", "--id", "5", "9"});
  EXPECT_EQ(r.code, kExitDone) << r.err;
  EXPECT_EQ(five->deviceId(), 9);
  EXPECT_NE(r.out.find("device 5: DeviceID change to 9\n"), std::string::npos) << r.out;
  EXPECT_EQ(r.err.find("DeviceID change"), std::string::npos) << r.err;
  const Outcome search = run({"search", "--port", "COM3", "--ids", "1-10", "--json"});
  EXPECT_EQ(search.code, kExitDone);
  EXPECT_NE(search.out.find("\"id\": 1\n"), std::string::npos) << search.out;
  EXPECT_NE(search.out.find("\"id\": 9\n"), std::string::npos);
  EXPECT_EQ(search.out.find("\"id\": 5\n"), std::string::npos);
  EXPECT_EQ(search.out.find("\"id\": 7\n"), std::string::npos);  // silent
}

TEST_F(DeviceCommandsTest, AWholeBusSearchNeverProbesTheBroadcastAddress) {
  const Outcome r = run({"search", "--port", "COM3"});
  EXPECT_EQ(r.code, kExitDone);
  EXPECT_EQ(r.out, "COM3  1\nCOM3  5\n");
  int broadcasts = 0, last = 0;
  for (const auto& w : bus.writes("COM3")) {
    broadcasts += w.bytes == statusPoll(0xFF);
    last += w.bytes == statusPoll(0xFE);
  }
  EXPECT_EQ(broadcasts, 0) << "every device would answer at once";
  EXPECT_EQ(last, 1) << "DeviceId 255 is asked";
}

// Device 7 answering 300 ms late: its reply came while DeviceId 10 was being probed and was
// credited to 10, which does not exist, while 7 was missed.
TEST_F(DeviceCommandsTest, SearchCreditsALateReplyToTheDeviceThatSentIt) {
  silent->faults() = {};
  silent->faults().lateByUs = 300'000;
  const Outcome r = run({"search", "--port", "COM3", "--ids", "1-10"});
  EXPECT_EQ(r.code, kExitDone);
  EXPECT_EQ(r.out, "COM3  1\nCOM3  5\nCOM3  7\n");
  // The last DeviceId asked, answering late: the port stays open for its reply.
  EXPECT_EQ(run({"search", "--port", "COM3", "--ids", "7"}).out, "COM3  7\n");
}

// set-id onto a DeviceId in use put two devices on one address, and neither could be reached.
TEST_F(DeviceCommandsTest, SetIdRefusesADeviceIdInUseUnlessForced) {
  const Outcome refused = run({"set-id", "--port", "COM3", "--id", "1", "5"});
  EXPECT_EQ(refused.code, kExitDeviceFailed);
  EXPECT_EQ(refused.out, "");
  EXPECT_NE(refused.err.find("device 1: DeviceId 5 is already in use on this bus."),
            std::string::npos)
      << refused.err;
  EXPECT_EQ(one->deviceId(), 1);
  EXPECT_EQ(five->deviceId(), 5);
  // A device that does not answer cannot be seen: the move goes ahead.
  EXPECT_EQ(run({"set-id", "--port", "COM3", "--id", "1", "7"}).code, kExitDone);
  EXPECT_EQ(one->deviceId(), 7);
  const Outcome forced = run({"set-id", "--port", "COM3", "--id", "7", "--force", "5"});
  EXPECT_EQ(forced.code, kExitDone) << forced.err;
  EXPECT_EQ(one->deviceId(), 5);
}

TEST_F(DeviceCommandsTest, SearchWithoutAPortAsksEveryPort) {
  bus.addPort("COM4");
  DeviceModel other(bus, "COM4", 12, 9u);
  const Outcome r = run({"search", "--ids", "1-12"});
  EXPECT_EQ(r.code, kExitDone);
  EXPECT_NE(r.out.find("COM3  1\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("COM3  5\n"), std::string::npos);
  EXPECT_NE(r.out.find("COM4  12\n"), std::string::npos);
}

TEST_F(DeviceCommandsTest, APortInUseIsExitThreeWithTheReason) {
  auto holder = bus.makeDriver();
  ASSERT_EQ(holder->open("COM3"), SerialError::None);
  const Outcome r = run({"status", "--port", "COM3", "--id", "1,5"});
  EXPECT_EQ(r.code, kExitPortUnavailable);
  EXPECT_NE(r.err.find("No port."), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("in use"), std::string::npos);
}

TEST_F(DeviceCommandsTest, ARestoreOfSeveralDevicesReachesEachAndMissesTheSilentOne) {
  const Outcome backup = run({"backup", "--port", "COM3", "--id", "1", "-o", file("one.fps")});
  ASSERT_EQ(backup.code, kExitDone) << backup.err;
  DeviceModel nine(bus, "COM3", 9, 8u);
  const Outcome r = run({"restore", "--port", "COM3", "--id", "5,7,9", file("one.fps")});
  EXPECT_EQ(r.code, kExitDeviceFailed);
  EXPECT_NE(r.err.find("failed for DeviceId 7 (1 of 3)"), std::string::npos) << r.err;
  EXPECT_EQ(five->memory().blocks, one->memory().blocks);
  EXPECT_EQ(nine.memory().blocks, one->memory().blocks);
  EXPECT_EQ(five->memory().names, one->memory().names);
}

TEST_F(DeviceCommandsTest, AFileTheWindowSavedRestoresThroughTheToolAndBack) {
  // The window's composition of the sessions saves device 1's presets.
  test::ScriptedEvents events;
  {
    DeviceSessions window(scheduler, *driver, *ports, events);
    window.connectSession.onFailed = [&] { window.connectSession.end(); };
    ASSERT_EQ(window.connectSession.start(window.portList.selectedEntry(),
                                      window.portList.selectedPortNumber()),
              ConnectSession::Started::Handshake);
    scheduler.advanceMs(3000);
    events.filePaths.push_back(file("window.fps"));
    window.presetFiles.saveAll();
    scheduler.advanceMs(17000);
    window.connectSession.end();
  }
  ASSERT_TRUE(events.failures().empty());
  const Outcome restore = run({"restore", "--port", "COM3", "--id", "5", file("window.fps")});
  ASSERT_EQ(restore.code, kExitDone) << restore.err;
  EXPECT_EQ(five->memory().blocks, one->memory().blocks);
  const Outcome show = run({"show", file("window.fps")});
  EXPECT_EQ(show.code, kExitDone);
}

}  // namespace
}  // namespace lyra::cli
