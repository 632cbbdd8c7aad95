// "Import equaliser settings..." from the File menu: a measurement tool's settings text is shown
// band by band before anything changes, then stored in the Main EQ and sent as six band frames;
// a refused file, a No, or a link that ends while the question is up changes and sends nothing.

#include "edits/ChannelFrames.h"
#include "tests/app/EqExchangeFixture.h"

namespace lyra::test {
namespace {

constexpr const char* kRewFile =
    "Filter Settings file\n"
    "\n"
    "Room EQ V5.20\n"
    "Notes:\n"
    "\n"
    "Equaliser: Generic\n"
    "Filter  1: ON  PK       Fc   63.0 Hz  Gain  -3.0 dB  Q  4.00\n"
    "Filter  2: ON  LSC      Fc    105 Hz  Gain   6.6 dB  Q  0.70\n"
    "Filter  3: OFF PK       Fc   1000 Hz  Gain   2.0 dB  Q  1.00\n"
    "Preamp: -3 dB\n";

class EqImport : public EqExchangeFixture {
 protected:
  void SetUp() override {
    setDeviceBand(2, {112, 0, 150, 0, 130, 0, 4, 0});  // 500 Hz, +6.0 dB: made flat by OFF
    setDeviceBand(4, {160, 0, 90, 0, 120, 0, 9, 0});   // not in the file: made flat
    connect();
  }
  void import(const std::string& filePath) {
    dialogs.filePaths.push_back(filePath);
    form->areas.importEqAction->trigger();
  }
  // The import changed nothing: the bands, the level, the boxes, and the wire.
  void expectNothingChanged(const std::array<EqBand, kBandsPerWay>& before,
                            std::uint16_t levelBefore) {
    EXPECT_EQ(mainBands(), before);
    EXPECT_EQ(form->sessions.image.main.systemLevel, levelBefore);
    EXPECT_TRUE(sentWrites().empty());
  }
};

TEST_F(EqImport, AcceptedAfterTheReportTheSixBandsAndTheLevelGoOutAndTheDeviceHoldsThem) {
  // Bypass on row 1 before: the import's bands sound as stored, so it is cleared.
  bypassBox(1)->click();
  sentWrites();
  import(file("rew.txt", kRewFile));

  ASSERT_EQ(dialogs.questions.size(), 1u);
  const std::string& q = dialogs.questions[0];
  // Each band as given and as the device's steps store it (63 Hz lies nearest 62.5 Hz).
  EXPECT_NE(q.find("band 1: Filter  1: ON  PK       Fc   63.0 Hz  Gain  -3.0 dB  Q  4.00\n"
                   "  stored ON PK Fc 62.5 Hz Gain -3.0 dB Q 4 (response differs by at most "),
            std::string::npos)
      << q;
  EXPECT_NE(q.find("band 3: Filter  3: OFF PK"), std::string::npos) << q;
  EXPECT_NE(q.find("band 5: (not in the file)\n  stored OFF (flat)"), std::string::npos) << q;
  EXPECT_NE(q.find("response differs by at most"), std::string::npos) << q;
  EXPECT_NE(q.find("Preamp -3 dB: system level -3.0 dB"), std::string::npos) << q;
  EXPECT_NE(q.find("Preamp sets the system level."), std::string::npos) << q;
  EXPECT_TRUE(dialogs.messages.empty());

  EXPECT_EQ(band(0).frequency, NearestIndex(FrequencyScale, 63.0));
  EXPECT_EQ(band(0).peqGain, 105);  // -3.0 dB
  EXPECT_EQ(band(0).q, 19);         // 4.0
  EXPECT_EQ(band(1).type, kLowShelfBand);
  EXPECT_EQ(band(1).shelfGain, 153);  // +6.6 dB
  EXPECT_EQ(band(2).peqGain, kZeroDbGainIndex);
  EXPECT_EQ(band(2).frequency, NearestIndex(FrequencyScale, 1000.0));
  EXPECT_EQ(band(4).peqGain, kZeroDbGainIndex);
  EXPECT_EQ(band(4).frequency, 160);  // kept: the file says nothing of band 5
  EXPECT_EQ(form->sessions.image.main.systemLevel, 286);
  EXPECT_FALSE(bypassBox(1)->isChecked());
  EXPECT_FALSE(form->editing.bypassed(1));

  std::vector<Frame> expected = {channelWriteFrame(form->sessions.image, Way::Main, 0)};
  for (int row = 0; row < kBandsPerWay; ++row) expected.push_back(bandFrame(row, band(row)));
  EXPECT_EQ(sentWrites(), expected);
  for (int row = 0; row < kBandsPerWay; ++row) {
    const Frame& f = expected[static_cast<std::size_t>(row + 1)];
    EXPECT_EQ(deviceBand(row), payloadOf(f)) << "band " << row + 1;
  }
  // The panel, the level field and the graph show the stored values.
  EXPECT_EQ(edit("RzEdit94")->text().toStdString(), bandFieldText(band(0), BandField::Frequency));
  EXPECT_EQ(edit("RzEdit106")->text(), "-3.0 dB");
  EXPECT_EQ(form->equalizer.rows[1].type->currentIndex(), kLowShelfBand);
  EXPECT_EQ(form->levels.edt3->text(), "-3.0 dB");
  EXPECT_EQ(form->graph.marker(ToBandSlot(Way::Main, 0)),
            BandMarker(band(0).frequency, band(0).peqGain));
}

TEST_F(EqImport, ARefusedFileNamesItsLineAndNothingChangesOrIsSent) {
  const auto before = mainBands();
  const std::uint16_t level = form->sessions.image.main.systemLevel;
  const struct {
    const char* name;
    const char* bytes;
    const char* reason;
  } cases[] = {
      {"bandpass.txt", "Filter 1: ON PK Fc 63 Hz Gain -3 dB Q 4\nFilter 2: ON BP Fc 500 Hz Q 2\n",
       "bandpass.txt: line 2: the equaliser has no filter of type BP"},
      {"loud.txt", "Preamp: 3 dB\nFilter 1: ON PK Fc 63 Hz Gain -3 dB Q 4\n",
       "loud.txt: line 1: Preamp 3 dB is above the system level's top (0.0 dB)"},
      {"seven.txt",
       "Filter 1: ON PK Fc 63 Hz Gain -3 dB Q 4\nFilter 2: ON PK Fc 63 Hz Gain -3 dB Q 4\n"
       "Filter 3: ON PK Fc 63 Hz Gain -3 dB Q 4\nFilter 4: ON PK Fc 63 Hz Gain -3 dB Q 4\n"
       "Filter 5: ON PK Fc 63 Hz Gain -3 dB Q 4\nFilter 6: ON PK Fc 63 Hz Gain -3 dB Q 4\n"
       "Filter 7: ON PK Fc 63 Hz Gain -3 dB Q 4\n",
       "seven.txt: line 7: more than six active filters"},
  };
  for (const auto& c : cases) {
    dialogs.messages.clear();
    import(file(c.name, c.bytes));
    ASSERT_EQ(dialogs.messages.size(), 1u) << c.name;
    const std::string& text = dialogs.messages[0].text;
    EXPECT_EQ(text.rfind("The equaliser settings were not imported. Nothing was sent.\r\r", 0), 0u)
        << text;
    EXPECT_NE(text.find(c.reason), std::string::npos) << text;
  }
  EXPECT_TRUE(dialogs.questions.empty());
  expectNothingChanged(before, level);
}

TEST_F(EqImport, BinaryHugeEmptyAndMissingFilesAreRefusedWithTheirReason) {
  const auto before = mainBands();
  const std::uint16_t level = form->sessions.image.main.systemLevel;
  const std::string huge = "Filter 1: ON PK Fc 63 Hz Gain -3 dB Q 4\n" + std::string(10 << 20, ' ');
  const std::string binary("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\x02\x80", 20);
  const struct {
    std::string path;
    const char* reason;
  } cases[] = {
      {file("picture.txt", binary), "picture.txt: line 2: the file is not text"},
      {file("huge.txt", huge), "huge.txt: the file is larger than 1 MB"},
      {file("empty.txt", ""), "empty.txt: the file is empty"},
      {file("blank.txt", "\r\n  \r\n# only a comment\r\n"), "blank.txt: the file is empty"},
      {path("gone.txt"), "gone.txt: no such file"},
  };
  for (const auto& c : cases) {
    dialogs.messages.clear();
    import(c.path);
    ASSERT_EQ(dialogs.messages.size(), 1u) << c.path;
    EXPECT_NE(dialogs.messages[0].text.find(c.reason), std::string::npos)
        << dialogs.messages[0].text;
  }
  EXPECT_TRUE(dialogs.questions.empty());
  expectNothingChanged(before, level);
}

TEST_F(EqImport, NoAtTheQuestionOrACancelledFileDialogChangesNothing) {
  bypassBox(3)->click();
  sentWrites();
  const auto before = mainBands();
  const std::uint16_t level = form->sessions.image.main.systemLevel;
  dialogs.answers.push_back(Dialogs::Answer::No);
  import(file("rew.txt", kRewFile));
  EXPECT_EQ(dialogs.questions.size(), 1u);
  form->areas.importEqAction->trigger();  // the file dialog cancelled
  EXPECT_EQ(dialogs.fileDialogs.size(), 2u);
  EXPECT_EQ(dialogs.questions.size(), 1u);
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_TRUE(bypassBox(3)->isChecked());
  EXPECT_TRUE(form->editing.bypassed(3));
  expectNothingChanged(before, level);
}

TEST_F(EqImport, WithoutAConnectionItIsRefusedBeforeAnyFileIsAsked) {
  disconnect();
  dialogs.messages.clear();
  const auto before = mainBands();
  import(file("rew.txt", kRewFile));
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text, EqExchange::kNotConnected);
  EXPECT_TRUE(dialogs.fileDialogs.empty());
  EXPECT_EQ(mainBands(), before);
  EXPECT_EQ(framesWithCommand(command::kWrite), 0u);
}

TEST_F(EqImport, ThePortLeavesWhileTheQuestionIsUpAndYesSendsNothing) {
  const auto before = mainBands();
  const std::uint16_t level = form->sessions.image.main.systemLevel;
  dialogs.scheduler = &scheduler;
  dialogs.thinkTimesMs = {0, 3500};  // the question stays up over a port check
  bus.removePort(kPort);
  import(file("rew.txt", kRewFile));
  ASSERT_EQ(dialogs.questions.size(), 1u);
  ASSERT_EQ(dialogs.messages.size(), 2u);
  EXPECT_TRUE(dialogs.messages[0].text == "No port." ||
              dialogs.messages[0].text.rfind("CONNECTION INTERRUPTED!", 0) == 0)
      << dialogs.messages[0].text;
  EXPECT_EQ(dialogs.messages[1].text, EqExchange::kLinkEnded);
  EXPECT_FALSE(connectedCaption());
  EXPECT_EQ(mainBands(), before);
  EXPECT_EQ(form->sessions.image.main.systemLevel, level);
  EXPECT_EQ(framesWithCommand(command::kWrite), 0u);
}

TEST_F(EqImport, APresetBlockDecodedWhileTheQuestionIsUpDoesNotChangeWhatYesStores) {
  dialogs.scheduler = &scheduler;
  dialogs.thinkTimesMs = {0, 2000};
  // While the question is up the device's band 1 changes and its active preset arrives again
  // (a late answer to a read): the window shows it, and clears Bypass doing so.
  setDeviceBand(0, {200, 0, 40, 0, 120, 0, 30, 0});
  setDeviceBand(4, {60, 1, 120, 0, 100, 0, 3, 0});  // band 5, which the file leaves out
  // (The poll is held meanwhile: a poll clears ReceiveText while the 332 bytes arrive.)
  scheduler.post(500'000, [this] {
    form->sessions.supervisor.pause();
    form->sessions.link.ReceiveText.clear();
    form->sessions.link.TransmitBuffer = readActivePreset(0);
    form->sessions.link.write();
  });
  bool decodedDuringQuestion = false;
  scheduler.post(1'500'000, [&] {
    decodedDuringQuestion = band(0).frequency == 200;
    form->sessions.supervisor.resume();
  });
  import(file("rew.txt", kRewFile));
  ASSERT_TRUE(decodedDuringQuestion) << "the block did not arrive while the question was up";
  EXPECT_TRUE(dialogs.messages.empty());
  // What the question showed is stored and sent, not a mix with the block.
  EXPECT_EQ(band(0).frequency, NearestIndex(FrequencyScale, 63.0));
  EXPECT_EQ(band(0).peqGain, 105);
  EXPECT_EQ(band(0).q, 19);
  // Band 5 as the question showed it: "OFF (flat) PK Fc 2000 Hz", not the block's low shelf.
  EXPECT_NE(dialogs.questions.at(0).find("stored OFF (flat) PK Fc 2000 Hz Gain 0.0 dB Q 2"),
            std::string::npos);
  EXPECT_EQ(band(4).frequency, 160);
  EXPECT_EQ(band(4).type, kPeakingBand);
  const std::vector<Frame> frames = sentWrites();
  ASSERT_EQ(frames.size(), 7u);
  for (int row : {0, 4}) {
    const Frame& f = frames[static_cast<std::size_t>(row + 1)];
    EXPECT_EQ(f, bandFrame(row, band(row)));
    EXPECT_EQ(deviceBand(row), payloadOf(f));
  }
}

