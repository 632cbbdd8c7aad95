// The Win32 driver without a port: what it does when there is nothing to open, or nothing open.
// Everything here must answer at once; nothing may wait for a port that is not there.

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "serial/SerialLink.h"
#include "serial/Win32SerialDriver.h"
#include "timing/VirtualScheduler.h"

namespace lyra {
namespace {

TEST(Win32SerialDriverWithoutAPort, APortThatDoesNotExistIsNotFoundAndLeavesPortOpenClear) {
  VirtualScheduler scheduler;
  Win32SerialDriver driver;
  SerialLink link(driver, scheduler);
  EXPECT_FALSE(link.openPort("COM8"));  // not declared in the test prefix
  EXPECT_EQ(link.lastError(), SerialError::NotFound);
  EXPECT_NE(link.lastErrorText().find("open COM8"), std::string::npos);
  EXPECT_FALSE(link.PortOpen());
  EXPECT_FALSE(link.openPort("//./COM77"));
  EXPECT_EQ(link.lastError(), SerialError::NotFound);
  link.closePort();  // closing what never opened does nothing
  EXPECT_FALSE(link.PortOpen());
}

TEST(Win32SerialDriverWithoutAPort, EveryOperationOnAClosedDriverFailsAtOnce) {
  Win32SerialDriver driver;
  std::vector<std::uint8_t> bytes = {0xA5, 0xA5};
  std::uint8_t buffer[8];
  EXPECT_FALSE(driver.isOpen());
  EXPECT_EQ(driver.queuedInputBytes(), -1);
  EXPECT_EQ(driver.read(buffer, 8), -1);
  EXPECT_EQ(driver.writeAll(bytes), SerialError::Vanished);
  EXPECT_EQ(driver.waitReceived(), SerialDriver::Wait::Failed);
  driver.interruptWait();
  driver.purge();
  driver.close();
  EXPECT_FALSE(driver.isOpen());
}

}  // namespace
}  // namespace lyra
