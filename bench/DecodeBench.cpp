// A whole preset from its 664 hex characters into the PresetImage: done for every block the
// device sends and every preset file loaded. Target: 5 us or less on the release build.
#include <benchmark/benchmark.h>

#include <string>

#include "preset/PresetDecoder.h"

namespace lyra {
namespace {

// A block as the device sends it: every level 0.0 dB, every band flat, filters off.
std::string SampleBlock() {
  std::string data;
  auto put = [&data](int byte) {
    static const char* kDigits = "0123456789ABCDEF";
    data += kDigits[(byte >> 4) & 0xF];
    data += kDigits[byte & 0xF];
  };
  for (int way = 0; way < 3; ++way) {
    for (int b :
         {0xC8, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xF3, 0, 0, 0, 0x13, 0, 0, 0, 0, 0, 0, 0}) {
      put(b);
    }
    for (int row = 0; row < 6; ++row) {
      for (int b : {0, 0, 0x78, 0, 0x78, 0, 4, 0}) put(b);
    }
  }
  for (int b : {0, 0, 0x2D, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0xF3, 0, 0, 0}) put(b);
  for (int row = 0; row < 6; ++row) {
    for (int b : {0, 0, 0x78, 0, 0x78, 0, 4, 0}) put(b);
  }
  while (data.size() < 640) put(0);
  return "A5A5A500520028000140" + data + "CDAA";
}

void BM_DecodeBlock(benchmark::State& state) {
  const std::string text = SampleBlock();
  PresetImage image;
  if (text.size() != kPresetBlockTextLength || !DecodePresetBlock(text, image)) {
    state.SkipWithError("the sample block does not decode");
    return;
  }
  for (auto _ : state) {
    benchmark::DoNotOptimize(text.data());
    const bool ok = DecodePresetBlock(text, image);
    benchmark::DoNotOptimize(ok);
    benchmark::DoNotOptimize(&image);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_DecodeBlock);

}  // namespace
}  // namespace lyra
