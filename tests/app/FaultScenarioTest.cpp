// Random interleavings of user actions and bus faults against the whole window, with the
// invariants every operation must leave behind checked after each step. Each scenario is seeded;
// a failure names its seed, and LYRA_SCENARIO_SEED=<seed> replays that one scenario alone.
// LYRA_SCENARIOS sets how many scenarios run in all (spread over the cases below), from seed
// LYRA_SCENARIO_FIRST (1 unless set);
// LYRA_SCENARIO_TRACE=1 prints each step with the link and poll state;
// LYRA_SCENARIO_TRAFFIC=<folder> writes each scenario's traffic trace there (seed-<seed>.txt), to
// compare what went over the line before and after a change to the program.

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <cstdio>
#include <random>
#include <sstream>

#include "preset/PresetBlockText.h"
#include "protocol/CommandFrame.h"
#include "protocol/SearchHits.h"
#include "protocol/TrafficTrace.h"
#include "storage/PresetFiles.h"
#include "tests/storage/TempFolder.h"
#include "tests/support/QtApplication.h"
#include "app/TForm1.h"
#include "sim/DeviceModel.h"
#include "sim/SimBus.h"
#include "timing/VirtualScheduler.h"

namespace lyra::test {
namespace {

constexpr int kCases = 50;
constexpr int kStepsPerScenario = 14;
// The longest operation, loading all presets from the PC (twenty blocks a second apart, then a
// second before the names are read: about 22 s), with room to spare.
constexpr std::int64_t kLongestWaitMs = 25000;

int envInt(const char* name, int fallback) {
  const char* v = std::getenv(name);
  return v && *v ? std::atoi(v) : fallback;
}

std::string readAll(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// Files whose blocks carry this mark in their first data bytes were changed after they were saved
// (one digit each): no block of theirs may ever be uploaded.
constexpr std::uint8_t kChangedMark[] = {0xD7, 0x3C, 0x5E};

// A file of `blocks` blocks with the mark, one digit of one line changed so that its check byte no
// longer matches.
std::string changedFile(int blocks) {
  std::string content;
  for (int n = blocks == 1 ? 0 : 1; n <= (blocks == 1 ? 0 : blocks); ++n) {
    std::vector<std::uint8_t> data(kPresetDataLength, 0x11);
    std::copy(std::begin(kChangedMark), std::end(kChangedMark), data.begin());
    const Frame frame = buildFrame(0x00, command::kReadReply, static_cast<std::uint8_t>(n),
                                   blocks == 1 ? group::kPresetData : group::kStoredBlock, 0, data);
    std::string line;
    for (std::uint8_t b : frame) {
      static const char kHex[] = "0123456789ABCDEF";
      line += kHex[b >> 4];
      line += kHex[b & 0x0F];
    }
    if (n == (blocks == 1 ? 0 : 9)) line[2 * 200] = line[2 * 200] == '1' ? '2' : '1';
    content += line + "\r\n";
  }
  return content;
}

// The user at the dialogs: Yes to every question, and for a file dialog the file of its kind
// (for all presets, the saved one or now and then the changed one; for a single preset, the saved
// one, or when opening, now and then the damaged, the changed or a missing file). Like a real box, each stays up a while (0 to 4 s of virtual
// time) with the event loop running: polls, replies, the port check and faults go on meanwhile.
class UserDialogs final : public Dialogs {
 public:
  struct Shown {
    std::string text;
    std::int64_t atMs = 0;
  };
  UserDialogs(const std::filesystem::path& folder, std::function<int(int)> pick,
              Scheduler& scheduler)
      : folder_(folder), pick_(std::move(pick)), scheduler_(scheduler) {}
  void message(const std::string& text, const std::string&) override {
    messages.push_back({text, scheduler_.nowMs()});
    think();
  }
  Answer question(const std::string&, Buttons) override {
    think();
    return Answer::Yes;
  }
  std::optional<std::string> openFile(const FileDialogOptions& o) override {
    think();
    if (opens) return (folder_ / *opens).string();
    if (allPresets(o)) return (folder_ / (pick_(4) == 0 ? "changed.fps" : "all.fps")).string();
    const char* names[] = {"one.sps", "one.sps", "junk.sps", "none.sps", "changed.sps"};
    return (folder_ / names[pick_(4)]).string();
  }
  std::optional<std::string> saveFile(const FileDialogOptions& o) override {
    think();
    return (folder_ / (allPresets(o) ? "all.fps" : "one.sps")).string();
  }
  std::vector<Shown> messages;
  std::optional<std::string> opens;  // the file every open dialog picks, when set

 private:
  static bool allPresets(const FileDialogOptions& o) {
    return o.filter.find("fps") != std::string::npos;
  }
  // Most boxes are answered at once, some after a few seconds.
  void think() {
    const int ms = pick_(3) == 0 ? pick_(4000) : pick_(1) * pick_(300);
    if (ms > 0) scheduler_.waitPumping(ms);
  }
  std::filesystem::path folder_;
  std::function<int(int)> pick_;
  Scheduler& scheduler_;
};

// One scenario: a fresh window, two devices that can be made to answer at once, a temporary
// folder, and a random walk of actions and faults.
class Scenario {
 public:
  explicit Scenario(std::uint32_t seed) : random_(seed) {
    qtApplication();
    bus.addPort(kPort);
    device = std::make_unique<DeviceModel>(bus, kPort, 1, seed);
    // A second device with the same DeviceId, silent until a collision is wanted.
    twin = std::make_unique<DeviceModel>(bus, kPort, 1, seed ^ 0x9E3779B9u);
    twin->faults().silent = true;
    // A file the user already had, and one that is no preset at all.
    std::ofstream(folder / "junk.sps", std::ios::binary) << "not a preset\r\n";
    // Files saved earlier, one digit changed since.
    std::ofstream(folder / "changed.sps", std::ios::binary) << changedFile(1);
    std::ofstream(folder / "changed.fps", std::ios::binary) << changedFile(20);
    for (const char* name : {"junk.sps", "changed.sps", "changed.fps"})
      known_[folder / name] = readAll(folder / name);
    form = std::make_unique<TForm1>(scheduler, *driver, *ports, &dialogs);
    if (const char* trafficFolder = std::getenv("LYRA_SCENARIO_TRAFFIC")) {
      const std::string path = std::string(trafficFolder) + "/seed-" + std::to_string(seed) + ".txt";
      std::string error;
      traffic = TrafficTrace::open(path, scheduler.nowUs(), error);
      if (traffic) traffic->attach(form->sessions.link);
      else ADD_FAILURE() << path << ": " << error;
    }
    form->window().show();
    QApplication::setActiveWindow(&form->window());
    scheduler.advanceMs(3100);
  }
  ~Scenario() {
    traffic.reset();
    form.reset();
    twin.reset();
    device.reset();
  }

  // Runs the walk; returns a description of the first broken invariant, empty when none broke.
  std::string run(int steps) {
    for (int i = 0; i < steps; ++i) {
      fault();
      act();
      scheduler.advanceMs(pick(0, 3000));
      if (std::string e = check(); !e.empty()) return e + " after " + log_;
    }
    // Every operation ends by itself: nothing is left up once the longest time-out passed.
    device->faults() = {};
    twin->faults().silent = true;
    if (!bus.hasPort(kPort)) restorePort();
    scheduler.advanceMs(kLongestWaitMs);
    if (std::string e = check(); !e.empty()) return e + " after " + log_;
    if (std::string e = checkSettled(); !e.empty()) return e + " after " + log_;
    return {};
  }

  static constexpr const char* kPort = "COM3";
  VirtualScheduler scheduler;
  SimBus bus{scheduler};
  std::unique_ptr<SerialDriver> driver = bus.makeDriver();
  std::unique_ptr<PortSource> ports = bus.makePortSource();
  TempFolder folder;
  UserDialogs dialogs{folder.path(), [this](int hi) { return pick(0, hi); }, scheduler};
  std::unique_ptr<DeviceModel> device;
  std::unique_ptr<DeviceModel> twin;
  std::unique_ptr<TForm1> form;
  std::unique_ptr<TrafficTrace> traffic;

 private:
  int pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random_); }
  void note(const std::string& what) {
    log_ += what + "@" + std::to_string(scheduler.nowMs()) + " ";
    if (std::getenv("LYRA_SCENARIO_TRACE"))
      std::printf("%s@%lld open=%d caption=%s Timer1=%d\n", what.c_str(),
                  static_cast<long long>(scheduler.nowMs()), form->sessions.link.PortOpen(),
                  form->areas.Button3->text().toStdString().c_str(),
                  form->sessions.timers.Timer1.isActive());
  }

