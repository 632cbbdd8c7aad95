#include "app/GroupInitialData.h"

#include <QKeyEvent>
#include <algorithm>

#include "app/EntryFields.h"
#include "preset/PresetBlockText.h"
#include "protocol/CommandFrame.h"
#include "storage/PresetFiles.h"

namespace lyra {

namespace {
constexpr int kPercentPerTick = 5;
constexpr int kProgressTicks = 20;
constexpr int kActivePresetUpload = 25;
constexpr int kHighestDeviceId = 255;
}  // namespace

GroupInitialData::GroupInitialData(PresetExchange& exchange, PcFiles& files)
    : x_(exchange), files_(files) {
  WindowAreas& a = x_.areas;
  QObject::connect(a.Button11, &QPushButton::clicked, this, &GroupInitialData::Button11Click);
  QObject::connect(a.Button10, &QPushButton::clicked, this, &GroupInitialData::Button10Click);
  QObject::connect(a.initialDataClose, &QToolButton::clicked, this,
                   [this] { x_.connection.disconnectNow(); });
  a.RzEdit3->installEventFilter(this);
  TimerTable& t = x_.timers;
  t.Timer342.onTick = [this] { Timer342Timer(); };
  t.Timer333.onTick = [this] { Timer333Timer(); };
  t.Timer332.onTick = [this] { Timer332Timer(); };
  t.trunon1.onTick = [this] { trunon1Timer(); };
}

void GroupInitialData::showProgressStart() {
  x_.areas.initialDataBox->hide();
  x_.areas.RzGroupBox12->show();
  x_.showWaitBox(0);
  progressCount_ = 0;
}

void GroupInitialData::endProgress() {
  x_.areas.initialDataBox->hide();
  x_.hideWaitBox();
  x_.areas.RzGroupBox12->show();
  x_.connection.setEditingEnabled(true);
}

void GroupInitialData::Button11Click() {
  x_.timers.Timer1.stop();
  x_.timers.sendTimer.stop();
  x_.timers.intimer.stop();
  x_.transfer.UploadText.clear();
  groupList_.clear();
  if (const auto path = x_.dialogs.openFile(PcFiles::kOpenDialog2)) {
    auto lines = files_.readChosenFile(*path);
    if (!lines) return;
    groupList_ = std::move(*lines);
    x_.transfer.UploadText = JoinLines(groupList_);
  }
  if (x_.transfer.UploadText.empty()) return;  // the box stays for another choice
  if (!IsValidPresetBlockText(x_.transfer.UploadText)) {
    x_.dialogs.message(kFileDamagedText);
    return;
  }
  showProgressStart();
  x_.timers.Timer342.start();
  x_.scheduler.waitPumping(500);
  uploadToGroup(100);
}

void GroupInitialData::uploadToGroup(int secondGapMs) {
  // Two polls first: a device that slept through the first hears the second before the block.
  x_.sendRequest(statusPoll(x_.address.BusAddress));
  x_.scheduler.waitPumping(500);
  x_.sendRequest(statusPoll(x_.address.BusAddress));
  x_.scheduler.waitPumping(500);

  for (int pass = 0; pass < 2; ++pass) {
    x_.writeUploadHeader(UploadTarget::ActivePreset());
    x_.scheduler.waitPumping(pass == 0 ? 100 : secondGapMs);
    x_.transfer.UploadCounter = kActivePresetUpload;
    x_.upload();
    if (pass == 0) x_.scheduler.waitPumping(1000);
  }
  x_.decodeUploadText();
  x_.scheduler.waitPumping(1000);
  if (x_.portOpen()) x_.timers.sendTimer.start();
}

void GroupInitialData::Timer342Timer() {
  ++progressCount_;
  x_.setProgress(kPercentPerTick * progressCount_);
  if (progressCount_ < kProgressTicks) return;
  x_.timers.Timer342.stop();
  endProgress();
}

void GroupInitialData::Button10Click() {
  QLineEdit* field = x_.areas.RzEdit3;
  bool isNumber = false;
  const int id = field->text().toInt(&isNumber);
  if (!isNumber || id < 1 || id > kHighestDeviceId) {
    field->setText(QString::number(acceptedSourceId_));
    x_.dialogs.message("Please input 1~255 number.");
    return;
  }
  acceptedSourceId_ = id;
  showProgressStart();
  x_.timers.Timer332.start();
  x_.timers.Timer333.start();
  x_.flags.CopyActiveForGroup = 1;
  sourceAddress_ = BusAddressing::busAddressOf(id);
  x_.link.ReceiveText.clear();
  x_.sendRequest(readActivePreset(sourceAddress_));
}

void GroupInitialData::Timer333Timer() {
  ++progressCount_;
  x_.setProgress(kPercentPerTick * progressCount_);
  if (progressCount_ < kProgressTicks) return;
  x_.timers.Timer333.stop();
  endProgress();
}

void GroupInitialData::Timer332Timer() {
  x_.timers.Timer332.stop();
  if (x_.flags.CopyActiveForGroup != 1) return;  // the source answered
  // A block that still comes must not start an upload to the whole bus after the user was told
  // to try again.
  x_.flags.CopyActiveForGroup = 0;
  x_.hideWaitBox();
  x_.areas.initialDataBox->show();
  x_.areas.RzGroupBox12->hide();
  x_.timers.Timer333.stop();
  x_.dialogs.message("The device ID no response, please try again or check the ID is correct.");
}

void GroupInitialData::trunon1Timer() {
  x_.timers.trunon1.stop();
  x_.timers.Timer332.stop();
  x_.scheduler.waitPumping(500);
  uploadToGroup(1000);
}

bool GroupInitialData::eventFilter(QObject* watched, QEvent* event) {
  if (watched != x_.areas.RzEdit3 || event->type() != QEvent::KeyPress) return false;
  const auto* key = static_cast<QKeyEvent*>(event);
  if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
    Button10Click();
    return true;
  }
  if (key->key() == Qt::Key_Backspace || passesEveryKeyFilter(*key)) return false;
  const QString typed = key->text();
  return std::any_of(typed.begin(), typed.end(),
                     [](QChar c) { return c.unicode() < '0' || c.unicode() > '9'; });
}

}  // namespace lyra
