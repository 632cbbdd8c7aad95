// Typed numbers: what parses, and the level and delay steps they give.

#include "edits/TypedNumber.h"
#include "edits/TypedEdits.h"

#include <gtest/gtest.h>

namespace lyra {
namespace {

TEST(TypedNumber, AcceptsOnlyASignedDecimalWithNothingAfterIt) {
  for (const char* good : {"0", "12", "-3", "-3.5", ".5", "5.", "-.25", "007.50", "21900"}) {
    EXPECT_TRUE(ParseTypedNumber(good).has_value()) << good;
  }
  for (const char* bad : {"", "-", ".", "-.", "500 Hz", "0.000 ms", "Mute", "1,5", "1.2.3", " 5",
                          "5 ", "+5", "--5", "5-", "1e3", "inf", "nan", "0x10"}) {
    EXPECT_FALSE(ParseTypedNumber(bad).has_value()) << bad;
  }
}

TEST(TypedNumber, ValueAndBillionthsAgree) {
  const auto n = ParseTypedNumber("-3.5");
  ASSERT_TRUE(n);
  EXPECT_DOUBLE_EQ(n->value, -3.5);
  EXPECT_EQ(n->nanos, -3'500'000'000);
  // Digits past the ninth round toward minus infinity, so a truncation of the result is never
  // pushed up by them.
  EXPECT_EQ(ParseTypedNumber("0.0000000019")->nanos, 1);
  EXPECT_EQ(ParseTypedNumber("-0.0000000011")->nanos, -2);
  EXPECT_EQ(ParseTypedNumber("-0.0000000010000")->nanos, -1);
  // Huge values saturate but keep their sign, so they still clamp to the right end.
  EXPECT_EQ(ParseTypedNumber("99999999999999999999")->nanos, TypedNumber::kSaturatedNanos);
  EXPECT_EQ(ParseTypedNumber("-99999999999999999999")->nanos, -TypedNumber::kSaturatedNanos);
}

TEST(TypedNumber, NumbersBeingTypedAreToldFromTextsTheProgramWrote) {
  for (const char* soFar : {"", "-", ".", "-.", "-3", "0.", "12.5"}) {
    EXPECT_TRUE(IsNumberSoFar(soFar)) << soFar;
  }
  for (const char* written : {"0.000 ms", "-3.0 dB", "Mute", "1.2.3", "3-", "--"}) {
    EXPECT_FALSE(IsNumberSoFar(written)) << written;
  }
}

int System(const char* db) {
  return SystemSliderPositionFromTyped(*ParseTypedNumber(db));
}
int Satellite(const char* db) {
  return SatelliteLevelFromTyped(*ParseTypedNumber(db));
}
int Delay(const char* ms) {
  return DelayStepsFromTyped(*ParseTypedNumber(ms));
}

TEST(TypedNumber, SystemLevelClampsTruncatesAndNeverMutes) {
  EXPECT_EQ(System("-3"), 15);  // L = 286
  EXPECT_EQ(System("0"), 0);
  EXPECT_EQ(System("10"), 0);     // clamped to 0.0 dB
  EXPECT_EQ(System("-60"), 300);  // -60.0 dB, not muted
  EXPECT_EQ(System("-80"), 300);
  EXPECT_EQ(System("-0.1"), 1);     // truncated to the next step down: -0.2 dB
  EXPECT_EQ(System("-59.6"), 298);  // exactly on the grid: no step lost to binary rounding
  EXPECT_EQ(System("-12.4"), 62);
}

TEST(TypedNumber, SatelliteLevelClampsAndTruncates) {
  EXPECT_EQ(Satellite("7"), 250);
  EXPECT_EQ(Satellite("5"), 250);
  EXPECT_EQ(Satellite("-25"), 0);
  EXPECT_EQ(Satellite("0"), 200);
  EXPECT_EQ(Satellite("-19.8"), 2);  // on the grid: 2 steps, not 1
  EXPECT_EQ(Satellite("-19.85"), 1);
  EXPECT_EQ(Satellite("4.99"), 249);
}

TEST(TypedNumber, DelayClampsAndTruncatesToSteps) {
  EXPECT_EQ(Delay("1.05"), 50);
  EXPECT_EQ(Delay("0.042"), 2);
  EXPECT_EQ(Delay("1"), 47);
  EXPECT_EQ(Delay("9"), 407);
  EXPECT_EQ(Delay("100"), 407);
  EXPECT_EQ(Delay("8.547"), 407);
  EXPECT_EQ(Delay("0"), 0);
  EXPECT_EQ(Delay("0.02"), 0);
  EXPECT_EQ(Delay("0.567"), 27);  // a multiple of 0.021 ms gives exactly its steps
  EXPECT_EQ(Delay("-5"), 0);      // pasted, since "-" cannot be typed
}

TEST(TypedNumber, KeyFilter) {
  for (char c : std::string("0123456789.")) {
    EXPECT_EQ(FilterTypedCharacter(c, false), c);
  }
  EXPECT_EQ(FilterTypedCharacter(',', false), '.');
  EXPECT_EQ(FilterTypedCharacter('-', true), '-');
  EXPECT_FALSE(FilterTypedCharacter('-', false));
  for (char c : std::string("aHz +eE/ ")) EXPECT_FALSE(FilterTypedCharacter(c, true)) << c;
}

}  // namespace
}  // namespace lyra

namespace lyra {
namespace {

// The Mute button as the window's slider completes it, owned here so the tool's "mute=off"
// cannot drift from the window: a level above 0.0 dB comes back as 0.0 dB.
TEST(SystemMute, PressingItKeepsTheLevelAndBringsItBackNoHigherThanZeroDb) {
  MainSettings main;
  main.systemLevel = kSystemLevelZeroDb - 15;  // -3.0 dB
  pressSystemMute(main);
  EXPECT_EQ(main.systemLevel, 0);
  EXPECT_EQ(main.savedSystemLevel, kSystemLevelZeroDb - 15);
  pressSystemMute(main);
  EXPECT_EQ(main.systemLevel, kSystemLevelZeroDb - 15);

  main.systemLevel = kSystemLevelZeroDb + 20;  // +4.0 dB, from a device's own preset
  pressSystemMute(main);
  EXPECT_EQ(main.systemLevel, 0);
  pressSystemMute(main);
  EXPECT_EQ(main.systemLevel, kSystemLevelZeroDb);

  main = MainSettings{};  // muted with nothing to bring back
  pressSystemMute(main);
  EXPECT_EQ(main.systemLevel, 0);
}

}  // namespace
}  // namespace lyra
