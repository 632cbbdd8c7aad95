#pragma once
// The names the editing pages show for coded values: the filter and band types of their lists and
// the polarity caption. Plain text, so that every front end shows the same words as the window.

#include <array>
#include <cstdint>
#include <string_view>

namespace lyra {

// Item index = 3 x slope (12, 18, 24 dB per octave) + family (Butterworth, LR, Bessel).
inline constexpr std::array<std::string_view, 9> kFilterTypeNames = {
    "12db-Bworth", "12db-LR",     "12db-Bessel", "18db-Bworth", "18db-LR",
    "18db-Bessel", "24db-Bworth", "24db-LR",     "24db-Bessel"};

// Band type codes 0, 1, 2.
inline constexpr std::array<std::string_view, 3> kBandTypeNames = {"PEQ", "LS", "HS"};

// The polarity buttons' caption: "Pol(-)" for an inverted output, "Pol(+)" otherwise.
constexpr std::string_view PolarityText(std::uint8_t polarity) {
  return polarity != 0 ? "Pol(-)" : "Pol(+)";
}

}  // namespace lyra
