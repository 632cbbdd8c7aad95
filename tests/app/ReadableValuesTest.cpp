// Every value an edit or a label can show is readable whole: its text, measured with the widget's
// own font, fits the room the widget gives it, for every value its scale allows. A line edit that
// is too narrow scrolls its text to the cursor, so "-24.0 dB" would read "24.0 dB".
//
// ctest runs this program at 100 %, 150 % and 200 % (QT_SCALE_FACTOR); the test itself does not
// depend on the scale.

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionFrame>
#include <functional>

#include "editing/Controls.h"
#include "model/ParameterScales.h"
#include "model/ValueFormat.h"
#include "preset/PresetImage.h"
#include "reply/ReplyParser.h"
#include "tests/app/WindowFixture.h"

namespace lyra::test {
namespace {

using Texts = QStringList;

Texts texts(int count, const std::function<std::string(int)>& text) {
  Texts out;
  for (int i = 0; i < count; ++i) out << QString::fromStdString(text(i));
  return out;
}

Texts frequencies() {
  return texts(kMaxFrequencyIndex + 1, [](int i) { return FormatFrequency(FrequencyScale[i]); });
}
Texts qValues() {
  return texts(kMaxQIndex + 1, [](int i) { return FormatQ(QScale[i]); });
}
Texts gains() {
  return texts(kMaxGainIndex + 1, [](int i) { return FormatDb(GainScale[i]); });
}
Texts delayMs() {
  return texts(kMaxDelaySteps + 1, [](int s) { return FormatMs(DelayMs(s)); });
}
Texts delayMetres() {
  return texts(kMaxDelaySteps + 1, [](int s) { return FormatMetres(DelayMetres(s)); });
}
Texts delayFeet() {
  return texts(kMaxDelaySteps + 1, [](int s) { return FormatFeet(DelayFeet(s)); });
}
Texts deviceIds() {
  return texts(255, [](int i) { return std::to_string(i + 1); });
}

// The room QLineEdit gives its text, and what a text needs there, as QLineEdit::paintEvent works
// them out: the contents rectangle of the style, less the text margins and two pixels a side; a
// text that needs more is scrolled to the cursor instead of aligned.
int roomOf(const QLineEdit* edit) {
  QStyleOptionFrame panel;
  panel.initFrom(edit);
  panel.lineWidth =
      edit->hasFrame() ? edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &panel, edit) : 0;
  panel.midLineWidth = 0;
  panel.state |= QStyle::State_Sunken;
  QRect r = edit->style()->subElementRect(QStyle::SE_LineEditContents, &panel, edit);
  r = r.marginsRemoved(edit->textMargins());
  return r.width() - 2 * 2;
}

int neededBy(const QLineEdit* edit, const QString& text) {
  const QFontMetrics fm = edit->fontMetrics();
  return std::max(0, -fm.minLeftBearing()) + fm.horizontalAdvance(text) + 1 +
         std::max(0, -fm.minRightBearing());
}

class ReadableValues : public WindowFixture {
 protected:
  void SetUp() override {
    // The widths are measured with the fonts the program is laid out for; another font that
    // Arial falls back to has other widths. scripts/test installs fonts-liberation.
    const QString family = QFontInfo(ui::arial()).family();
    ASSERT_TRUE(family == "Arial" || family == "Liberation Sans")
        << "Arial is drawn as " << family.toStdString() << "; install fonts-liberation";
    addDevice(1);
    startWindow();
    scheduler.advanceMs(3100);  // every area is shown
    form->window().show();
  }

  // Every text fits the edit; a failure names the edit, the text and the pixels.
  void expectEditFits(const char* name, const Texts& values) {
    auto* edit = control<QLineEdit>(name);
    ASSERT_NE(edit, nullptr) << name;
    const int room = roomOf(edit);
    int widest = 0;
    QString widestText;
    for (const QString& t : values) {
      if (neededBy(edit, t) > widest) {
        widest = neededBy(edit, t);
        widestText = t;
      }
    }
    EXPECT_LE(widest, room) << name << " cannot show \"" << widestText.toStdString() << "\": "
                            << widest << " px needed, " << room << " px there ("
                            << edit->font().family().toStdString() << ", "
                            << edit->fontInfo().pixelSize() << " px)";
  }

  void expectLabelFits(const char* name, const Texts& values) {
    auto* label = control<QLabel>(name);
    ASSERT_NE(label, nullptr) << name;
    const int room = label->contentsRect().width() - 2 * label->margin() - label->indent();
    for (const QString& t : values) {
      // Trailing spaces pad some captions and show nothing.
      const QString shown = QString(t).remove(QRegularExpression("\\s+$"));
      const int needed = label->fontMetrics().horizontalAdvance(shown);
      EXPECT_LE(needed, room) << name << " cannot show \"" << shown.toStdString() << "\": " << needed
                              << " px needed, " << room << " px there";
    }
  }