  void restorePort() {
    bus.addPort(kPort);
    bus.attach(kPort, device.get());
    bus.attach(kPort, twin.get());
  }

  void fault() {
    DeviceFaults& f = device->faults();
    switch (pick(0, 12)) {
      case 0: f.silent = !f.silent; note(f.silent ? "silent" : "speaks"); break;
      case 1: f.lateByUs = pick(0, 1) * pick(1, 2500) * 1000; note("late"); break;
      case 2: f.dropRate = pick(0, 1) * pick(1, 30) / 1000.0; note("drop"); break;
      case 3: f.corruptRate = pick(0, 1) * pick(1, 30) / 1000.0; note("corrupt"); break;
      case 4: f.ignoreNameTableRead = !f.ignoreNameTableRead; note("names"); break;
      case 5:
        if (bus.hasPort(kPort)) {
          bus.removePort(kPort);
          note("unplug");
        } else {
          restorePort();
          note("plug");
        }
        break;
      case 6: twin->faults().silent = !twin->faults().silent; note("twin"); break;
      case 7: f.answersTwice = !f.answersTwice; note(f.answersTwice ? "twice" : "once"); break;
      // Replies gathered into one packet: a poll's reply and a write's acknowledgement in one read.
      case 8: f.gatherRepliesUs = pick(0, 1) * pick(20, 300) * 1000; note("gather"); break;
      default: break;  // most steps change nothing
    }
  }

