// set's parameter model: every parameter parsed, stored through the window's typed-entry rules
// (the worked values of the window's own edits), and the rows the device then needs.

#include "cli/SetParameters.h"

#include <gtest/gtest.h>

namespace lyra::cli {
namespace {

Setting Parsed(const std::string& argument) {
  auto s = ParseSetting(argument);
  if (auto* e = std::get_if<std::string>(&s)) {
    ADD_FAILURE() << argument << ": " << *e;
    return {};
  }
  return std::get<Setting>(s);
}

std::string ErrorOf(const std::string& argument) {
  auto s = ParseSetting(argument);
  if (auto* e = std::get_if<std::string>(&s)) return *e;
  return "<accepted>";
}

class Set : public ::testing::Test {
 protected:
  SetResult set(const std::string& argument) { return edit.apply(Parsed(argument)); }
  std::vector<int> slots() const {
    std::vector<int> out;
    for (const SendRow& r : edit.rowsToSend()) out.push_back(r.sendSlot());
    return out;
  }
  Frame frameInSlot(int slot) const {
    for (const SendRow& r : edit.rowsToSend()) {
      if (r.sendSlot() == slot) return edit.frameFor(r, 0x00);
    }
    ADD_FAILURE() << "no frame for slot " << slot;
    return {};
  }

