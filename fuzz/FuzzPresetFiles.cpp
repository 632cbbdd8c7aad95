// Every file a user can pick: the single-preset and all-presets checks, the joining of a
// single-preset file's lines, and the decode of what passes.

#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "preset/PresetBlockText.h"
#include "preset/PresetDecoder.h"
#include "preset/PresetUpload.h"
#include "storage/PresetFiles.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view content(reinterpret_cast<const char*>(data), size);
  const auto lines = lyra::SplitTextLines(content);
  for (const auto& line : lines)
    if (line.find_first_of("\r\n") != std::string::npos) std::abort();

  // Load a preset: the lines joined into one text, tested, uploaded and decoded.
  const std::string text = lyra::JoinLines(lines);
  lyra::PresetImage image;
  if (lyra::IsValidPresetBlockText(text)) {
    if (!lyra::DecodePresetBlock(text, image)) std::abort();  // a valid text always decodes
    if (!lyra::BuildUploadBody(text, 0x00, lyra::UploadTarget::ActivePreset())) std::abort();
  } else {
    (void)lyra::DecodePresetBlock(text, image);  // must not read past the text
  }

  // Load all presets: twenty valid lines, each of which decodes.
  if (lyra::IsValidAllPresetsFile(lines)) {
    if (lines.size() != lyra::kAllPresetsLineCount) std::abort();
    for (const auto& line : lines)
      if (!lyra::DecodePresetBlock(line, image)) std::abort();
  }
  return 0;
}