  // Types a value into one of the window's fields and presses Enter, as a user would.
  void typeInto(const char* name, const QString& value) {
    auto* e = form->window().findChild<QLineEdit*>(name);
    if (!e || !e->isVisible() || !e->isEnabled()) return;
    QTest::mouseClick(e, Qt::LeftButton);
    QTest::keyClicks(e, value);
    QTest::keyClick(e, Qt::Key_Return);
  }

  void click(QAbstractButton* b) {
    if (b->isVisible() && b->isEnabled()) b->click();
  }

  // An edit of the preset: a level, a band, a filter or a delay.
  void edit() {
    static const char* const kGains[] = {"RzEdit106", "RzEdit107", "RzEdit108",
                                         "RzEdit109", "RzEdit110", "RzEdit113"};
    static const char* const kFrequencies[] = {"RzEdit94", "RzEdit95", "RzEdit96",
                                               "RzEdit97", "RzEdit98", "RzEdit111"};
    switch (pick(0, 5)) {
      case 0: note("level"); typeInto("edt3", QString::number(-pick(0, 60))); break;
      case 1: note("gain"); typeInto(kGains[pick(0, 5)], QString::number(pick(-240, 150) / 10.0)); break;
      case 2: note("freq"); typeInto(kFrequencies[pick(0, 5)], QString::number(pick(20, 20000))); break;
      case 3: note("filter"); typeInto(pick(0, 1) ? "RzEdit205" : "RzEdit206", QString::number(pick(20, 21900))); break;
      case 4: note("delay"); typeInto("RzEdit18", QString::number(pick(0, 2000) / 100.0)); break;
      default: note("reset"); click(form->equalizer.RzButton97); break;
    }
  }

  void act() {
    auto& a = form->areas;
    switch (pick(0, 14)) {
      case 0: case 1: edit(); break;
      case 2: note("connect"); click(a.Button3); break;
      case 3:
        note("slot");
        a.RzComboBox10->setCurrentIndex(pick(0, a.RzComboBox10->count() - 1));
        click(a.RzButton9);
        break;
      case 4: note("savefile"); click(a.Button6); break;
      case 5: note("saveall"); click(a.Button4); break;
      case 6: note("loadfile"); click(a.Button7); break;
      case 7: note("loadall"); click(a.Button5); break;
      case 8: {
        note("search");
        // Refused while connected; otherwise the whole search runs inside the click.
        const bool runs = !form->sessions.link.PortOpen() && a.Button8->isVisible() && a.Button8->isEnabled();
        click(a.Button8);
        if (runs) checkSearchResults();
        break;
      }
      case 9:
        note("deviceid");
        a.RzEdit2->setText(QString::number(pick(1, 3)));
        click(a.Button1);
        break;
      case 10: {
        note("name");
        a.RzComboBox11->setCurrentIndex(pick(0, a.RzComboBox11->count() - 1));
        if (a.RzEdit1->isEnabled()) a.RzEdit1->setText("Show " + QString::number(pick(1, 99)));
        // Now and then the click comes just after a status poll left (a save that failed on a
        // real adapter left 49 ms after one): the poll's reply and the save's acknowledgement
        // then arrive in one read.
        if (pick(0, 1) == 0) afterNextPoll(pick(0, 60));
        const bool answered = nameSaveIsAnswered();
        const std::size_t shown = dialogs.messages.size();
        click(a.RzButton10);
        if (answered) checkNameSaved(shown);
        break;
      }
      case 11: note("broadcast"); click(a.RzButton8); break;
      case 12:
        note("groupdata");
        if (pick(0, 1)) {
          a.RzEdit3->setText(QString::number(pick(1, 2)));
          click(a.Button10);
        } else {
          click(a.Button11);
        }
        break;
      default: note("wait"); scheduler.advanceMs(pick(0, 8000)); break;
    }
  }