  // The chosen entry of a list shows whole in the box, beside its arrow.
  void expectListFits(QComboBox* list) {
    ASSERT_NE(list, nullptr);
    QStyleOptionComboBox option;
    option.initFrom(list);
    option.editable = list->isEditable();
    const QRect text =
        list->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, list);
    for (int i = 0; i < list->count(); ++i) {
      const int needed = list->fontMetrics().horizontalAdvance(list->itemText(i));
      EXPECT_LE(needed, text.width()) << list->objectName().toStdString() << " cannot show \""
                                      << list->itemText(i).toStdString() << "\"";
    }
  }
};

TEST_F(ReadableValues, EveryEqualiserAndFilterEditShowsEveryValueOfItsScaleWhole) {
  for (const char* name : {"RzEdit94", "RzEdit95", "RzEdit96", "RzEdit97", "RzEdit98", "RzEdit111",
                           "RzEdit205", "RzEdit206"}) {
    expectEditFits(name, frequencies());
  }
  for (const char* name :
       {"RzEdit99", "RzEdit102", "RzEdit103", "RzEdit104", "RzEdit105", "RzEdit112"}) {
    expectEditFits(name, qValues());
  }
  // The cut that read as a boost: "-24.0 dB" showed as "24.0 dB".
  for (const char* name :
       {"RzEdit106", "RzEdit107", "RzEdit108", "RzEdit109", "RzEdit110", "RzEdit113"}) {
    expectEditFits(name, gains());
  }
}

TEST_F(ReadableValues, LevelAndDelayEditsAndTheirDistanceLabelsShowEveryValueWhole) {
  expectEditFits("edt3", texts(LevelPanel::kMutedPosition + 1, [](int level) {
                   return SystemLevelText(static_cast<std::uint16_t>(level));
                 }));
  expectEditFits("edt2", texts(kMaxLevelIndex + 1, [](int level) {
                   return OutputLevelText(static_cast<std::uint8_t>(level));
                 }));
  expectEditFits("RzEdit18", delayMs());
  expectEditFits("edt1", delayMs());
  expectLabelFits("RzLabel3", delayMetres());
  expectLabelFits("lbl1", delayMetres());
  expectLabelFits("RzLabel20", delayFeet());
  expectLabelFits("lbl2", delayFeet());
}

TEST_F(ReadableValues, DeviceIdFieldsStatusPanelsAndListsShowTheirValuesWhole) {
  expectEditFits("RzEdit2", deviceIds());
  expectEditFits("RzEdit3", deviceIds());
  expectLabelFits("RzLabel14", texts(8, [](int n) { return ReplyParser::lastLoadedPresetText(n + 1); }));
  expectLabelFits("statusPanel1", {" Disconnected", " Connected ttySIM0", " Connected ttyUSB10",
                                   " Connected COM255"});
  Texts status;
  for (int reading : {0, 2000, 6000}) {
    for (int attenuation : {0, 12, 255}) {
      status << QString::fromStdString(ReplyParser::statusTextFor(reading, attenuation));
    }
  }
  expectLabelFits("statusPanel2", status);
  for (const char* name : {"RzComboBox66", "RzComboBox69", "RzComboBox71", "RzComboBox6",
                           "RzComboBox11"}) {
    expectListFits(control<QComboBox>(name));
  }
}

// A caption wider than its button is cut at both ends ("isconnec"). Every button of the window,
// with every caption it can show.
TEST_F(ReadableValues, EveryButtonShowsEveryCaptionItCanHaveWhole) {
  const auto fits = [](const QPushButton* button, const QString& caption) {
    EXPECT_LE(ui::captionNeeds(button, caption), ui::captionRoom(button))
        << button->objectName().toStdString() << " cannot show \"" << caption.toStdString()
        << "\" (" << button->font().pointSizeF() << " pt)";
  };
  auto* connect = control<QPushButton>("Button3");
  ASSERT_NE(connect, nullptr);
  fits(connect, "Connect");
  fits(connect, "Disconnect");
  int checked = 0;
  for (const QPushButton* button : form->window().findChildren<QPushButton*>()) {
    if (button->text().isEmpty() || button->width() == 0) continue;
    fits(button, button->text());
    ++checked;
  }
  EXPECT_GT(checked, 20);
}

}  // namespace
}  // namespace lyra::test
