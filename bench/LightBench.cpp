// One step of each light effect over a full keyboard (170 points), and one
// second of a light thread's work at 64 passes a second.
#include <benchmark/benchmark.h>

#include <array>
#include <random>

#include "lighting/CommonEffects.h"
#include "lighting/EffectStepPlayer.h"
#include "lighting/KeyboardEffects.h"
#include "lighting/LightListPlayer.h"

namespace {

class ArrayCanvas : public lighting::LedCanvas {
 public:
  explicit ArrayCanvas(int count) : count_(count) {}
  int Count() const override { return count_; }
  void Set(int point, lighting::Rgb colour, uint8_t level) override {
    leds_[static_cast<size_t>(point)] = lighting::PackLed(colour, level);
  }
  lighting::Rgb Get(int point) const override { return lighting::UnpackColour(leds_[static_cast<size_t>(point)]); }
  uint8_t GetLevel(int point) const override { return lighting::UnpackLevel(leds_[static_cast<size_t>(point)]); }

 private:
  int count_;
  std::array<uint32_t, lighting::kMaxLightPoints> leds_{};
};

lighting::LightParams Params(int mode) {
  lighting::LightParams light;
  light.mode = mode;
  light.brightness = 4;
  light.speed = 2;
  light.direction = 1;
  light.multiColour = true;
  light.colour = {255, 32, 32};
  return light;
}

void KeyboardStep(benchmark::State& state) {
  const int mode = static_cast<int>(state.range(0));
  lighting::KeyboardEffects effects;
  lighting::EffectState effect;
  ArrayCanvas canvas(lighting::kMaxLightPoints);
  std::minstd_rand random;
  const lighting::RandomSource source = [&random] { return static_cast<uint32_t>(random()); };
  (void)effects.ResetKeyEffects(effect, mode);
  effects.MarkKey(51);
  uint32_t now = 0;
  for (auto _ : state) {
    effects.RunStep(effect, Params(mode), canvas, now, source);
    now += 16;
    benchmark::DoNotOptimize(canvas);
  }
}
BENCHMARK(KeyboardStep)->DenseRange(1, 34, 1);

void KindStep(benchmark::State& state) {
  const int kind = static_cast<int>(state.range(0));
  const int mode = static_cast<int>(state.range(1));
  lighting::EffectState effect;
  effect.StartChase();
  ArrayCanvas canvas(kind == 2 ? 15 : kind == 3 ? 15 : 13);
  uint32_t counter = 100;
  uint32_t now = 0;
  for (auto _ : state) {
    counter = 100;
    lighting::RunKindStep(kind, effect, Params(mode), canvas, now, counter);
    now += 16;
    benchmark::DoNotOptimize(canvas);
  }
}
BENCHMARK(KindStep)->ArgsProduct({{2, 3, 7}, {0, 1, 2, 3, 4, 5, 6, 7, 8}});

// A keyboard light thread's second: 64 passes, each with the mode's step
// (at speed 4 every pass) and the per-light-point list.
void KeyboardThreadSecond(benchmark::State& state) {
  const int mode = static_cast<int>(state.range(0));
  lighting::KeyboardEffects effects;
  lighting::EffectState effect;
  lighting::LightListPlayer list;
  ArrayCanvas canvas(lighting::kMaxLightPoints);
  std::minstd_rand random;
  const lighting::RandomSource source = [&random] { return static_cast<uint32_t>(random()); };
  (void)effects.ResetKeyEffects(effect, mode);
  lighting::LightParams light = Params(mode);
  light.speed = 4;
  uint32_t now = 0;
  for (auto _ : state) {
    for (int pass = 0; pass < 64; ++pass) {
      effects.RunStep(effect, light, canvas, now, source);
      list.Run(canvas, now, false);
      now += 16;
    }
    benchmark::DoNotOptimize(canvas);
  }
}
BENCHMARK(KeyboardThreadSecond)->Arg(1)->Arg(8)->Arg(33);

}  // namespace