  PresetImage image;
  BandBypass bypass{};
  PresetEdit edit{image, bypass};
};

TEST_F(Set, SystemLevelAsTypedIntoTheSystemEdit) {
  image.main.systemLevel = kSystemLevelZeroDb;
  SetResult r = set("level=-3");
  EXPECT_EQ(r.stored, "-3.0 dB");
  EXPECT_FALSE(r.adjusted);
  EXPECT_EQ(image.main.systemLevel, 286);
  EXPECT_EQ(image.main.savedSystemLevel, 286) << "the level Mute brings back";
  const Frame f = frameInSlot(28);
  EXPECT_EQ(f[12], 0x1E);
  EXPECT_EQ(f[13], 0x01);
  EXPECT_EQ(set("level=10").stored, "0.0 dB");
  EXPECT_TRUE(edit.apply(Parsed("level=10")).adjusted);
  EXPECT_EQ(set("level=-80").stored, "-60.0 dB") << "typing never mutes";
  EXPECT_EQ(image.main.systemLevel, 1);
  EXPECT_EQ(set("level=-59.6").stored, "-59.6 dB") << "exact decimal steps";
  r = set("level=-0.1");
  EXPECT_EQ(r.stored, "-0.2 dB");
  EXPECT_TRUE(r.adjusted);
}

TEST_F(Set, SatelliteLevelAsTypedIntoTheSatelliteEdit) {
  EXPECT_EQ(set("sat.level=7").stored, "5.0 dB");
  EXPECT_EQ(image.way(Way::High).level, 250);
  EXPECT_EQ(set("sat.level=-25").stored, "-20.0 dB");
  EXPECT_EQ(image.way(Way::High).level, 0);
  const SetResult r = set("sat.level=-19.8");
  EXPECT_EQ(r.stored, "-19.8 dB");
  EXPECT_FALSE(r.adjusted);
  EXPECT_EQ(image.way(Way::High).level, 2);
  EXPECT_EQ(slots(), std::vector<int>{1}) << "the High channel's slot";
}

TEST_F(Set, DelaysTruncateToTheirStep) {
  SetResult r = set("delay=1.05");
  EXPECT_EQ(r.stored, "1.050 ms / 0.362 m / 1.187 ft");
  EXPECT_EQ(image.way(Way::Main).delaySteps, 50);
  EXPECT_EQ(frameInSlot(28)[14], 0x32);
  EXPECT_EQ(frameInSlot(28)[15], 0x00);
  r = set("delay=1");
  EXPECT_EQ(image.way(Way::Main).delaySteps, 47);
  EXPECT_EQ(r.stored.substr(0, 8), "0.987 ms");
  EXPECT_TRUE(r.adjusted);
  EXPECT_EQ(set("delay=0.567").stored.substr(0, 8), "0.567 ms");
  EXPECT_EQ(image.way(Way::Main).delaySteps, 27);
  set("delay=9");
  EXPECT_EQ(image.way(Way::Main).delaySteps, 407);
  EXPECT_EQ(set("delay=0.02").stored.substr(0, 8), "0.000 ms");
  EXPECT_EQ(set("delay=-5").stored.substr(0, 8), "0.000 ms") << "clamped, as a pasted -5 is";
  set("sat.delay=6.3");
  EXPECT_EQ(image.way(Way::High).delaySteps, 300);
  EXPECT_EQ(frameInSlot(1)[12], 0x2C);
  EXPECT_EQ(frameInSlot(1)[13], 0x01);
}

TEST_F(Set, BandValuesClampAndSnapToTheirScales) {
  SetResult r = set("eq1.freq=25000");
  EXPECT_EQ(r.stored, "21900 Hz");
  EXPECT_TRUE(r.adjusted);
  EXPECT_EQ(image.band(18).frequency, 243);
  EXPECT_EQ(set("eq1.freq=5").stored, "19.7 Hz");
  EXPECT_EQ(set("eq1.freq=20").stored, "19.7 Hz") << "midway takes the lower entry";
  EXPECT_EQ(set("eq1.freq=20.01").stored, "20.3 Hz");
  EXPECT_EQ(set("eq2.gain=-30").stored, "-24.0 dB");
  EXPECT_EQ(set("eq2.gain=12.1").stored, "12.0 dB");
  EXPECT_EQ(set("eq2.gain=-0.1").stored, "-0.2 dB");
  EXPECT_EQ(image.band(19).peqGain, 119);
  EXPECT_EQ(set("eq3.q=0.1").stored, "0.2");
  EXPECT_EQ(set("eq3.q=40").stored, "36");
  EXPECT_EQ(image.band(20).q, 179);
  r = set("eq6.gain=3.4");
  EXPECT_FALSE(r.adjusted);
  EXPECT_EQ(image.band(23).peqGain, 137);
  EXPECT_EQ(slots(), (std::vector<int>{30, 31, 32, 35}));
}

TEST_F(Set, AGainGoesToThePairTheBandsTypeUsesAndATypeChangeKeepsBoth) {
  EXPECT_EQ(set("eq1.type=LS").stored, "LS");
  EXPECT_EQ(set("eq1.gain=+6").stored, "6.0 dB");
  EXPECT_EQ(image.band(18).shelfGain, 150);
  EXPECT_EQ(image.band(18).peqGain, 120);
  EXPECT_EQ(set("eq1.type=peq").stored, "PEQ");
  EXPECT_EQ(image.band(18).shelfGain, 150);
  const Frame f = frameInSlot(30);
  EXPECT_EQ(f[11], 0);
  EXPECT_EQ(f[12], 120);
  EXPECT_EQ(f[14], 150) << "both gains travel";
}

TEST_F(Set, BypassSendsTheBandFlatWhileTheImageKeepsItsGain) {
  set("eq1.gain=6");
  image.band(18).shelfGain = 90;
  const SetResult r = set("eq1.bypass=on");
  EXPECT_EQ(r.stored, "on");
  EXPECT_TRUE(bypass[0]);
  EXPECT_EQ(image.band(18).peqGain, 150);
  const Frame f = frameInSlot(30);
  EXPECT_EQ(f[12], 0x78);
  EXPECT_EQ(f[13], 0x00);
  EXPECT_EQ(f[14], 90) << "the other pair as stored";
  EXPECT_TRUE(set("eq1.bypass=on").changedNothing);
  set("eq1.bypass=off");
  EXPECT_EQ(frameInSlot(30)[12], 150);
}

TEST_F(Set, FiltersSnapTheirFrequencyAndTakeTheWindowsTypeNames) {
  EXPECT_EQ(set("hpf=30").stored, "30.4 Hz");
  EXPECT_EQ(image.way(Way::Main).hpfFrequency, 15);
  EXPECT_EQ(set("lpf.type=24db-LR").stored, "24db-LR");
  EXPECT_EQ(image.way(Way::Main).lpfType, 7);
  const Frame f = frameInSlot(36);
  EXPECT_EQ(f[10], 15);
  EXPECT_EQ(f[14], 243) << "the unchanged low-pass frequency";
  EXPECT_EQ(f[15], 7);
  EXPECT_EQ(set("hpf=25000").stored, "21900 Hz") << "above the low-pass is allowed";
}

TEST_F(Set, SwitchesThatAlreadyShowTheValueSendNothing) {
  EXPECT_TRUE(set("hpf.type=12db-Bworth").changedNothing);
  EXPECT_TRUE(set("eq4.type=PEQ").changedNothing);
  EXPECT_TRUE(set("polarity=+").changedNothing);
  EXPECT_TRUE(set("sat.mute=off").changedNothing);
  EXPECT_TRUE(set("bass-enhancer=off").changedNothing);
  EXPECT_TRUE(edit.rowsToSend().empty());
}

TEST_F(Set, MuteKeepsTheLevelToBringBackAndSaysWhenThereIsNone) {
  image.main.systemLevel = 286;
  image.main.savedSystemLevel = 286;
  SetResult r = set("mute=on");
  EXPECT_EQ(r.stored, "on");
  EXPECT_EQ(image.main.systemLevel, 0);
  EXPECT_EQ(frameInSlot(28)[12], 0);
  EXPECT_EQ(set("mute=off").stored, "off");
  EXPECT_EQ(image.main.systemLevel, 286);

  PresetImage muted;  // a device that was muted when its preset was read
  BandBypass none{};
  PresetEdit mutedEdit(muted, none);
  r = mutedEdit.apply(Parsed("mute=off"));
  ASSERT_TRUE(r.problem);
  EXPECT_EQ(*r.problem, "the system stays Mute: it has no level to return to (set level= instead)");
  EXPECT_TRUE(mutedEdit.rowsToSend().empty());
  r = mutedEdit.apply(Parsed("level=-6"));
  EXPECT_EQ(r.stored, "-6.0 dB") << "typing a level un-mutes";
  ASSERT_TRUE(r.note) << "and says so";
  EXPECT_EQ(*r.note, "also unmutes the system");
  EXPECT_FALSE(mutedEdit.apply(Parsed("level=-5")).note) << "a level on an unmuted system";
}

TEST_F(Set, PolaritySatelliteMuteAndBassEnhancer) {
  EXPECT_EQ(set("polarity=-").stored, "Pol(-)");
  EXPECT_EQ(image.way(Way::Main).polarity, 1);
  EXPECT_EQ(set("sat.polarity=Pol(-)").stored, "Pol(-)");
  EXPECT_EQ(set("sat.mute=on").stored, "on");
  EXPECT_EQ(image.way(Way::High).unmuted, 0);
  EXPECT_EQ(frameInSlot(1)[11], 0x00);
  EXPECT_EQ(set("bass-enhancer=ON").stored, "on");
  EXPECT_EQ(frameInSlot(28)[10], 1);
}

TEST_F(Set, EachRowIsSentOnceFromTheFinalImageInSlotOrder) {
  image.main.systemLevel = kSystemLevelZeroDb;
  for (const char* a : {"eq2.freq=1000", "level=-6", "hpf=80", "delay=2", "eq2.gain=-3",
                        "lpf.type=24db-Bessel", "sat.level=-3"}) {
    set(a);
  }
  EXPECT_EQ(slots(), (std::vector<int>{1, 28, 31, 36}));
  const Frame channel = frameInSlot(28);
  EXPECT_EQ(channel[12] | channel[13] << 8, 271) << "-6.0 dB";
  EXPECT_EQ(channel[14], 95) << "2 ms in the same frame";
  const Frame band = frameInSlot(31);
  EXPECT_EQ(band[10], 136);
  EXPECT_EQ(band[12], 105);
  EXPECT_EQ(band[6], 0x06) << "Main band 2's group";
}

TEST(SetParsing, ValuesInTheWindowsUnitsAndItsDecimalPoint) {
  EXPECT_EQ(Parsed("hpf=80Hz").number->value, 80);
  EXPECT_EQ(Parsed("hpf=80 hz").number->value, 80);
  EXPECT_EQ(Parsed("eq1.gain=-3 dB").number->nanos, -3'000'000'000);
  EXPECT_EQ(Parsed("delay=1,05").number->nanos, 1'050'000'000) << "',' as in the window's edits";
  EXPECT_EQ(Parsed("delay=1.05ms").number->nanos, 1'050'000'000);
  EXPECT_EQ(Parsed("sat.level=+2").number->nanos, 2'000'000'000);
  EXPECT_EQ(Parsed("EQ3.Q=2").row, 2);
  EXPECT_EQ(Parsed("eq3.q=2").parameter, SetParameter::EqQ);
  EXPECT_EQ(Parsed("hpf.type=24DB-lr").choice, 7);
  EXPECT_EQ(Parsed("eq5.type=HS").choice, 2);
  EXPECT_EQ(Parsed("sat.polarity=-").choice, 1);
  EXPECT_EQ(Parsed("mute=off").choice, 0);
  // Every parameter of the list is known.
  for (const char* a : {"level=0", "mute=on", "polarity=+", "delay=0", "sat.level=0", "sat.mute=on",
                        "sat.polarity=+", "sat.delay=0", "hpf=20", "lpf=20", "hpf.type=12db-LR",
                        "lpf.type=12db-LR", "eq6.freq=20", "eq6.q=1", "eq6.gain=0", "eq6.type=LS",
                        "eq6.bypass=off", "bass-enhancer=on"}) {
    EXPECT_TRUE(std::holds_alternative<Setting>(ParseSetting(a))) << a;
  }
}

TEST(SetParsing, WrongSettingsSayWhatIsWrong) {
  EXPECT_EQ(ErrorOf("level"), "'level' is not PARAM=VALUE (for example eq1.gain=-3)");
  EXPECT_EQ(ErrorOf("=3"), "'=3' has no parameter before '='");
  EXPECT_EQ(ErrorOf("volume=3").substr(0, 47), "unknown parameter 'volume'; the parameters are ");
  EXPECT_EQ(ErrorOf("eq7.gain=1"), "eq7.gain: the equaliser has bands eq1..eq6");
  EXPECT_EQ(ErrorOf("eq0.gain=1"), "eq0.gain: the equaliser has bands eq1..eq6");
  EXPECT_EQ(ErrorOf("eq1.width=1"), "eq1.width: a band has freq, q, gain, type and bypass");
  EXPECT_EQ(ErrorOf("eq1.gain=loud"),
            "eq1.gain=loud: not a number; eq1.gain takes a gain in dB, -24..+12");
  EXPECT_EQ(ErrorOf("level=Mute"),
            "level=Mute: not a number; level takes a system level in dB, -60..0");
  EXPECT_EQ(ErrorOf("hpf=1e3"), "hpf=1e3: not a number; hpf takes a frequency in Hz, 19.7..21900");
  EXPECT_EQ(ErrorOf("delay="), "delay=: not a number; delay takes a delay in ms, 0..8.547");
  EXPECT_EQ(ErrorOf("eq1.q=2dB"), "eq1.q=2dB: not a number; eq1.q takes a Q value, 0.2..36");
  EXPECT_EQ(ErrorOf("mute=yes"), "mute=yes: mute takes on or off");
  EXPECT_EQ(ErrorOf("polarity=inverted"), "polarity=inverted: polarity takes + or -");
  EXPECT_EQ(ErrorOf("eq1.type=BP"), "eq1.type=BP: the band types are PEQ, LS and HS");
  EXPECT_EQ(ErrorOf("lpf.type=48db"),
            "lpf.type=48db: the filter types are 12db-Bworth, 12db-LR, 12db-Bessel, 18db-Bworth, "
            "18db-LR, 18db-Bessel, 24db-Bworth, 24db-LR, 24db-Bessel");
}

}  // namespace
}  // namespace lyra::cli
