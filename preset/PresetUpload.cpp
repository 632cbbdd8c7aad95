#include "preset/PresetUpload.h"

namespace lyra {

namespace {
constexpr std::uint8_t kWriteCommand = 0xA1;
constexpr std::uint8_t kFrameEnd = 0xAA;
constexpr int kActivePresetCounter = 25;
constexpr int kStoredBlockCount = 20;
}  // namespace

std::optional<UploadTarget> UploadTargetForCounter(int uploadCounter) {
  if (uploadCounter == kActivePresetCounter) return UploadTarget::ActivePreset();
  if (uploadCounter >= 1 && uploadCounter <= kStoredBlockCount) {
    return UploadTarget::StoredBlock(static_cast<std::uint8_t>(uploadCounter));
  }
  return std::nullopt;
}

UploadHeader BuildUploadHeader(std::uint8_t busAddress, UploadTarget target) {
  const auto length = static_cast<std::uint16_t>(kPresetDataLength);
  return {0xA5,
          0xA5,
          0xA5,
          busAddress,
          kWriteCommand,
          target.indexByte,
          target.group,
          0x00,
          static_cast<std::uint8_t>(length >> 8),
          static_cast<std::uint8_t>(length & 0xFF)};
}

std::optional<UploadBody> BuildUploadBody(std::string_view text, std::uint8_t busAddress,
                                          UploadTarget target) {
  const std::optional<PresetData> data = ReadPresetData(text);
  if (!data) return std::nullopt;
  UploadBody body{};
  // The checksum covers the whole upload frame from the BusAddress on, header included, although
  // the header goes out as a write of its own just before.
  std::uint8_t checksum = 0;
  const UploadHeader header = BuildUploadHeader(busAddress, target);
  for (std::size_t i = 3; i < header.size(); ++i) checksum ^= header[i];
  for (std::size_t i = 0; i < kPresetDataLength; ++i) {
    body[i] = (*data)[i];
    checksum ^= body[i];
  }
  body[kPresetDataLength] = checksum;
  body[kPresetDataLength + 1] = kFrameEnd;
  return body;
}

}  // namespace lyra