  // What must hold after every step.
  std::string check() {
    const auto& a = form->areas;
    const QString caption = a.Button3->text();
    if (caption != "Connect" && caption != "Disconnect") return "caption " + caption.toStdString();
    if (caption == "Disconnect" && !form->sessions.link.PortOpen()) return "Disconnect with no port open";
    if (form->sessions.link.ReceiveText.size() >= 1000)
      return "ReceiveText " + std::to_string(form->sessions.link.ReceiveText.size());
    if (!form->sessions.link.PortOpen()) {
      if (form->sessions.timers.Timer1.isActive()) return "Timer1 with no port";
      if (form->sessions.timers.sendTimer.isActive()) return "sendTimer with no port";
      if (form->sessions.timers.intimer.isActive()) return "intimer with no port";
    }
    if (caption == "Connect" && !form->search.running() && form->sessions.flags.Searching == 0 &&
        form->sessions.link.PortOpen() && !form->sessions.timers.chcon.isActive() &&
        !form->sessions.timers.chcon112.isActive() && !form->sessions.timers.chcon188.isActive())
      return "a port left open with nothing using it";
    const bool waiting = a.RzGroupBox1->isVisibleTo(&form->window());
    if (waiting) {
      if (waitSinceMs_ < 0) waitSinceMs_ = scheduler.nowMs();
      if (scheduler.nowMs() - waitSinceMs_ > kLongestWaitMs) return "wait box left up";
    } else {
      waitSinceMs_ = -1;
    }
    static const char* const kFiles[] = {"one.sps", "all.fps", "junk.sps", "changed.sps",
                                         "changed.fps"};
    for (const char* name : kFiles) {
      if (std::string e = checkFile(folder / name); !e.empty()) return e;
    }
    for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
      const std::string n = entry.path().filename().string();
      if (std::find(std::begin(kFiles), std::end(kFiles), n) == std::end(kFiles))
        return "stray file " + n;
    }
    // A file with a wrong check byte is never uploaded: no block of the changed files went up.
    for (const auto& w : bus.writes(kPort)) {
      if (w.bytes.size() == kPresetDataLength + 2 &&
          std::equal(std::begin(kChangedMark), std::end(kChangedMark), w.bytes.begin()))
        return "a block of a changed file was uploaded at " + std::to_string(w.timeUs / 1000);
    }
    if (!searchProblem_.empty()) return searchProblem_;
    if (!nameSaveProblem_.empty()) return nameSaveProblem_;
    return {};
  }

  // Every search result is a device at that address: a late reply or one that answers twice
  // names no other address. A reply the line damaged is refused by its check byte, but an
  // exclusive-or byte cannot see every damage (two flipped bits of one place, two replies that
  // collide): with byte corruption on, or two devices on one address, a hit can name an address
  // no device has, and the program cannot know better.
  void checkSearchResults() {
    constexpr int kPortNumber = 3;  // COM3, the one port
    if (device->faults().corruptRate > 0 || device->busAddress() == twin->busAddress()) return;
    const SearchHits& hits = form->search.hits();
    for (int address = 0; address < SearchHits::kAddressCount; ++address) {
      if (!hits.hit(kPortNumber, address)) continue;
      if (address != device->busAddress() && address != twin->busAddress())
        searchProblem_ = "the search lists DeviceId " + std::to_string(address + 1) +
                         " where no device is";
    }
  }

  // Lets time pass until the next status poll is written (half a second at most), then ms more.
  void afterNextPoll(int ms) {
    if (!bus.hasPort(kPort)) return;
    const auto polls = [this] {
      const auto& w = bus.writes(kPort);
      return std::count_if(w.begin(), w.end(), [](const SimBus::Write& x) {
        return x.bytes.size() == 12 && x.bytes[4] == command::kRead &&
               x.bytes[6] == group::kStatusRecord;
      });
    };
    const auto before = polls();
    for (int waited = 0; waited < 600 && polls() == before; ++waited) scheduler.advanceMs(1);
    scheduler.advanceMs(ms);
  }

