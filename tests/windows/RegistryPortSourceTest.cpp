// The registry's serial-port map as the port list reads it, on a key of the test's own under
// HKEY_CURRENT_USER laid out as Windows lays out HARDWARE\DEVICEMAP\SERIALCOMM: one value per
// port, named after the driver's device, holding the port's name.

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "serial/PortList.h"
#include "serial/RegistryPortSource.h"
#include "serial/Win32SerialDriver.h"

namespace lyra {
namespace {

class RegistryPorts : public ::testing::Test {
 protected:
  void SetUp() override {
    // A key per test: ctest runs the tests of this program side by side.
    subKey += ::testing::UnitTest::GetInstance()->current_test_info()->name();
    ::RegDeleteTreeA(HKEY_CURRENT_USER, subKey.c_str());
    ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, subKey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                nullptr, &key, nullptr),
              ERROR_SUCCESS);
  }
  void TearDown() override {
    if (key) ::RegCloseKey(key);
    ::RegDeleteTreeA(HKEY_CURRENT_USER, subKey.c_str());
  }
  void addPort(const std::string& device, const std::string& port) {
    ASSERT_EQ(::RegSetValueExA(key, device.c_str(), 0, REG_SZ,
                               reinterpret_cast<const BYTE*>(port.c_str()),
                               static_cast<DWORD>(port.size() + 1)),
              ERROR_SUCCESS);
  }
  void addRaw(const std::string& device, DWORD type, const void* data, DWORD bytes) {
    ASSERT_EQ(::RegSetValueExA(key, device.c_str(), 0, type, static_cast<const BYTE*>(data), bytes),
              ERROR_SUCCESS);
  }
  std::vector<std::string> listed() {
    RegistryPortSource source(subKey, true);
    PortList list(source);
    list.refill();
    std::vector<std::string> names;
    for (const auto& e : list.entries()) names.push_back(e.name);
    return names;
  }

  std::string subKey = "Software\\LyraphoneTests\\SERIALCOMM-";
  HKEY key = nullptr;
};

TEST_F(RegistryPorts, AreListedSortedAsCaseInsensitiveTextWithTheLastOneSelected) {
  addPort("\\Device\\Serial1", "COM2");
  addPort("\\Device\\Serial0", "COM1");
  addPort("\\Device\\VCP0", "COM10");
  RegistryPortSource source(subKey, true);
  PortList list(source);
  list.refill();
  ASSERT_EQ(list.entries().size(), 3u);
  EXPECT_EQ(list.entries()[0].name, "COM1");
  EXPECT_EQ(list.entries()[1].name, "COM10");
  EXPECT_EQ(list.entries()[2].name, "COM2");
  EXPECT_EQ(list.selectedEntry()->name, "COM2");
  EXPECT_EQ(list.portNumbers(), (std::vector<int>{1, 10, 2}));
}

TEST_F(RegistryPorts, EachEntryOpensTheDeviceNameOfItsPortNumber) {
  addPort("\\Device\\Serial8", "COM9");
  addPort("\\Device\\Serial9", "COM10");
  addPort("\\Device\\com0com10", "CNCA0");  // a virtual-port driver's own naming
  RegistryPortSource source(subKey, true);
  PortList list(source);
  list.refill();
  ASSERT_NE(list.entryForNumber(9), nullptr);
  ASSERT_NE(list.entryForNumber(10), nullptr);
  EXPECT_EQ(list.entryForNumber(9)->devicePath, "COM9");
  EXPECT_EQ(list.entryForNumber(10)->devicePath, "//./COM10");
  EXPECT_EQ(list.entries()[0].devicePath, "//./CNCA0");
}

TEST_F(RegistryPorts, ValuesThatAreNotPortNamesAreSkippedAndTheRestStillListed) {
  addPort("\\Device\\Serial0", "COM3");
  const DWORD number = 4;
  addRaw("\\Device\\Odd", REG_DWORD, &number, sizeof number);
  addRaw("\\Device\\Unterminated", REG_SZ, "COM7", 4);  // no terminating zero stored
  addPort(std::string(300, 'x'), "COM8");  // a value name longer than the enumeration takes
  addPort("\\Device\\Empty", "");
  EXPECT_EQ(listed(), (std::vector<std::string>{"COM3", "COM7"}));
}

TEST_F(RegistryPorts, NoMapOrAnEmptyMapMeansNoPorts) {
  // Windows removes the map's values, and may remove the key, when the last adapter goes; the
  // list must then empty rather than keep showing the adapter.
  RegistryPortSource missing("Software\\LyraphoneTests\\NoSuchKey", true);
  auto none = missing.readSystemPorts();
  ASSERT_TRUE(none.has_value());
  EXPECT_TRUE(none->empty());
  EXPECT_TRUE(listed().empty());
}

TEST(Win32DeviceNames, COMOneToNineAreDosNamesAndTenOnwardsUseTheDeviceNamespace) {
  EXPECT_EQ(win32DeviceName(1), "COM1");
  EXPECT_EQ(win32DeviceName(9), "COM9");
  EXPECT_EQ(win32DeviceName(10), "//./COM10");
  EXPECT_EQ(win32DeviceName(256), "//./COM256");
  EXPECT_EQ(devicePathForPortName("COM12"), "//./COM12");
  EXPECT_EQ(devicePathForPortName("COM"), "//./COM");
}

TEST(Win32Errors, KeepTheKindsTheCallersActOn) {
  EXPECT_EQ(serialErrorFromWin32(ERROR_FILE_NOT_FOUND), SerialError::NotFound);
  EXPECT_EQ(serialErrorFromWin32(ERROR_ACCESS_DENIED), SerialError::Busy);
  EXPECT_EQ(serialErrorFromWin32(ERROR_BAD_COMMAND), SerialError::Vanished);
  EXPECT_EQ(serialErrorFromWin32(ERROR_OPERATION_ABORTED), SerialError::Vanished);
  EXPECT_EQ(serialErrorFromWin32(ERROR_TIMEOUT), SerialError::Other);
}

}  // namespace
}  // namespace lyra
