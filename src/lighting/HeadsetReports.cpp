#include "lighting/HeadsetReports.h"

#include <algorithm>

namespace lighting {

namespace {

struct ReportPlan {
  uint8_t side;
  uint8_t block;
  int channel;     // 0 red, 1 green, 2 blue
  int firstPoint;  // 0 or 7
};

constexpr std::array<ReportPlan, kHeadsetReportCount> kPlan = {{
    {0x22, 0xAA, 0, 0},
    {0x22, 0xAD, 0, 7},
    {0x44, 0xAA, 0, 0},
    {0x44, 0xAD, 0, 7},
    {0x22, 0xAB, 1, 0},
    {0x22, 0xAE, 1, 7},
    {0x44, 0xAB, 1, 0},
    {0x44, 0xAE, 1, 7},
    {0x22, 0xAC, 2, 0},
    {0x22, 0xAF, 2, 7},
    {0x44, 0xAC, 2, 0},
    {0x44, 0xAF, 2, 7},
}};

using protocol::HeadsetLightReport;
constexpr int kValuesPerReport = HeadsetLightReport::kValues;

uint8_t Value(const LedCanvas& canvas, int point, int channel) {
  if (point >= canvas.Count()) return 0;
  const Rgb colour = canvas.Get(point);
  const uint8_t value = channel == 0 ? colour.r : channel == 1 ? colour.g : colour.b;
  return std::min(Scale(value, canvas.GetLevel(point)), kHeadsetMaxValue);
}

}  // namespace

std::array<HeadsetReport, kHeadsetReportCount> HeadsetLightReports(const LedCanvas& canvas) {
  std::array<HeadsetReport, kHeadsetReportCount> reports{};
  HeadsetReport working{};  // one buffer, refilled report by report
  for (int r = 0; r < kHeadsetReportCount; ++r) {
    const ReportPlan& plan = kPlan[r];
    working[HeadsetLightReport::kReportIdOffset] = HeadsetLightReport::kReportId;
    working[HeadsetLightReport::kSideOffset] = plan.side;
    working[HeadsetLightReport::kBlockOffset] = plan.block;
    const int values = std::min(kValuesPerReport, kHeadsetLightPoints - plan.firstPoint);
    for (int v = 0; v < values; ++v) {
      working[HeadsetLightReport::kValuesOffset + static_cast<size_t>(v)] =
          Value(canvas, plan.firstPoint + v, plan.channel);
    }
    reports[r] = working;
  }
  return reports;
}

}  // namespace lighting
