#pragma once
// Display texts of parameter values. They never depend on the desktop's locale: a German desktop
// still shows "19.7 Hz" and "-6.0 dB", because these texts are read back as typed numbers and
// compared with what the program itself wrote.

#include <string>

namespace lyra {

// Shortest decimal form that reads back as the same double, never in exponent form:
// 19.7 -> "19.7", 1000 -> "1000", 0.2 -> "0.2".
std::string FormatShortest(double value);
// Fixed number of decimals, rounded to nearest; a result that rounds to zero is written without
// a minus sign ("0.0", not "-0.0").
std::string FormatFixed(double value, int decimals);

// "19.7 Hz", "1000 Hz", "21900 Hz".
std::string FormatFrequency(double hz);
// "0.2", "1", "36".
std::string FormatQ(double q);
// Equaliser gains and output levels: "-24.0 dB", "0.0 dB", "12.0 dB".
std::string FormatDb(double db);
// Delays and their distances: "8.547 ms", "2.944 m", "9.659 ft".
std::string FormatMs(double ms);
std::string FormatMetres(double metres);
std::string FormatFeet(double feet);

}  // namespace lyra