  // A name save on a connected, polling link to a device that answers whole and in time.
  bool nameSaveIsAnswered() const {
    const auto& a = form->areas;
    const DeviceFaults& f = device->faults();
    return a.RzButton10->isVisible() && a.RzButton10->isEnabled() &&
           a.Button3->text() == "Disconnect" && form->sessions.link.PortOpen() &&
           !form->sessions.address.BroadcastMode && form->sessions.timers.Timer1.isActive() &&
           !form->sessions.timers.chcon.isActive() && !form->sessions.timers.chcon112.isActive() &&
           !form->sessions.timers.chcon188.isActive() && form->sessions.flags.SaveAckAwaited == 0 &&
           form->sessions.address.BusAddress == device->busAddress() && bus.hasPort(kPort) && !f.silent &&
           f.dropRate == 0 && f.corruptRate == 0 && f.lateByUs <= 500'000 &&
           twin->faults().silent;
  }
  // The device took the name and acknowledged it: the window must say so.
  void checkNameSaved(std::size_t shownBefore) {
    scheduler.advanceMs(DevicePresets::kSaveAckTimeoutMs + 100);
    for (std::size_t m = shownBefore; m < dialogs.messages.size(); ++m)
      if (dialogs.messages[m].text == "Successfully save.") return;
    nameSaveProblem_ = "a name save the device acknowledged was not reported saved";
  }

  // A preset file is absent, as it was, or a complete valid new file.
  std::string checkFile(const std::filesystem::path& p) {
    if (!std::filesystem::exists(p)) return known_.count(p) ? p.filename().string() + " vanished" : "";
    const std::string content = readAll(p);
    auto it = known_.find(p);
    if (it != known_.end() && it->second == content) return {};
    const auto lines = SplitTextLines(content);
    bool valid = false;
    if (p.extension() == ".fps") valid = IsValidAllPresetsFile(lines);
    else valid = lines.size() == 1 && IsValidPresetBlockText(lines[0]);
    if (!valid || content.size() < 2 || content.substr(content.size() - 2) != "\r\n")
    {
      std::string shape;
      for (const auto& l : lines)
        shape += std::to_string(l.size()) + (IsValidPresetBlockText(l) ? "+" : "-") + " ";
      return p.filename().string() + " is neither the old file nor a whole new one (lines " +
             shape + ")";
    }
    // Each block as the device sent it, once, in its own line: the stored block i in line i of
    // an all-presets file, the active preset in a single-preset file.
    for (std::size_t i = 0; i < lines.size(); ++i) {
      const bool all = p.extension() == ".fps";
      const int index = frameByte(lines[i], 5), group = frameByte(lines[i], 6);
      if (index != (all ? static_cast<int>(i) + 1 : 0) || group != (all ? 0x29 : 0x28))
        return p.filename().string() + " line " + std::to_string(i + 1) + " holds block " +
               std::to_string(index) + " of group " + std::to_string(group);
      if (!HasIntactFrame(lines[i]))
        return p.filename().string() + " line " + std::to_string(i + 1) + " is a damaged block";
    }
    known_[p] = content;
    return {};
  }

  static int frameByte(const std::string& text, std::size_t k) {
    return HexDigitValue(text[2 * k]) * 16 + HexDigitValue(text[2 * k + 1]);
  }

  // Once every time-out has passed with a healthy line: nothing waits, and the timers match the
  // link.
  std::string checkSettled() {
    const auto& a = form->areas;
    if (a.RzGroupBox1->isVisibleTo(&form->window())) return "wait box still up when settled";
    if (form->search.running() || form->sessions.flags.Searching != 0) return "search still running";
    const bool connected = a.Button3->text() == "Disconnect";
    if (connected != form->sessions.link.PortOpen()) return "caption does not match the port";
    // While the SendPump writes a slot it holds the poll off (Timer7, then Timer4 resumes it).
    const bool pumpHoldsPoll = form->sessions.timers.Timer7.isActive() || form->sessions.timers.Timer4.isActive();
    // In BroadcastMode no device answers, so nothing polls.
    if (connected && !form->sessions.address.BroadcastMode && !form->sessions.timers.Timer1.isActive() &&
        !pumpHoldsPoll)
      return "connected without the poll";
    // A BroadcastMode connection offers the initial data first; editing waits until it is sent.
    const bool offersInitialData =
        form->sessions.address.BroadcastMode && a.initialDataBox->isVisibleTo(&form->window());
    if (!a.RzGroupBox12->isEnabled() && connected && !offersInitialData)
      return "editing boxes left disabled";
    return {};
  }

