#pragma once
// What the graph widget tests share: one QApplication for the program (fonts and widgets need
// it; the offscreen platform needs no display), and pixel reading.

#include <gtest/gtest.h>
#include <QApplication>
#include <QImage>

namespace lyra::graphtest {

class QtEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (QApplication::instance() == nullptr) app_ = new QApplication(argc_, argv_);
  }
  void TearDown() override {
    delete app_;
    app_ = nullptr;
  }

 private:
  int argc_ = 1;
  char name_[24] = "lyra_graph_widget_tests";
  char* argv_[2] = {name_, nullptr};
  QApplication* app_ = nullptr;
};

inline QRgb At(const QImage& image, int x, int y) {
  return image.pixel(x, y);
}
inline QRgb Grey(int level) {
  return qRgb(level, level, level);
}
// Whether white text left anything in the box: a pixel bright in all three channels.
inline bool AnyWhitish(const QImage& image, int left, int top, int width, int height) {
  const QRect box = QRect(left, top, width, height) & image.rect();
  for (int y = box.top(); y <= box.bottom(); ++y) {
    for (int x = box.left(); x <= box.right(); ++x) {
      const QRgb c = image.pixel(x, y);
      if (qRed(c) > 160 && qGreen(c) > 160 && qBlue(c) > 160) return true;
    }
  }
  return false;
}

}  // namespace lyra::graphtest
