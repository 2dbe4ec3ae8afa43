#include "devicecore/HeadsetCore.h"

#include "devicecore/DeviceLedCanvas.h"
#include "lighting/HeadsetReports.h"
#include "lighting/LightPanelLayout.h"
#include "platform/TickClock.h"

HeadsetCore::HeadsetCore()
    : PadCore(lighting::kKindHeadset, std::make_unique<CRo6533Profiledata>()) {
  SetLightThreadStyle("MS灯光线程设定退出", 1000);
  SetEventThreadStyle("MS设备同步线程设定退出", 1000);
  // The headset's first contact reads its block only.
  SetReadsInformationBlock(false);
}

HeadsetCore::~HeadsetCore() {
  StopWorker();
  StopThreads();
}

void HeadsetCore::LoadProfileState() {
  PadCore::LoadProfileState();
  ReadAudioState();
}

void HeadsetCore::ResetToDefaults() {
  PadCore::ResetToDefaults();
  ReadAudioState();
}

void HeadsetCore::ReadAudioState() {
  CRo6533Profiledata& profile = HeadsetProfile();
  state_ = profile.GetHeadsetSystem();
  eqValues_ = state_.EqType == CRo6533Profiledata::kCustomEqType
                  ? profile.GetCustomEqValues(state_.CustomEqSelectIndex)
                  : profile.GetEqValues(state_.EqType);
  customEqNames_ = profile.GetCustomEqNames();
}

void HeadsetCore::LightPass() {
  PadCore::LightPass();
  SendLightReports(platform::TickCount());
}

void HeadsetCore::SendLightReports(uint32_t now) {
  if (!IsLightControlEnabled() || !Commands.IsOpen) {
    frameScheduled_ = false;
    return;
  }
  // Frames keep their 50 ms rhythm on average although the passes come in
  // steps of the tick count; after a long gap the rhythm starts again.
  if (frameScheduled_ && static_cast<int32_t>(now - nextFrame_) < 0)
    return;
  if (!frameScheduled_ || static_cast<int32_t>(now - nextFrame_) > 4 * kFrameIntervalMs)
    nextFrame_ = now;
  nextFrame_ += kFrameIntervalMs;
  frameScheduled_ = true;

  const DeviceLedCanvas canvas(*this);
  const auto reports = lighting::HeadsetLightReports(canvas);
  uint32_t dropped = 0;
  for (const lighting::HeadsetReport& report : reports)
    if (Commands.SendOutputReport(report) != hid::kResultSuccess)
      ++dropped;
  if (dropped == 0)
    ++framesSent_;
  reportsDropped_ += dropped;
}