  std::mt19937 random_;
  std::string log_;
  std::string searchProblem_;
  std::string nameSaveProblem_;
  std::int64_t waitSinceMs_ = -1;
  std::map<std::filesystem::path, std::string> known_;
};

// Found by the scenarios (seed 4): a time-out that ends a wait restarted the status poll and the
// SendPump even when the port had left the system during the wait and the link was closed, so
// the poll ran against no port.
class TimeOutAfterTheLinkWentAway : public ::testing::Test {
 protected:
  void connectThenUnplug(const std::function<void(Scenario&)>& start, int waitMs) {
    Scenario s(1);
    s.form->areas.Button3->click();
    s.scheduler.advanceMs(3000);
    ASSERT_EQ(s.form->areas.Button3->text(), "Disconnect");
    s.bus.removePort(Scenario::kPort);
    start(s);
    s.scheduler.advanceMs(waitMs);
    EXPECT_FALSE(s.form->sessions.link.PortOpen());
    EXPECT_EQ(s.form->areas.Button3->text(), "Connect");
    EXPECT_FALSE(s.form->sessions.timers.Timer1.isActive());
    EXPECT_FALSE(s.form->sessions.timers.sendTimer.isActive());
  }
};

TEST_F(TimeOutAfterTheLinkWentAway, LoadingASlotDoesNotRestartThePoll) {
  connectThenUnplug([](Scenario& s) { s.form->areas.RzButton9->click(); }, 13000);
}

TEST_F(TimeOutAfterTheLinkWentAway, SavingAllPresetsDoesNotRestartThePoll) {
  connectThenUnplug([](Scenario& s) { s.form->areas.Button4->click(); }, 17000);
}

TEST_F(TimeOutAfterTheLinkWentAway, ASearchHoldingThePortIsNoConnectionToResume) {
  // The slot load's time-out falls inside the search that followed the lost link.
  connectThenUnplug([](Scenario& s) { s.form->areas.RzButton9->click(); }, 4000);
  Scenario s(1);
  s.form->areas.Button3->click();
  s.scheduler.advanceMs(3000);
  ASSERT_EQ(s.form->areas.Button3->text(), "Disconnect");
  s.device->faults().silent = true;
  s.form->areas.RzButton9->click();
  s.bus.removePort(Scenario::kPort);
  s.scheduler.advanceMs(5000);
  ASSERT_EQ(s.form->areas.Button3->text(), "Connect");
  s.bus.addPort(Scenario::kPort);
  const std::int64_t searchedAtMs = s.scheduler.nowMs();
  s.form->areas.Button8->click();  // the whole search runs inside the click
  ASSERT_GT(s.scheduler.nowMs() - searchedAtMs, 8000) << "the time-out must fall in the search";
  EXPECT_FALSE(s.form->sessions.link.PortOpen());
  EXPECT_FALSE(s.form->sessions.timers.Timer1.isActive());
  EXPECT_FALSE(s.form->sessions.timers.sendTimer.isActive());
}

