#pragma once
// Decoding a whole preset into the PresetImage.
//
// The device does not check what it stores, and neither the header nor the checksum of a block
// is examined here, so the range rule keeps every index inside its scale before any control or
// curve uses it. The caller refreshes the controls and the graph from the decoded image.

#include <string_view>

#include "preset/PresetBlockText.h"
#include "preset/PresetImage.h"

namespace lyra {

// Replaces the Way records, the bands and the Main-only fields with those of the data bytes,
// applies the range rule and sets savedSystemLevel to systemLevel. The SystemRecord and the
// NameTable do not travel in a block and stay as they are.
void DecodePresetData(const PresetData& data, PresetImage& image);

// DecodePresetData on the data bytes of a text (frame bytes 10..329; the header, checksum and
// trailer need not be present or valid). False, with the image unchanged, when the text does not
// hold 320 hexadecimal data bytes.
[[nodiscard]] bool DecodePresetBlock(std::string_view text, PresetImage& image);

// Levels, band fields and filter fields limited to their ranges: High and Mid level to 250,
// Low level to 200, frequencies to 243, band type to 2, gains to 180, q to 179, filter types
// to 8. Every other field is taken as it comes.
void ApplyRangeRule(PresetImage& image);

}  // namespace lyra
