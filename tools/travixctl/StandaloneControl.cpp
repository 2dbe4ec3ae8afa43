#include "travixctl/StandaloneControl.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <array>

#include "app/DeviceTables.h"
#include "control/DeviceRequest.h"
#include "control/DpiRequest.h"
#include "control/EnglishTexts.h"
#include "control/KeyRequest.h"
#include "devicecore/KeyedDeviceCore.h"
#include "control/LightRequest.h"
#include "control/ProfileRequest.h"
#include "devicecore/MouseCore.h"
#include "platform/DataFolders.h"
#include "profiles/JsonFile.h"
#include "protocol/PowerStatus.h"

namespace travixctl {

namespace {

using control::Failure;
using control::Whole;

// The colour dialog's stored swatches go with a profile reset.
constexpr const char* kPaletteFile = "color_option_info.config";

Failure NeedsProgram(const QString& what) {
  return {QStringLiteral("needs-program"),
          QStringLiteral("%1 needs Travix running: start Travix, then ask again").arg(what)};
}

Failure NotAnswering(const QString& word) {
  return {QStringLiteral("not-answering"), QStringLiteral("the %1 does not answer").arg(word)};
}

QString TextOf(const std::string& id) { return control::EnglishText(id); }

control::LightTarget TargetOf(StandaloneDevice& device) {
  return {device.Word(), device.ModeIds(), device.Kind() != 2 && device.Kind() != 3, TextOf};
}

}  // namespace

StandaloneControl::StandaloneControl(int timeoutMs) : timeoutMs_(timeoutMs) {}

ControlReply StandaloneControl::Handle(const ControlRequest& request) {
  using Command = Outcome (StandaloneControl::*)(const QJsonObject&, Result&);
  static const std::array<std::pair<const char*, Command>, 10> kCommands = {{
      {"list", &StandaloneControl::List},
      {"light", &StandaloneControl::Light},
      {"dpi", &StandaloneControl::Dpi},
      {"key", &StandaloneControl::Key},
      {"profile-list", &StandaloneControl::ProfileList},
      {"profile-show", &StandaloneControl::ProfileShow},
      {"profile-select", &StandaloneControl::ProfileSelect},
      {"profile-export", &StandaloneControl::ProfileExport},
      {"profile-import", &StandaloneControl::ProfileImport},
      {"profile-reset", &StandaloneControl::ProfileReset},
  }};
  Outcome outcome =
      Failure{QStringLiteral("bad-request"), QStringLiteral("unknown command \"%1\"").arg(request.command)};
  Result result;
  if (request.command == QLatin1String("light-same-mode"))
    outcome = NeedsProgram(QStringLiteral("the same mode on every device"));
  else if (request.command == QLatin1String("game-event"))
    outcome = NeedsProgram(QStringLiteral("game lighting"));
  for (const auto& [name, handler] : kCommands)
    if (request.command == QLatin1String(name)) {
      if (!devices_) {
        devices_.emplace(StandaloneDevices::Clock::now() + std::chrono::milliseconds(timeoutMs_));
        devices_->Open();
      }
      outcome = (this->*handler)(request.args, result);
    }
  ControlReply reply;
  if (outcome) {
    reply.exitStatus = ExitStatusForError(outcome->code);
    reply.error = outcome->code;
    reply.text = outcome->text;
  } else {
    reply.exitStatus = kExitOk;
    reply.result = result;
  }
  return reply;
}

StandaloneDevice* StandaloneControl::Find(const QJsonObject& args, bool read, Outcome& failure) {
  QString word;
  size_t index = 0;
  failure = control::ChooseDevice(
      args, [this](const QString& kind) { return devices_->Devices(kind).size(); }, word, index);
  if (failure)
    return nullptr;
  StandaloneDevice* device = devices_->Devices(word)[index];
  if (!read) {
    device->LoadFiles();
    return device;
  }
  failure = ReadSettings(*device);
  return failure ? nullptr : device;
}

StandaloneControl::Outcome StandaloneControl::ReadSettings(StandaloneDevice& device) {
  if (devices_->Online(device) && devices_->Read(device))
    return std::nullopt;
  return NotAnswering(device.Word());
}

StandaloneControl::Outcome StandaloneControl::SettingsWritten(StandaloneDevice& device, const QString& what) {
  return Written(device, [&device](StandaloneDevice::Done done) { device.WriteSettings(std::move(done)); }, what);
}

StandaloneControl::Outcome StandaloneControl::Written(StandaloneDevice& device,
                                                     const std::function<void(StandaloneDevice::Done)>& write,
                                                     const QString& what) {
  int written = -1;
  write([&written](int result) { written = result; });
  // The steps queued behind the answered one (a whole profile's macros and
  // key tables) are through before the device is left.
  const bool answered = devices_->WaitUntil([&] { return written >= 0 && device.Core().IsIdle(); });
  if (answered && written == 1)
    return std::nullopt;
  return Failure{QStringLiteral("not-answering"),
                 QStringLiteral("the %1 did not take %2; its profile keeps it for the next time it answers")
                     .arg(device.Word(), what)};
}

// --- Commands ----------------------------------------------------------------------

StandaloneControl::Outcome StandaloneControl::List(const QJsonObject& /*args*/, Result& result) {
  QJsonArray list;
  for (const char* word : control::kDeviceWords) {
    const std::vector<StandaloneDevice*> found = devices_->Devices(QLatin1String(word));
    for (size_t i = 0; i < found.size(); ++i) {
      StandaloneDevice& device = *found[i];
      const bool receiver = StandaloneDevices::ByReceiver(device);
      const bool online = devices_->Online(device);
      int charge = 0;
      if (online && DeviceTables::Pages()[static_cast<size_t>(device.Kind())].ShowPower != 0) {
        bool finished = false;
        device.Core().PollPowerStatus([&](std::optional<DeviceCore::PowerBytes> status) {
          finished = true;
          charge = status ? (*status)[protocol::PowerStatus::kChargeOffset] : 0;
        });
        devices_->WaitUntil([&finished] { return finished; });
      }
      const QJsonObject entry = control::DeviceEntry(QLatin1String(word), i + 1, receiver, online,
                                                     device.Core().InterfaceVersion(receiver), charge);
      list.append(entry);
    }
  }
  result = QJsonObject{{QLatin1String("devices"), list}};
  return std::nullopt;
}

StandaloneControl::Outcome StandaloneControl::Light(const QJsonObject& args, Result& result) {
  Outcome failure;
  const QString word = args.value(QLatin1String("device")).toString();
  if (word == QLatin1String("headset"))
    return NeedsProgram(QStringLiteral("the headset's lighting"));
  StandaloneDevice* device = Find(args, true, failure);
  if (device == nullptr)
    return failure;
  const control::LightTarget target = TargetOf(*device);
  LightInfo info = FromLightWords(device->Core().GetLightWords());
  bool changed = false;
  if (auto refused = control::ApplyLightArguments(args, target, info, changed))
    return refused;
  if (changed && device->HostDriven(info.SelectItem))
    return NeedsProgram(QStringLiteral("the %1's mode \"%2\"").arg(word, TextOf(target.modeIds[info.SelectItem])));
  if (changed) {
    // The window's sequence: the profile first, then the device.
    device->SetLightInfo(ToLightWords(info));
    device->SaveProfile();
    if (Outcome refused = SettingsWritten(*device, QStringLiteral("the lighting")))
      return refused;
  }
  result = control::LightState(FromLightWords(device->Core().GetLightWords()), target, args);
  if (changed)
    result.insert(QLatin1String("written"), true);
  return std::nullopt;
}

StandaloneControl::Outcome StandaloneControl::Dpi(const QJsonObject& args, Result& result) {
  Outcome failure;
  StandaloneDevice* device = Find(args, false, failure);
  if (device == nullptr)
    return failure;
  if (device->Mouse() == nullptr)
    return Failure{QStringLiteral("bad-request"), QStringLiteral("only a mouse has DPI stages")};
  if (Outcome silent = ReadSettings(*device))
    return silent;
  MouseCore* mouse = device->Mouse();
  const mouse::SensorParameters sensor = mouse->Sensor();
  if (!sensor.Valid())
    return Failure{QStringLiteral("not-answering"), QStringLiteral("the mouse's sensor could not be read")};
  control::DpiMouse state{sensor, {}, mouse->ActiveStage(), MouseCore::kReportRates};
  for (int n = 0; n < mouse::kStages; ++n)
    state.enabled[static_cast<size_t>(n)] = mouse->Stage(n).StageActive != 0;
  control::DpiPlan plan;
  if (auto refused = control::ParseDpiArguments(args, state, plan))
    return refused;
  if (!plan.Empty()) {
    for (const auto& [stage, steps] : plan.settings)
      mouse->Stage(stage).StageDPIX = static_cast<uint16_t>(steps);
    for (const auto& [stage, on] : plan.switches)
      mouse->Stage(stage).StageActive = on ? 1 : 0;
    if (plan.stage) {
      mouse->Stage(*plan.stage).StageActive = 1;
      mouse->SetActiveStage(*plan.stage);
    }
    if (plan.reportRate >= 0)
      mouse->SetReportRate(plan.reportRate);
    mouse->StoreStages();
    device->SaveProfile();
    if (Outcome refused = SettingsWritten(*device, QStringLiteral("the change")))
      return refused;
  }
  result = control::DpiState(sensor, mouse->Stages(), mouse->ActiveStage(), mouse->ReportRate(), args);
  if (!plan.Empty())
    result.insert(QLatin1String("written"), true);
  return std::nullopt;
}

StandaloneControl::Outcome StandaloneControl::Key(const QJsonObject& args, Result& result) {
  Outcome failure;
  StandaloneDevice* device = Find(args, false, failure);
  if (device == nullptr)
    return failure;
  KeyedDeviceCore* keys = device->Keys();
  if (keys == nullptr)
    return Failure{QStringLiteral("bad-request"), QStringLiteral("only the keyboard and the mouse have keys")};
  if (Outcome silent = ReadSettings(*device))
    return silent;
  const control::KeyTarget target{device->Word(),
                                  device->Mouse() != nullptr ? keys::PanelDevice::Mouse : keys::PanelDevice::Keyboard,
                                  keys->KeyList(), static_cast<int>(keys->MacroNames().size()), TextOf};
  control::KeyChange change;
  if (auto refused = control::ParseKeyArguments(args, target, change))
    return refused;
  // As the panel's save: the key in the profile, then the macros and the
  // key tables to the device.
  keys->SetKeyAssignment(change.position, change.entry);
  device->SaveProfile();
  if (Outcome refused = Written(*device, [device](auto done) { device->WriteKeys(std::move(done)); },
                                QStringLiteral("the key")))
    return refused;
  result = control::KeyState(target, change, args);
  result.insert(QLatin1String("written"), true);
  return std::nullopt;
}

int StandaloneControl::ProfileIndex(const QJsonObject& args, StandaloneDevice& device, Outcome& failure) {
  ::ProfileList& list = device.Profiles();
  list.Count();  // the file is the authority
  int index = -1;
  failure = control::ProfileIndex(args, list.Entries(), list.SelectedId(), index);
  return index;
}

StandaloneControl::Outcome StandaloneControl::ProfileList(const QJsonObject& args, Result& result) {
  Outcome failure;
  StandaloneDevice* device = Find(args, false, failure);
  if (device == nullptr)
    return failure;
  ::ProfileList& list = device->Profiles();
  list.Count();
  QJsonArray profiles;
  const auto& entries = list.Entries();
  for (size_t i = 0; i < entries.size(); ++i)
    profiles.append(QJsonObject{{QLatin1String("number"), static_cast<int>(i + 1)},
                                {QLatin1String("name"), entries[i].name},
                                {QLatin1String("active"), entries[i].id == list.SelectedId()}});
  result = QJsonObject{{QLatin1String("profiles"), profiles}};
  return std::nullopt;
}

StandaloneControl::Outcome StandaloneControl::ProfileShow(const QJsonObject& args, Result& result) {
  Outcome failure;
  StandaloneDevice* device = Find(args, false, failure);
  if (device == nullptr)
    return failure;
  const int index = ProfileIndex(args, *device, failure);
  if (index < 0)
    return failure;
  QFile file(device->Profiles().PathAt(index));
  const QByteArray text = file.open(QIODevice::ReadOnly) ? file.read(JsonFile::kMaxFileSize) : QByteArray();
  const QJsonDocument document = QJsonDocument::fromJson(text);
  result = QJsonObject{{QLatin1String("name"), device->Profiles().Entries()[static_cast<size_t>(index)].name},
                       {QLatin1String("number"), index + 1},
                       {QLatin1String("settings"), document.isObject() ? QJsonValue(document.object()) : QJsonValue()}};
  return std::nullopt;
}

StandaloneControl::Outcome StandaloneControl::ProfileSelect(const QJsonObject& args, Result& result) {
  if (!args.contains(QLatin1String("profile")))
    return Failure{QStringLiteral("bad-request"), QStringLiteral("which profile? a number from 1 or a name")};
  if (args.value(QLatin1String("device")).toString() == QLatin1String("headset"))
    return NeedsProgram(QStringLiteral("the headset's profiles"));
  Outcome failure;
  StandaloneDevice* device = Find(args, true, failure);
  if (device == nullptr)
    return failure;
  const int index = ProfileIndex(args, *device, failure);
  if (index < 0)
    return failure;
  device->Profiles().Select(index);
  device->FollowSelectedProfile();
  if (Outcome refused = Written(*device, [device](auto done) { device->WriteWholeProfile(std::move(done)); },
                                QStringLiteral("the profile")))
    return refused;
  result = QJsonObject{{QLatin1String("profile"), device->Profiles().Entries()[static_cast<size_t>(index)].name}};
  return std::nullopt;
}

StandaloneControl::Outcome StandaloneControl::ProfileExport(const QJsonObject& args, Result& result) {
  Outcome failure;
  StandaloneDevice* device = Find(args, false, failure);
  if (device == nullptr)
    return failure;
  QString file;
  if (Outcome refused = control::AbsoluteFile(args, file))
    return refused;
  const int index = ProfileIndex(args, *device, failure);
  if (index < 0)
    return failure;
  if (!device->Profiles().Export(index, file))
    return Failure{QStringLiteral("bad-request"), QStringLiteral("%1 could not be written").arg(file)};
  result = QJsonObject{{QLatin1String("file"), file}};
  return std::nullopt;
}

StandaloneControl::Outcome StandaloneControl::ProfileImport(const QJsonObject& args, Result& result) {
  Outcome failure;
  StandaloneDevice* device = Find(args, false, failure);
  if (device == nullptr)
    return failure;
  QString file;
  if (Outcome refused = control::AbsoluteFile(args, file))
    return refused;
  const int added = device->Profiles().Import(file);
  if (added < 0)
    return Failure{QStringLiteral("bad-request"), QStringLiteral("%1 is not a profile that can be added").arg(file)};
  result = QJsonObject{{QLatin1String("name"), device->Profiles().Entries()[static_cast<size_t>(added)].name},
                       {QLatin1String("number"), added + 1}};
  return std::nullopt;
}

StandaloneControl::Outcome StandaloneControl::ProfileReset(const QJsonObject& args, Result& result) {
  if (args.value(QLatin1String("device")).toString() == QLatin1String("headset"))
    return NeedsProgram(QStringLiteral("the headset's profiles"));
  Outcome failure;
  StandaloneDevice* device = Find(args, true, failure);
  if (device == nullptr)
    return failure;
  // The selected profile, as the window's reset button.
  const int index = ProfileIndex(QJsonObject{}, *device, failure);
  if (index < 0)
    return failure;
  QFile::remove(platform::DataFolders::UserDataDir() + QLatin1String(kPaletteFile));
  if (!device->Profiles().Reset(index))
    return Failure{QStringLiteral("not-answering"), QStringLiteral("the profile could not be reset")};
  device->FollowSelectedProfile();
  if (Outcome refused = Written(*device, [device](auto done) { device->WriteWholeProfile(std::move(done)); },
                                QStringLiteral("the profile")))
    return refused;
  result = QJsonObject{};
  return std::nullopt;
}

}  // namespace travixctl