TEST_F(EqImport, ThePortLeavesWhileTheFileDialogIsUpAndNoQuestionFollows) {
  const auto before = mainBands();
  dialogs.scheduler = &scheduler;
  dialogs.thinkTimesMs = {3500};
  bus.removePort(kPort);
  import(file("rew.txt", kRewFile));
  EXPECT_TRUE(dialogs.questions.empty());
  ASSERT_EQ(dialogs.messages.size(), 2u);
  EXPECT_EQ(dialogs.messages[1].text, EqExchange::kLinkEnded);
  EXPECT_EQ(mainBands(), before);
  EXPECT_EQ(framesWithCommand(command::kWrite), 0u);
}

TEST_F(EqImport, PollRepliesArriveWhileTheQuestionIsUpAndYesStillSendsTheBands) {
  dialogs.scheduler = &scheduler;
  dialogs.thinkTimesMs = {0, 3000};
  const std::size_t readsBefore = framesWithCommand(command::kRead);
  form->areas.statusPanel2->clear();
  import(file("rew.txt", kRewFile));
  // Six polls went out and were answered while the box was up; the link is still there.
  EXPECT_GE(framesWithCommand(command::kRead) - readsBefore, 5u);
  EXPECT_FALSE(form->areas.statusPanel2->text().isEmpty());
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_TRUE(connectedCaption());
  const std::vector<Frame> frames = sentWrites();
  ASSERT_EQ(frames.size(), 7u);
  for (int row = 0; row < kBandsPerWay; ++row) {
    EXPECT_EQ(frames[static_cast<std::size_t>(row + 1)], bandFrame(row, band(row)));
    EXPECT_EQ(deviceBand(row), payloadOf(frames[static_cast<std::size_t>(row + 1)]));
  }
}

}  // namespace
}  // namespace lyra::test