// A day of polling in virtual time: one device, an edit every three seconds, and now and then a
// stretch of silence, dropped or corrupted bytes. Every edit either reaches the device's memory
// or the watchdog reports the link lost; nothing the program keeps grows with time.
// LYRA_SOAK_MINUTES sets the virtual duration (60 by default; 1440 for the whole day).
TEST(Soak, EditsReachTheDeviceOrTheLossIsReportedAndNothingGrows) {
  const int minutes = envInt("LYRA_SOAK_MINUTES", 60);
  Scenario s(20261207);
  std::mt19937 random(7);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
  const std::string kLost = "CONNECTION INTERRUPTED!\rPlease check data cables and reconnect.";
  auto& a = s.form->areas;
  auto* level = s.form->window().findChild<QLineEdit*>("edt3");
  ASSERT_NE(level, nullptr);
  a.Button3->click();
  s.scheduler.advanceMs(3000);
  ASSERT_EQ(a.Button3->text(), "Disconnect");

  int edits = 0, reached = 0, reportedLost = 0, reconnects = 0, faultStretches = 0;
  std::size_t peakReceive = 0, peakPendingLate = 0, pendingEarly = 0;
  const int presetSlots = a.RzComboBox10->count();
  std::int64_t faultEndsMs = 0;
  std::array<std::uint8_t, kRowBytes> lastRow{};
  const std::int64_t endMs = s.scheduler.nowMs() + std::int64_t{minutes} * 60'000;
  for (int tick = 0; s.scheduler.nowMs() < endMs; ++tick) {
    // Mostly healthy; about one minute in four has a fault stretch of a few seconds.
    if (s.scheduler.nowMs() >= faultEndsMs) s.device->faults() = {};
    if (tick % 20 == 0 && pick(0, 3) == 0) {
      ++faultStretches;
      DeviceFaults& f = s.device->faults();
      switch (pick(0, 2)) {
        case 0: f.silent = true; break;
        case 1: f.dropRate = 0.02; break;
        default: f.corruptRate = 0.02; break;
      }
      faultEndsMs = s.scheduler.nowMs() + pick(2, 20) * 1000;
    }
    const std::size_t messagesBefore = s.dialogs.messages.size();
    const bool connected = a.Button3->text() == "Disconnect";
    bool edited = false;
    if (connected && level->isEnabled()) {
      QTest::mouseClick(level, Qt::LeftButton);
      QTest::keyClicks(level, QString::number(-1 - tick % 59));
      QTest::keyClick(level, Qt::Key_Return);
      ++edits;
      edited = true;
    } else if (!connected && a.Button3->isEnabled()) {
      a.Button3->click();
      ++reconnects;
    }
    s.scheduler.advanceMs(3000);

    bool lost = false;
    for (std::size_t m = messagesBefore; m < s.dialogs.messages.size(); ++m)
      lost = lost || s.dialogs.messages[m].text == kLost;
    // The last main-row write the program sent must stand in the device's memory and carry the
    // level the window shows (a typed value equal to the last one sends nothing new).
    for (const auto& w : s.bus.writes(Scenario::kPort))
      if (w.bytes.size() == 20 && w.bytes[4] == 0xA1 && w.bytes[6] == 0x03 && w.bytes[7] == 0)
        std::copy(w.bytes.begin() + 10, w.bytes.begin() + 18, lastRow.begin());
    if (edited && lastRow != std::array<std::uint8_t, kRowBytes>{}) {
      DeviceMemory copy = s.device->memory();
      const bool inMemory = copy.writeRow(0x03, 0, lastRow) &&
                            copy.active == s.device->memory().active &&
                            (lastRow[2] | lastRow[3] << 8) == s.form->sessions.image.main.systemLevel;
      if (inMemory) ++reached;
      else if (lost) ++reportedLost;
      else FAIL() << "edit " << edits << " at " << s.scheduler.nowMs() << " ms neither reached "
                  << "the device nor was reported lost";
    }
    for (const char* port : {Scenario::kPort}) s.bus.clearWrites(port);
    peakReceive = std::max(peakReceive, s.form->sessions.link.ReceiveText.size());
    ASSERT_LT(s.form->sessions.link.ReceiveText.size(), 1000u);
    ASSERT_EQ(a.RzComboBox10->count(), presetSlots);
    ASSERT_FALSE(!s.form->sessions.link.PortOpen() && s.form->sessions.timers.Timer1.isActive());
    const std::size_t pending = s.scheduler.pendingCount();
    if (tick < 200) pendingEarly = std::max(pendingEarly, pending);
    else peakPendingLate = std::max(peakPendingLate, pending);
    // Only the latest message matters to the run; keeping them all would be the test's growth.
    if (s.dialogs.messages.size() > 100) s.dialogs.messages.clear();
  }
  std::printf("soak: %d min virtual, %d edits, %d reached, %d reported lost, %d reconnect clicks, "
              "%d fault stretches, peak ReceiveText %zu, pending events early %zu late %zu\n",
              minutes, edits, reached, reportedLost, reconnects, faultStretches, peakReceive,
              pendingEarly, peakPendingLate);
  EXPECT_GT(reached, edits / 2);
  EXPECT_LE(peakPendingLate, pendingEarly + 4) << "the scheduler queue grows";
}

class FaultScenarios : public ::testing::TestWithParam<int> {};

