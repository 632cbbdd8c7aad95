// A picture of the whole window, connected to a simulated device, for people to look at:
// lyraphone-window.png in the test's working folder (the build tree).

#include <QImage>
#include <QPixmap>

#include "tests/app/WindowFixture.h"

namespace lyra::test {
namespace {

class Screenshot : public WindowFixture {};

TEST_F(Screenshot, TheConnectedWindowIsWrittenToAPng) {
  addDevice(1);
  startWindow();
  scheduler.advanceMs(3100);  // past the start-up search result
  clickConnect();
  scheduler.advanceMs(3000);
  ASSERT_TRUE(connectedCaption());
  form->window().show();
  const QImage shot = form->window().grab().toImage();
  ASSERT_FALSE(shot.isNull());
  EXPECT_EQ(shot.width(), 750);
  ASSERT_TRUE(shot.save("lyraphone-window.png"));
  // The connection lamp is lit: its centre is green.
  const QLabel* lamp = form->areas.connectionPicture;
  const QPoint centre = lamp->mapTo(&form->window(), QPoint(11, 14));
  const QColor c = shot.pixelColor(centre);
  EXPECT_GT(c.green(), 150);
  EXPECT_LT(c.red(), 100);
}

}  // namespace
}  // namespace lyra::test
