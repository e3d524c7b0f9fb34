// The software mixer on 16 playing channels, one second of audio per iteration, mixed in the
// device's blocks of 1024 frames. The counter "realtime_pct" is mixing time as a share of the
// second it produces. Baselines in the same run: a memcpy of the same amount of source audio,
// and a plain loop that sums 16 stereo sources into the output with clamping.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <vector>

#include "os/audio_mixer.h"

namespace {

constexpr uint32_t kChannels = 16;
constexpr uint32_t kSecondFrames = os::kMixRate;
constexpr uint32_t kBlockFrames = 1024;

void FillNoise(uint8_t* bytes, uint32_t size, uint32_t seed) {
  for (uint32_t i = 0; i < size; ++i) {
    seed = seed * 214013u + 2531011u;
    bytes[i] = static_cast<uint8_t>(seed >> 16);
  }
}

// 16 looping two-second buffers at various volumes and pans; with `mixed_rates` half of them
// are 22050 Hz mono and go through the rate conversion.
void AddChannels(os::AudioMixer& mixer, bool mixed_rates) {
  for (uint32_t c = 0; c < kChannels; ++c) {
    const bool converted = mixed_rates && c % 2 == 1;
    const os::PcmFormat format = converted ? os::PcmFormat{22050, 1, 16} : os::PcmFormat{};
    os::AudioBuffer* buffer = mixer.CreateBuffer(format, format.rate * format.BlockAlign() * 2);
    FillNoise(buffer->Data(), buffer->Size(), c + 1);
    buffer->SetVolume(-static_cast<int32_t>(c) * 100);
    buffer->SetPan(static_cast<int32_t>(c) * 500 - 4000);
    buffer->Play(true);
  }
}

void ReportRealTime(benchmark::State& state, double seconds) {
  state.counters["realtime_pct"] = 100.0 * seconds / static_cast<double>(state.iterations());
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kChannels * kSecondFrames * 4);
}

void MixSecond(benchmark::State& state, bool mixed_rates) {
  os::AudioMixer mixer;
  AddChannels(mixer, mixed_rates);
  std::vector<int16_t> out(kBlockFrames * 2);
  double seconds = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    for (uint32_t done = 0; done < kSecondFrames; done += kBlockFrames) {
      mixer.Mix(out.data(), std::min(kBlockFrames, kSecondFrames - done));
      benchmark::DoNotOptimize(out.data());
    }
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  }
  ReportRealTime(state, seconds);
}

void BM_Mix16Channels44100(benchmark::State& state) {
  MixSecond(state, false);
}
void BM_Mix16ChannelsMixedRates(benchmark::State& state) {
  MixSecond(state, true);
}

void BM_BaselineMemcpy(benchmark::State& state) {
  std::vector<uint8_t> source(kChannels * kSecondFrames * 4);
  FillNoise(source.data(), static_cast<uint32_t>(source.size()), 7);
  std::vector<uint8_t> target(source.size());
  double seconds = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    std::memcpy(target.data(), source.data(), source.size());
    benchmark::DoNotOptimize(target.data());
    benchmark::ClobberMemory();
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  }
  ReportRealTime(state, seconds);
}

void BM_BaselinePlainLoopMix(benchmark::State& state) {
  std::vector<std::vector<int16_t>> sources(kChannels, std::vector<int16_t>(kSecondFrames * 2));
  for (uint32_t c = 0; c < kChannels; ++c) {
    FillNoise(reinterpret_cast<uint8_t*>(sources[c].data()), kSecondFrames * 4, c + 1);
  }
  std::vector<int32_t> sum(kBlockFrames * 2);
  std::vector<int16_t> out(kBlockFrames * 2);
  double seconds = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    for (uint32_t done = 0; done < kSecondFrames; done += kBlockFrames) {
      const uint32_t n = std::min(kBlockFrames, kSecondFrames - done) * 2;
      std::fill_n(sum.data(), n, 0);
      for (const auto& source : sources) {
        for (uint32_t i = 0; i < n; ++i) sum[i] += source[done * 2 + i];
      }
      for (uint32_t i = 0; i < n; ++i)
        out[i] = static_cast<int16_t>(std::clamp(sum[i], -32768, 32767));
      benchmark::DoNotOptimize(out.data());
    }
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  }
  ReportRealTime(state, seconds);
}

BENCHMARK(BM_BaselineMemcpy);
BENCHMARK(BM_BaselinePlainLoopMix);
BENCHMARK(BM_Mix16Channels44100);
BENCHMARK(BM_Mix16ChannelsMixedRates);

}  // namespace

BENCHMARK_MAIN();
