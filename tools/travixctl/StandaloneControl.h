#pragma once

#include <QJsonObject>
#include <chrono>
#include <optional>

#include "control/RequestValues.h"
#include "travixctl/ControlClient.h"
#include "travixctl/StandaloneDevices.h"

namespace travixctl {

// Carries out a control request on the devices themselves, while Travix is
// not running: the same arguments, checks and replies as the program's,
// through the device cores and the profile library, so that the device and
// the profile files end as the window would leave them. Lighting the
// program draws itself (the headset, the keyboard's music and screen
// modes, the same mode on every device, game events) needs the program and
// is refused as such. The caller holds the device lock.
class StandaloneControl {
 public:
  explicit StandaloneControl(int timeoutMs);

  ControlReply Handle(const ControlRequest& request);

 private:
  using Result = QJsonObject;
  using Outcome = std::optional<control::Failure>;  // nothing: done

  Outcome List(const QJsonObject& args, Result& result);
  Outcome Light(const QJsonObject& args, Result& result);
  Outcome Dpi(const QJsonObject& args, Result& result);
  Outcome Key(const QJsonObject& args, Result& result);
  Outcome ProfileList(const QJsonObject& args, Result& result);
  Outcome ProfileShow(const QJsonObject& args, Result& result);
  Outcome ProfileSelect(const QJsonObject& args, Result& result);
  Outcome ProfileExport(const QJsonObject& args, Result& result);
  Outcome ProfileImport(const QJsonObject& args, Result& result);
  Outcome ProfileReset(const QJsonObject& args, Result& result);

  // The device a request names ("device", "index" from 1), opened; with
  // `read`, its settings read too (which needs it to answer).
  StandaloneDevice* Find(const QJsonObject& args, bool read, Outcome& failure);
  // The profile a request names ("profile": number from 1 or name; the
  // selected one without it), or -1 with `failure` set.
  int ProfileIndex(const QJsonObject& args, StandaloneDevice& device, Outcome& failure);
  // Reads the device's settings once (first contact); a failure when it
  // does not answer.
  Outcome ReadSettings(StandaloneDevice& device);
  // The settings block written, as most changes end.
  Outcome SettingsWritten(StandaloneDevice& device, const QString& what);
  // Runs `write` (one of the device's writes) and waits for the device's
  // answer and for every step queued behind it.
  Outcome Written(StandaloneDevice& device, const std::function<void(StandaloneDevice::Done)>& write,
                  const QString& what);

  int timeoutMs_;
  std::optional<StandaloneDevices> devices_;
};

}  // namespace travixctl
