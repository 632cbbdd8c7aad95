// Reading the measurement tools' equaliser settings: the files as REW, Equalizer APO and AutoEQ
// write them, and every refusal with the line it names.

#include "measure/EqSettingsText.h"

#include <gtest/gtest.h>

#include <string>

namespace lyra {
namespace {

EqSettings Parsed(const std::variant<EqSettings, std::string>& result) {
  if (const auto* error = std::get_if<std::string>(&result)) ADD_FAILURE() << *error;
  const auto* settings = std::get_if<EqSettings>(&result);
  return settings != nullptr ? *settings : EqSettings{};
}

std::string Refusal(std::string_view text) {
  const auto result = ParseEqSettings(text);
  const auto* error = std::get_if<std::string>(&result);
  return error != nullptr ? *error : "(accepted)";
}

// REW's "Filter Settings" export: a header, LS without Q, OFF and None lines up to filter 20.
constexpr std::string_view kRewExport =
    "Filter Settings file\n"
    "\n"
    "Room EQ V5.20.13\n"
    "Dated: 9 Dec 2026 10:12:45\n"
    "\n"
    "Notes: living room, left\n"
    "\n"
    "Equaliser: Generic\n"
    "Averages 1\n"
    "Filter  1: ON  PK       Fc   63.0 Hz  Gain  -3.0 dB  Q  4.00\n"
    "Filter  2: ON  PK       Fc    125 Hz  Gain  -6.2 dB  Q  2.21\n"
    "Filter  3: ON  LS       Fc   90.0 Hz  Gain   4.0 dB\n"
    "Filter  4: OFF PK       Fc   1000 Hz  Gain  -2.0 dB  Q  1.00\n"
    "Filter  5: ON  None\n"
    "Filter  6: ON  None\n"
    "Filter  7: ON  None\n"
    "Filter  8: OFF None\n"
    "Filter 20: ON  None\n";

TEST(EqSettingsText, ReadsRewExportWithItsHeader) {
  const EqSettings s = Parsed(ParseEqSettings(kRewExport));
  ASSERT_EQ(s.filters.size(), 6u);  // None and OFF lines past the sixth change nothing
  EXPECT_FALSE(s.preamp);
  const GivenFilter& first = s.filters[0];
  EXPECT_EQ(first.line, 10);
  EXPECT_TRUE(first.active);
  EXPECT_EQ(first.type, kPeakingBand);
  EXPECT_DOUBLE_EQ(first.frequency->value, 63.0);
  EXPECT_DOUBLE_EQ(first.gain->value, -3.0);
  EXPECT_DOUBLE_EQ(first.q->value, 4.0);
  EXPECT_EQ(first.text, "Filter  1: ON  PK       Fc   63.0 Hz  Gain  -3.0 dB  Q  4.00");
  EXPECT_EQ(s.filters[2].type, kLowShelfBand);
  EXPECT_FALSE(s.filters[2].q);
  EXPECT_FALSE(s.filters[3].active);
  EXPECT_DOUBLE_EQ(s.filters[3].frequency->value, 1000.0);
  EXPECT_FALSE(s.filters[4].active);
  EXPECT_FALSE(s.filters[4].frequency);
}

TEST(EqSettingsText, ReadsApoFileWithPreampAndComments) {
  const EqSettings s =
      Parsed(ParseEqSettings("# Living room, measured 2026-12-01\n"
                             "Preamp: -3 dB\n"
                             "Filter: ON PK Fc 63 Hz Gain -3 dB Q 4\n"
                             "   # the second mode\n"
                             "Filter: ON PEQ Fc 110 Hz Gain +2.5 dB Q 6   # raised\n"
                             "Filter3: OFF PK Fc 500 Hz Gain 0 dB Q 1\n"));
  ASSERT_EQ(s.filters.size(), 3u);
  ASSERT_TRUE(s.preamp);
  EXPECT_DOUBLE_EQ(s.preamp->value, -3.0);
  EXPECT_EQ(s.preampLine, 2);
  EXPECT_EQ(s.filters[1].line, 5);
  EXPECT_EQ(s.filters[1].type, kPeakingBand);
  EXPECT_DOUBLE_EQ(s.filters[1].gain->value, 2.5);
  EXPECT_FALSE(s.filters[2].active);
}

TEST(EqSettingsText, ReadsAutoEqFileWithBomAndCrlf) {
  const EqSettings s =
      Parsed(ParseEqSettings("\xEF\xBB\xBFPreamp: -6.2 dB\r\n"
                             "Filter 1: ON LSC Fc 105 Hz Gain 6.6 dB Q 0.70\r\n"
                             "Filter 2: ON PK Fc 200 Hz Gain -2.1 dB Q 0.95\r\n"
                             "Filter 3: ON PK Fc 1400 Hz Gain 1.8 dB Q 2.10\r\n"
                             "Filter 4: ON HSC Fc 10000 Hz Gain 3.1 dB Q 0.70\r\n"));
  ASSERT_EQ(s.filters.size(), 4u);
  EXPECT_DOUBLE_EQ(s.preamp->value, -6.2);
  EXPECT_EQ(s.filters[0].type, kLowShelfBand);
  EXPECT_DOUBLE_EQ(s.filters[0].q->value, 0.7);
  EXPECT_EQ(s.filters[3].type, kHighShelfBand);
  EXPECT_EQ(s.filters[3].text, "Filter 4: ON HSC Fc 10000 Hz Gain 3.1 dB Q 0.70");
}

TEST(EqSettingsText, RefusesTheWholeFileWithTheLineThatFails) {
  const std::string six = "Filter: ON PK Fc 100 Hz Gain -1 dB Q 1\n";
  std::string seven;
  for (int i = 0; i < 7; ++i) seven += six;
  const struct {
    std::string text;
    std::string refusal;
  } cases[] = {
      {"Filter 1: ON PK Fc 63 Hz Gain -3 dB Q 4\nFilter 2: ON HP Fc 40 Hz\n",
       "line 2: the equaliser has no filter of type HP (its bands are PK, LSC or HSC)"},
      {"Filter 1: ON NO Fc 63 Hz\n",
       "line 1: the equaliser has no filter of type NO (its bands are PK, LSC or HSC)"},
      {"Filter 1: ON LP Fc 8000 Hz\n",
       "line 1: the equaliser has no filter of type LP (its bands are PK, LSC or HSC)"},
      {"Filter 1: ON AP Fc 800 Hz Q 1\n",
       "line 1: the equaliser has no filter of type AP (its bands are PK, LSC or HSC)"},
      {"Filter 1: ON BP Fc 800 Hz Q 1\n",
       "line 1: the equaliser has no filter of type BP (its bands are PK, LSC or HSC)"},
      {"Filter 1: ON XYZ Fc 800 Hz\n",
       "line 1: the equaliser has no filter of type XYZ (a type this import does not know)"},
      {seven, "line 7: more than six active filters; the equaliser has six bands"},
      {"Filter: OFF PK Fc 1 Hz Gain 0 dB Q 1\n" + six + six + six + six + six + six,
       "line 7: an active filter after the sixth; filter N goes to band N"},
      {six + "Averages 1\n", "line 2: not a filter line"},
      {six + "Filter: ON PK Fc 63 Hz Gain -3 dB\n", "line 2: a PK filter needs its Q"},
      {"Filter: ON PK Fc abc Hz Gain -3 dB Q 1\n", "line 1: Fc \"abc\" is not a number"},
      {"Filter: ON PK Fc 0 Hz Gain -3 dB Q 1\n", "line 1: Fc must be above 0 Hz"},
      {"Filter: ON PK Fc 60 Hz Gain -3 dB Q 0\n", "line 1: Q must be above 0"},
      {"Filter: ON PK Fc 60 Hz Gain -3 dB BW 1\n", "line 1: \"BW\" is not Fc, Gain or Q"},
      {"Filter: ON PK Fc 60 Hz Fc 70 Hz Gain -3 dB Q 1\n", "line 1: Fc is given twice"},
      {"Filter: MAYBE PK Fc 60 Hz\n", "line 1: \"MAYBE\" is neither ON nor OFF"},
      {"Filter: ON\n", "line 1: the filter has no type"},
      {"Channel: L\n" + six, "line 1: Channel: is a command this import does not carry out"},
      {"Preamp: loud\n", "line 1: the Preamp value is not a number"},
      {"Preamp: -3 dB\nPreamp: -2 dB\n", "line 2: a second Preamp line"},
      {"", "the file is empty"},
      {"\xEF\xBB\xBF\r\n  \r\n# only a comment\n", "the file is empty"},
      {"Room EQ V5.20.13\n", "the file holds no Filter or Preamp line"},
      {std::string("Filter: ON PK\0\x01\x02", 16),
       "line 1: the file is not text (it holds control bytes)"},
      {std::string("\x7F"
                   "ELF\x02\x01\x01",
                   7),
       "line 1: the file is not text (it holds control bytes)"},
  };
  for (const auto& c : cases) EXPECT_EQ(Refusal(c.text), c.refusal) << c.text;
}

TEST(EqSettingsText, RefusesAnOversizeFileBeforeReadingIt) {
  std::string big;
  while (big.size() <= 10 * kMaxEqSettingsBytes) big += "Filter: ON PK Fc 100 Hz Gain -1 dB Q 1\n";
  EXPECT_EQ(Refusal(big),
            "the file is larger than 1 MB; equaliser settings are a few lines of text");
  EXPECT_EQ(Refusal(std::string(kMaxEqSettingsBytes + 1, ' ')),
            "the file is larger than 1 MB; equaliser settings are a few lines of text");
}

}  // namespace
}  // namespace lyra
