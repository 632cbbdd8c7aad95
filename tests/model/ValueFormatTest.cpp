#include <gtest/gtest.h>

#include <clocale>
#include <locale>
#include <string>
#include <vector>

#include "model/ParameterScales.h"
#include "model/ValueFormat.h"

namespace lyra {
namespace {

struct Shown {
  std::string text;
  std::string expected;
};

std::vector<Shown> WorkedTexts() {
  return {
      {FormatFrequency(FrequencyScale[0]), "19.7 Hz"},
      {FormatFrequency(FrequencyScale[136]), "1000 Hz"},
      {FormatFrequency(FrequencyScale[216]), "10000 Hz"},
      {FormatFrequency(FrequencyScale[243]), "21900 Hz"},
      {FormatQ(QScale[0]), "0.2"},
      {FormatQ(QScale[2]), "0.6"},
      {FormatQ(QScale[4]), "1"},
      {FormatQ(QScale[179]), "36"},
      {FormatDb(GainScale[0]), "-24.0 dB"},
      {FormatDb(GainScale[120]), "0.0 dB"},
      {FormatDb(GainScale[180]), "12.0 dB"},
      {FormatDb(GainScale[147]), "5.4 dB"},
      {FormatDb(LevelScale[80]), "-12.0 dB"},
      {FormatDb(-0.0), "0.0 dB"},
      {FormatDb(-0.04), "0.0 dB"},
      {FormatMs(DelayMs(407)), "8.547 ms"},
      {FormatMetres(DelayMetres(407)), "2.944 m"},
      {FormatFeet(DelayFeet(407)), "9.659 ft"},
      {FormatMs(DelayMs(47)), "0.987 ms"},
      {FormatMs(DelayMs(0)), "0.000 ms"},
      {FormatMetres(DelayMetres(50)), "0.362 m"},
      {FormatFeet(DelayFeet(50)), "1.187 ft"},
      {FormatMs(DelayMs(300)), "6.300 ms"},
  };
}

TEST(ValueFormat, WorkedTextsStandCharacterForCharacter) {
  for (const auto& s : WorkedTexts()) EXPECT_EQ(s.text, s.expected);
}

TEST(ValueFormat, EveryTableEntryReadsBackFromItsText) {
  for (double hz : FrequencyScale) {
    const std::string text = FormatFrequency(hz);
    EXPECT_EQ(std::stod(text), hz) << text;
    EXPECT_EQ(text.find('e'), std::string::npos) << text;
  }
  for (double q : QScale) EXPECT_EQ(std::stod(FormatQ(q)), q);
}

// A desktop whose numbers use a decimal comma must still get the program's own texts. The C++
// global locale gets a comma always; the C locale too where the machine has such a locale.
struct CommaNumbers : std::numpunct<char> {
  char do_decimal_point() const override { return ','; }
  char do_thousands_sep() const override { return '.'; }
  std::string do_grouping() const override { return "\3"; }
};

class CommaLocale : public ::testing::Test {
 protected:
  void SetUp() override {
    std::locale::global(std::locale(std::locale::classic(), new CommaNumbers));
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8"}) {
      if (std::setlocale(LC_ALL, name) != nullptr) break;
    }
  }
  void TearDown() override {
    std::setlocale(LC_ALL, "C");
    std::locale::global(std::locale::classic());
  }
};

TEST_F(CommaLocale, TextsKeepTheDecimalPoint) {
  for (const auto& s : WorkedTexts()) EXPECT_EQ(s.text, s.expected);
}

}  // namespace
}  // namespace lyra
