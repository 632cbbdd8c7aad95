#include "app/QtDialogs.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>
#include <QSettings>
#include <QTemporaryDir>

namespace lyra {

std::string withLineBreaks(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      out += '\n';
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

namespace {

QString qt(const std::string& s) { return QString::fromUtf8(s.c_str()); }

}  // namespace

QString qtFilter(const FileDialogOptions& options) {
  const auto bar = options.filter.find('|');
  if (bar == std::string::npos) return qt(options.filter);
  const QString description = qt(options.filter.substr(0, bar));
  const QString pattern = "(" + qt(options.filter.substr(bar + 1)) + ")";
  // "lyraphonefile(*.sps)" names its pattern already; Qt reads it from there.
  if (description.endsWith(pattern)) return description;
  return description + " " + pattern;
}

QtDialogs::QtDialogs(QWidget* parent) : parent_(parent), settings_(std::make_unique<QTemporaryDir>()) {
  // Qt's file dialog writes its history and last folder to the user's QtProject.conf when it
  // closes. The program keeps nothing between runs: they go to a folder of this run, removed
  // when the window goes, so the dialog still opens in the last folder while the program runs.
  if (settings_->isValid()) {
    for (auto format : {QSettings::NativeFormat, QSettings::IniFormat})
      QSettings::setPath(format, QSettings::UserScope, settings_->path());
  }
}

QtDialogs::~QtDialogs() = default;

void QtDialogs::message(const std::string& text, const std::string& detail) {
  QMessageBox box(QMessageBox::Warning, "LYRAPHONE", qt(withLineBreaks(text)), QMessageBox::Ok,
                  parent_);
  if (!detail.empty()) box.setInformativeText(qt(detail));
  box.exec();
}

Dialogs::Answer QtDialogs::question(const std::string& text, Buttons buttons) {
  const auto no = buttons == Buttons::YesNo ? QMessageBox::No : QMessageBox::Cancel;
  QMessageBox box(QMessageBox::Warning, "LYRAPHONE", qt(withLineBreaks(text)),
                  QMessageBox::Yes | no, parent_);
  const int result = box.exec();
  if (result == QMessageBox::Yes) return Answer::Yes;
  return buttons == Buttons::YesNo ? Answer::No : Answer::Cancel;
}

std::optional<std::string> QtDialogs::openFile(const FileDialogOptions& options) {
  QFileDialog dialog(parent_);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setNameFilter(qtFilter(options));
  dialog.setDefaultSuffix(qt(options.defaultExtension));
  dialog.selectFile(qt(options.defaultName));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().first().toStdString();
}

std::optional<std::string> QtDialogs::saveFile(const FileDialogOptions& options) {
  QFileDialog dialog(parent_);
  dialog.setAcceptMode(QFileDialog::AcceptSave);  // asks before overwriting an existing file
  dialog.setNameFilter(qtFilter(options));
  dialog.setDefaultSuffix(qt(options.defaultExtension));
  dialog.selectFile(qt(options.defaultName));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().first().toStdString();
}

std::optional<std::string> QtDialogs::askText(
    const std::string& title, const std::string& label,
    const std::function<std::string(const std::string&)>& check) {
  QDialog box(parent_);
  box.setWindowTitle(qt(title));
  auto* layout = new QVBoxLayout(&box);
  auto* prompt = new QLabel(qt(label), &box);
  auto* field = new QLineEdit(&box);
  field->setAccessibleName(qt(title));
  field->setMinimumWidth(360);
  prompt->setBuddy(field);
  auto* fault = new QLabel(&box);
  fault->setWordWrap(true);
  fault->setAccessibleName("What is wrong with the text");
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &box);
  QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
  ok->setEnabled(false);
  for (QWidget* w : {static_cast<QWidget*>(prompt), static_cast<QWidget*>(field),
                     static_cast<QWidget*>(fault), static_cast<QWidget*>(buttons)})
    layout->addWidget(w);
  // Checked as typed: the fault is shown under the field (and read with it), and OK waits for a
  // text without one.
  QObject::connect(field, &QLineEdit::textChanged, &box, [&](const QString& text) {
    const std::string why = text.isEmpty() ? std::string() : check(text.trimmed().toStdString());
    fault->setText(qt(why));
    field->setAccessibleDescription(qt(why));
    ok->setEnabled(!text.trimmed().isEmpty() && why.empty());
  });
  QObject::connect(buttons, &QDialogButtonBox::accepted, &box, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &box, &QDialog::reject);
  if (box.exec() != QDialog::Accepted) return std::nullopt;
  return field->text().trimmed().toStdString();
}

}  // namespace lyra
