#include "serial/SerialDriver.h"

namespace lyra {

const char* describe(SerialError error) {
  switch (error) {
    case SerialError::None: return "no error";
    case SerialError::NotFound: return "no such port";
    case SerialError::Busy: return "the port is in use by another program";
    case SerialError::PermissionDenied: return "no permission to open the port";
    case SerialError::Vanished: return "the port has gone away";
    case SerialError::LineSettings: return "the port refused 9600 8N1";
    case SerialError::NotASerialPort: return "this is not a serial port";
    case SerialError::Other: return "serial port error";
  }
  return "serial port error";
}

}  // namespace lyra
