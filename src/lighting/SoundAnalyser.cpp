#include "lighting/SoundAnalyser.h"

#include <kissfft/kiss_fftr.h>

#include <algorithm>
#include <cmath>
#include <new>
#include <type_traits>
#include <utility>

namespace lighting {

static_assert(std::is_same_v<kiss_fft_scalar, float>,
              "built against the float flavour of KissFFT (pkg-config kissfft-float)");

struct SoundAnalyser::Work {
  struct PlanFree {
    void operator()(kiss_fftr_state* plan) const { kiss_fftr_free(plan); }
  };

  std::unique_ptr<kiss_fftr_state, PlanFree> plan;
  std::array<kiss_fft_scalar, kWindowSize> input{};
  std::array<kiss_fft_cpx, kWindowSize / 2 + 1> output{};
};

SoundAnalyser::SoundAnalyser(SpectrumSink sink) : sink_(std::move(sink)), work_(std::make_unique<Work>()) {
  work_->plan.reset(kiss_fftr_alloc(kWindowSize, 0, nullptr, nullptr));
  if (!work_->plan) throw std::bad_alloc();
}

SoundAnalyser::~SoundAnalyser() = default;

int SoundAnalyser::Push(std::span<const int16_t> samples) {
  int made = 0;
  while (!samples.empty()) {
    const std::size_t take = std::min(samples.size(), window_.size() - filled_);
    std::copy_n(samples.begin(), take, window_.begin() + static_cast<std::ptrdiff_t>(filled_));
    filled_ += take;
    samples = samples.subspan(take);
    if (filled_ < window_.size()) break;
    filled_ = 0;
    Analyse(window_, spectrum_);
    ++made;
    if (sink_) sink_(spectrum_);
  }
  return made;
}

void SoundAnalyser::Analyse(std::span<const int16_t, kWindowSize> window, Spectrum& out) {
  std::copy(window.begin(), window.end(), work_->input.begin());
  kiss_fftr(work_->plan.get(), work_->input.data(), work_->output.data());

  out[0] = 0;
  for (std::size_t j = 1; j < out.size(); ++j) {
    const double re = work_->output[j].r;
    const double im = work_->output[j].i;
    const double magnitude = std::sqrt((re * re + im * im) / kWindowSize);
    out[j] = magnitude >= kMaxMagnitude ? kMaxMagnitude : static_cast<int32_t>(magnitude);
  }
}

}  // namespace lighting
