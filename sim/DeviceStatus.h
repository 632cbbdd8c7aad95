#pragma once
// The device's status as its status poll reports it: the raw reading of the internal temperature
// sensor and the attenuation its protection applies.
//
// An amplifier warms up slowly under load and cools slowly, so the temperature wanders a fraction
// of a degree per second around a working point, and the attenuation creeps up by whole dB when
// the temperature passes the device's limit and creeps back down when it cools; on top of that the
// limiter takes a dB or two now and then, as music drives it. Everything moves
// with the time since the last poll, not with the number of polls, and derives from a seed, so a
// run can be repeated exactly.

#include <array>
#include <cstdint>
#include <random>

namespace lyra {

class DeviceStatus {
 public:
  // The sensor's reading at 70, 68, ... 10 degrees Celsius: colder reads higher.
  static const std::array<int, 31>& sensorTable();
  static int readingForCelsius(double celsius);

  static constexpr double kWorkingPointCelsius = 38.0;
  static constexpr double kLowestCelsius = 24.0;   // an idle amplifier in a cool room
  static constexpr double kHighestCelsius = 74.0;  // beyond this the device would shut down
  static constexpr int kMaxLimiterDb = 3;
  static constexpr int kMaxThermalDb = 9;
  static constexpr int kMaxAttenuationDb = kMaxLimiterDb + kMaxThermalDb;

  explicit DeviceStatus(std::uint32_t seed);

  // Moves the temperature and attenuation on to nowUs. limitCelsius is the device's temperature
  // limit from its system record.
  void advanceTo(std::int64_t nowUs, double limitCelsius);

  double celsius() const { return celsius_; }
  int attenuationDb() const { return attenuationDb_; }
  // Pins the values, e.g. for a test of the status bar; drift continues from there unless frozen.
  void set(double celsius, int attenuationDb);
  void freeze(bool frozen) { frozen_ = frozen; }

  // The eight bytes of the status reply: 00 00, the reading high byte first, the attenuation in
  // dB, 00 00 00.
  std::array<std::uint8_t, 8> record() const;

 private:
  std::mt19937 random_;
  std::int64_t lastUs_ = 0;
  double celsius_ = kWorkingPointCelsius;
  int attenuationDb_ = 0;
  int limiterDb_ = 0;  // the limiter riding the program material
  int thermalDb_ = 0;  // the protection above the temperature limit
  std::int64_t sinceAttenuationStepUs_ = 0;
  bool frozen_ = false;
};

}  // namespace lyra
