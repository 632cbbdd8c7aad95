#pragma once
// The window connected to one simulated device, for driving the editing pages with real key and
// mouse events and reading the parameter writes that reach the bus.

#include <QLineEdit>
#include <QTest>

#include "protocol/CommandFrame.h"
#include "tests/app/WindowFixture.h"

namespace lyra::test {

class EditingFixture : public WindowFixture {
 protected:
  // DeviceId 1 on the bus; shape its memory before connect().
  EditingFixture();
  // Starts the window, connects, lets the handshake finish, and forgets the frames so far.
  void connect();
  // Starts the window and shows it ready for typing, without connecting: PortOpen stays clear.
  void showDisconnected();
  void disconnect();

  // A click selects the edit's text, the keys replace it, Enter takes it.
  void typeAndEnter(QLineEdit* edit, const QString& keys);
  // The same, but the value is taken by moving the focus to another field.
  void typeAndLeave(QLineEdit* edit, const QString& keys);
  void leave();  // the focus goes to a field outside the editing pages

  // Lets the SendPump write what is pending, then returns the parameter writes (command 0xA1)
  // that reached the bus since the last call, in order.
  std::vector<Frame> sentWrites();

  // A 20-byte write frame to BusAddress 0, built here byte by byte.
  static Frame write(std::uint8_t group, std::uint8_t item, RowPayload payload);

  QLineEdit* edit(const char* name) const { return control<QLineEdit>(name); }

  DeviceModel& device;
  QLineEdit* elsewhere = nullptr;

 private:
  // Shows and activates the window with a field to move the focus to, and forgets earlier writes.
  void showForEditing();
  std::size_t seen_ = 0;
};

}  // namespace lyra::test