TEST_P(FaultScenarios, EveryStepLeavesTheWindowInADefinedState) {
  const int only = envInt("LYRA_SCENARIO_SEED", -1);
  const int total = envInt("LYRA_SCENARIOS", 1200);
  const int first = envInt("LYRA_SCENARIO_FIRST", 1);  // to run fresh seeds after a long run
  const int perCase = (total + kCases - 1) / kCases;
  int ran = 0;
  for (int i = 0; i < perCase; ++i) {
    const int seed = only >= 0 ? only : first + GetParam() * perCase + i;
    if (only >= 0 && GetParam() != 0) break;
    if (only < 0 && seed >= first + total) break;
    SCOPED_TRACE("seed " + std::to_string(seed) + " (replay: LYRA_SCENARIO_SEED=" +
                 std::to_string(seed) + ")");
    Scenario s(static_cast<std::uint32_t>(seed));
    const std::string broken = s.run(kStepsPerScenario);
    ASSERT_EQ(broken, "") << "seed " << seed;
    ++ran;
    if (only >= 0) break;
  }
  RecordProperty("scenarios", ran);
  EXPECT_GT(ran, 0);
}

INSTANTIATE_TEST_SUITE_P(Seeds, FaultScenarios, ::testing::Range(0, kCases));

// Seeds from a 10,000-scenario run: a preset block for a file arrived during the disconnect's
// 50 ms wait and restarted the poll, which then ran with no port open.
TEST(FaultScenarioRegressions, RepliesDuringTheDisconnectWaitLeaveNoPollRunning) {
  for (int seed : {2940, 3895, 6830, 7623, 8849}) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    Scenario s(static_cast<std::uint32_t>(seed));
    EXPECT_EQ(s.run(kStepsPerScenario), "");
  }
}

// Seeds from a run of fresh seeds after 10,000: "Save this preset to PC" had its block, and a
// load begun before the save dialog asked emptied the lines to save, so an empty file was written.
TEST(FaultScenarioRegressions, ALoadBeforeTheSaveDialogLeavesNoEmptyFile) {
  for (int seed : {13239, 16263}) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    Scenario s(static_cast<std::uint32_t>(seed));
    EXPECT_EQ(s.run(kStepsPerScenario), "");
  }
}

// One digit of a saved file changed since: the file was uploaded as it stood, the changed byte
// into the device. Each load from the PC now refuses it whole, with nothing sent.
TEST(FaultScenarioRegressions, AFileWithAChangedDigitIsRefusedWholeAndNothingIsSent) {
  Scenario s(1);
  auto& a = s.form->areas;
  a.Button3->click();
  s.scheduler.advanceMs(3000);
  ASSERT_EQ(a.Button3->text(), "Disconnect");
  for (QAbstractButton* button : {static_cast<QAbstractButton*>(a.Button7),
                                  static_cast<QAbstractButton*>(a.Button5)}) {
    s.dialogs.opens = button == a.Button7 ? "changed.sps" : "changed.fps";
    const std::size_t shown = s.dialogs.messages.size();
    button->click();
    s.scheduler.advanceMs(25000);
    ASSERT_EQ(s.dialogs.messages.size(), shown + 1) << *s.dialogs.opens;
    EXPECT_EQ(s.dialogs.messages[shown].text, "File damaged.");
  }
  for (const auto& w : s.bus.writes(Scenario::kPort)) {
    EXPECT_FALSE(w.bytes.size() == kPresetDataLength + 2 &&
                 std::equal(std::begin(kChangedMark), std::end(kChangedMark), w.bytes.begin()))
        << "a changed block went up at " << w.timeUs / 1000 << " ms";
    EXPECT_NE(w.bytes.size() > 6 ? w.bytes[4] : 0, command::kWrite) << "nothing is written";
  }
  EXPECT_TRUE(s.form->sessions.timers.Timer1.isActive());
}

// Seeds whose name save left just after a status poll, with the device's replies gathered into
// one packet: the poll's reply and the save's acknowledgement came in one read, the parser
// stopped after the status reply, and a name the device took was reported as a time-out.
// Seed 1366 (from a 10,000-scenario run): the read ended two bytes into the acknowledgement's
// preamble, and those two bytes were thrown away with the rest of the text.
TEST(FaultScenarioRegressions, ANameSaveAcknowledgedWithAPollReplyIsReportedSaved) {
  for (int seed : {172, 192, 1366}) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    Scenario s(static_cast<std::uint32_t>(seed));
    EXPECT_EQ(s.run(kStepsPerScenario), "");
  }
}

// A seed from a 10,000-scenario run: a slot load's block, repeated by a device answering twice,
// came while the active preset was being saved and became the file.
TEST(FaultScenarioRegressions, ASlotLoadsRepeatedBlockIsNotSavedAsTheActivePreset) {
  Scenario s(7673u);
  EXPECT_EQ(s.run(kStepsPerScenario), "");
}

}  // namespace
}  // namespace lyra::test
