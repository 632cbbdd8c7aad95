#include "sim/DeviceStatus.h"

#include <algorithm>
#include <cmath>

namespace lyra {

namespace {

constexpr double kSecondUs = 1e6;
// Random walk of the temperature: about 0.05 degrees in a second, pulled back to the working
// point with a time constant of a few minutes.
constexpr double kWanderCelsiusPerRootSecond = 0.05;
constexpr double kReturnPerSecond = 1.0 / 300.0;
// The protection changes the attenuation by one dB at most every few seconds.
constexpr std::int64_t kAttenuationStepUs = 4'000'000;
constexpr double kAttenuationHysteresisCelsius = 2.0;

}  // namespace

const std::array<int, 31>& DeviceStatus::sensorTable() {
  static const std::array<int, 31> table = {1123, 1184, 1260, 1336, 1412, 1503, 1594, 1685,
                                            1792, 1883, 2004, 2110, 2232, 2353, 2490, 2627,
                                            2779, 2915, 3037, 3219, 3386, 3538, 3705, 3872,
                                            4054, 4221, 4404, 4556, 4753, 4859, 5118};
  return table;
}

int DeviceStatus::readingForCelsius(double celsius) {
  const auto& t = sensorTable();
  // Entry k stands for 70 - 2k degrees; in between the sensor is taken as linear.
  const double position = std::clamp((70.0 - celsius) / 2.0, 0.0, 30.0);
  const auto k = static_cast<std::size_t>(std::floor(position));
  if (k >= 30) return t[30];
  const double frac = position - static_cast<double>(k);
  return static_cast<int>(std::lround(t[k] + frac * (t[k + 1] - t[k])));
}

DeviceStatus::DeviceStatus(std::uint32_t seed) : random_(seed) {
  // Devices on one bus do not all sit at the same temperature.
  std::uniform_real_distribution<double> start(-4.0, 4.0);
  celsius_ = kWorkingPointCelsius + start(random_);
}

void DeviceStatus::set(double celsius, int attenuationDb) {
  celsius_ = std::clamp(celsius, kLowestCelsius, kHighestCelsius);
  attenuationDb_ = std::clamp(attenuationDb, 0, kMaxAttenuationDb);
  limiterDb_ = std::min(attenuationDb_, kMaxLimiterDb);
  thermalDb_ = attenuationDb_ - limiterDb_;
}

void DeviceStatus::advanceTo(std::int64_t nowUs, double limitCelsius) {
  const std::int64_t elapsedUs = std::max<std::int64_t>(0, nowUs - lastUs_);
  lastUs_ = nowUs;
  if (frozen_ || elapsedUs == 0) return;
  const double seconds = static_cast<double>(elapsedUs) / kSecondUs;

  std::normal_distribution<double> step(0.0, kWanderCelsiusPerRootSecond * std::sqrt(seconds));
  const double pull = (kWorkingPointCelsius - celsius_) * std::min(1.0, kReturnPerSecond * seconds);
  celsius_ = std::clamp(celsius_ + pull + step(random_), kLowestCelsius, kHighestCelsius);

  sinceAttenuationStepUs_ += elapsedUs;
  while (sinceAttenuationStepUs_ >= kAttenuationStepUs) {
    sinceAttenuationStepUs_ -= kAttenuationStepUs;
    if (celsius_ > limitCelsius && thermalDb_ < kMaxThermalDb)
      ++thermalDb_;
    else if (celsius_ < limitCelsius - kAttenuationHysteresisCelsius && thermalDb_ > 0)
      --thermalDb_;
    // The limiter follows the music: now and then a dB more or less.
    std::uniform_int_distribution<int> limiterStep(-1, 1);
    limiterDb_ = std::clamp(limiterDb_ + limiterStep(random_), 0, kMaxLimiterDb);
  }
  attenuationDb_ = limiterDb_ + thermalDb_;
}

std::array<std::uint8_t, 8> DeviceStatus::record() const {
  const int reading = readingForCelsius(celsius_);
  return {0,
          0,
          static_cast<std::uint8_t>(reading >> 8),
          static_cast<std::uint8_t>(reading & 0xFF),
          static_cast<std::uint8_t>(attenuationDb_),
          0,
          0,
          0};
}

}  // namespace lyra
