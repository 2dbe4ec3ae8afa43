#include "app/ControlRequests.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTimer>
#include <algorithm>
#include <array>
#include <memory>
#include <optional>
#include <vector>

#include "app/DevicePageSet.h"
#include "app/LightingCommands.h"
#include "app/ProfileCommands.h"
#include "app/ShellMessages.h"
#include "control/DeviceRequest.h"
#include "control/DpiRequest.h"
#include "control/EnglishTexts.h"
#include "control/KeyRequest.h"
#include "control/LightRequest.h"
#include "control/ProfileRequest.h"
#include "devices/CMpDevicePowerUI.h"
#include "devices/CVarnisMouseDevice.h"
#include "devices/CVarnisUSBDevice.h"
#include "devicecore/KeyedDeviceCore.h"
#include "mouse/DpiSteps.h"
#include "lighting/LightInfoWords.h"
#include "lighting/LightingBytes.h"
#include "platform/LocalMessageServer.h"
#include "platform/WindowMessages.h"
#include "profiles/JsonFile.h"
#include "profiles/ProfileList.h"
#include "ui/CDeviceProfileUI.h"
#include "ui/CKeySetControlUI.h"

namespace {

struct KindName {
  const char* word;
  DevicePageSet::Kind kind;
};
constexpr std::array<KindName, 4> kKinds = {{{"keyboard", DevicePageSet::Keyboard},
                                             {"mouse", DevicePageSet::Mouse},
                                             {"pad", DevicePageSet::MousePad},
                                             {"headset", DevicePageSet::Headset}}};

// How long a device write may take before the request is answered as not
// answering (the worker bounds each exchange; this only guards the reply).
constexpr int kWriteAnswerMs = 10000;

using control::Whole;

control::LightTarget TargetOf(CVarnisUSBDevice* device, const QString& word) {
  return {word, device->ModeNames(),
          device->GetKindType() != DeviceTypes::MousePad && device->GetKindType() != DeviceTypes::Headset,
          control::EnglishText};
}

// The pages of a kind whose device is there: open by cable, or behind its
// receiver (on or off). A page whose device is gone is not counted.
std::vector<CVarnisUSBDevice*> Attached(DevicePageSet& pages, DevicePageSet::Kind kind) {
  std::vector<CVarnisUSBDevice*> attached;
  for (CVarnisUSBDevice* page : pages.Devices(kind))
    if (page->Commands.IsOpen || page->Commands.WirelessMode)
      attached.push_back(page);
  return attached;
}

}  // namespace

ControlRequests::ControlRequests(FeatureHost& window, LightingCommands& lighting,
                                 ProfileCommands& profiles)
    : window_(window), lighting_(lighting), profiles_(profiles) {}

ControlRequests::~ControlRequests() {
  if (server_ != nullptr)
    server_->SetRequestHandler(QLatin1String(kRequestName), {});
}

void ControlRequests::Listen(platform::LocalMessageServer* server) {
  if (server_ != nullptr)
    server_->SetRequestHandler(QLatin1String(kRequestName), {});
  server_ = server;
  if (server == nullptr)
    return;
  server->SetRequestHandler(
      QLatin1String(kRequestName),
      [this](const platform::SocketMessage& message, const platform::LocalMessageServer::Reply& reply) {
        Handle(message.fields, [reply](const QJsonObject& members) {
          reply(platform::SocketMessage::WithFields(QLatin1String(kReplyName), members));
        });
      });
}

void ControlRequests::Handle(const QJsonObject& request, const Reply& reply) {
  // Each request is answered once, whatever its path.
  auto answered = std::make_shared<bool>(false);
  const QJsonValue id = request.value(QLatin1String("id"));
  auto answer = [reply, answered, id](QJsonObject members) {
    if (*answered)
      return;
    *answered = true;
    members.insert(QLatin1String("id"), id);
    reply(members);
  };
  const Result done = [answer](const QJsonObject& result) {
    answer(QJsonObject{{QLatin1String("ok"), true}, {QLatin1String("result"), result}});
  };
  const Fail fail = [answer](const Failure& failure) {
    answer(QJsonObject{{QLatin1String("ok"), false},
                       {QLatin1String("error"), failure.code},
                       {QLatin1String("text"), failure.text}});
  };
  if (!Whole(id)) {
    fail({QStringLiteral("bad-request"), QStringLiteral("a request needs a whole-number \"id\"")});
    return;
  }
  const QJsonValue argsValue = request.value(QLatin1String("args"));
  if (!argsValue.isUndefined() && !argsValue.isObject()) {
    fail({QStringLiteral("bad-request"), QStringLiteral("\"args\" must be an object")});
    return;
  }
  const QJsonObject args = argsValue.toObject();
  const QString command = request.value(QLatin1String("command")).toString();
  const bool changes = command != QLatin1String("list") && command != QLatin1String("profile-list") &&
                       command != QLatin1String("profile-show");
  if (changes && busy_ && busy_()) {
    fail({QStringLiteral("busy"),
          QStringLiteral("Travix is busy (a dialog is open or keys are being recorded); try again")});
    return;
  }
  using Command = void (ControlRequests::*)(const QJsonObject&, const Result&, const Fail&);
  static const std::array<std::pair<const char*, Command>, 12> kCommands = {{
      {"list", &ControlRequests::List},
      {"light", &ControlRequests::Light},
      {"light-same-mode", &ControlRequests::SameMode},
      {"game-event", &ControlRequests::GameEvent},
      {"profile-list", &ControlRequests::ProfileList},
      {"profile-select", &ControlRequests::ProfileSelect},
      {"profile-show", &ControlRequests::ProfileShow},
      {"profile-export", &ControlRequests::ProfileExport},
      {"profile-import", &ControlRequests::ProfileImport},
      {"profile-reset", &ControlRequests::ProfileReset},
      {"dpi", &ControlRequests::Dpi},
      {"key", &ControlRequests::Key},
  }};
  for (const auto& [name, handler] : kCommands)
    if (command == QLatin1String(name)) {
      (this->*handler)(args, done, fail);
      return;
    }
  fail({QStringLiteral("bad-request"), QStringLiteral("unknown command \"%1\"").arg(command)});
}

CVarnisUSBDevice* ControlRequests::Find(const QJsonObject& args, Failure& failure) const {
  auto pagesOf = [this](const QString& word) {
    for (const KindName& kind : kKinds)
      if (word == QLatin1String(kind.word))
        return Attached(window_.Pages(), kind.kind);
    return std::vector<CVarnisUSBDevice*>{};
  };
  QString word;
  size_t index = 0;
  if (auto refused = control::ChooseDevice(
          args, [&](const QString& kind) { return pagesOf(kind).size(); }, word, index)) {
    failure = *refused;
    return nullptr;
  }
  return pagesOf(word)[index];
}

// --- Commands ----------------------------------------------------------------------

void ControlRequests::List(const QJsonObject& /*args*/, const Result& done, const Fail& /*fail*/) {
  QJsonArray devices;
  for (const KindName& kind : kKinds) {
    const std::vector<CVarnisUSBDevice*> pages = Attached(window_.Pages(), kind.kind);
    for (size_t i = 0; i < pages.size(); ++i) {
      CVarnisUSBDevice* page = pages[i];
      const bool receiver = page->Commands.WirelessMode;
      int charge = 0;
      if (page->GetShowPower() != 0 && page->GetPowerPanel() != nullptr)
        charge = page->GetPowerPanel()->GetPowerStatus()[protocol::PowerStatus::kChargeOffset];
      const QJsonObject device =
          control::DeviceEntry(QLatin1String(kind.word), i + 1, receiver, static_cast<bool>(page->Commands.IsOpen),
                               page->Core().InterfaceVersion(receiver), charge);
      devices.append(device);
    }
  }
  done(QJsonObject{{QLatin1String("devices"), devices}});
}

void ControlRequests::Light(const QJsonObject& args, const Result& done, const Fail& fail) {
  Failure failure;
  CVarnisUSBDevice* device = Find(args, failure);
  if (device == nullptr) {
    fail(failure);
    return;
  }
  const QString word = args.value(QLatin1String("device")).toString();
  LightInfo info = FromLightWords(device->GetLightWords());
  bool changed = false;
  if (auto refused = control::ApplyLightArguments(args, TargetOf(device, word), info, changed)) {
    fail(*refused);
    return;
  }
  if (!changed) {
    done(control::LightState(info, TargetOf(device, word), args));
    return;
  }
  // The same sequence as the panel: the page and its profile first, then
  // the device.
  QPointer<CVarnisUSBDevice> page(device);
  auto finish = std::make_shared<std::function<void(int)>>(
      [page, args, done, fail, word](int written) {
        if (written == 1 && page != nullptr) {
          QJsonObject state = control::LightState(FromLightWords(page->GetLightWords()), TargetOf(page, word), args);
          state.insert(QLatin1String("written"), true);
          done(state);
          return;
        }
        fail({QStringLiteral("not-answering"),
              QStringLiteral("the %1 did not take the lighting; its profile keeps it for the next "
                             "time it answers")
                  .arg(word)});
      });
  QTimer::singleShot(kWriteAnswerMs, [finish] { (*finish)(0); });
  lighting_.ApplyLight(device, info, [finish](int written) { (*finish)(written); });
}

void ControlRequests::SameMode(const QJsonObject& args, const Result& done, const Fail& fail) {
  QJsonObject source = args;
  source.insert(QLatin1String("device"), args.value(QLatin1String("from")));
  Failure failure;
  CVarnisUSBDevice* device = Find(source, failure);
  if (device == nullptr) {
    fail(failure);
    return;
  }
  // The window's action works from the page shown.
  for (const KindName& kind : kKinds)
    if (source.value(QLatin1String("device")).toString() == QLatin1String(kind.word))
      window_.Pages().ShowDevicePage(kind.kind, true, true);
  if (window_.CurrentDevice() != device || !lighting_.ApplySameMode()) {
    fail({QStringLiteral("out-of-range"),
          QStringLiteral("the %1's mode is none of the effects every device shows (breathing, "
                         "static, blink, colour cycle, off)")
              .arg(source.value(QLatin1String("device")).toString())});
    return;
  }
  done(QJsonObject{});
}

void ControlRequests::GameEvent(const QJsonObject& args, const Result& done, const Fail& fail) {
  const QString name = args.value(QLatin1String("name")).toString();
  const auto& names = ShellMessages::kMainWindowNames;
  if (std::find_if(names.end() - 4, names.end(), [&](const char* game) {
        return name == QLatin1String(game);
      }) == names.end()) {
    fail({QStringLiteral("bad-request"),
          QStringLiteral("a game event is Game_Start, Game_End, Game_Kill or Game_Death")});
    return;
  }
  const auto wParam = Whole(args.value(QLatin1String("wParam")));
  const auto lParam = Whole(args.value(QLatin1String("lParam")));
  if (!wParam || !lParam || *wParam < 0 || *wParam > 2 || *lParam < 0 || *lParam > 0xFFFFFFFFLL) {
    fail({QStringLiteral("out-of-range"),
          QStringLiteral("wParam is 0, 1 or 2 and lParam a 32-bit number")});
    return;
  }
  lighting_.OnGameEvent(static_cast<platform::WParam>(*wParam), static_cast<platform::LParam>(*lParam));
  done(QJsonObject{});
}

CDeviceProfileUI* ControlRequests::ProfilesOf(const QJsonObject& args, CVarnisUSBDevice*& device,
                                              const Fail& fail) const {
  Failure failure;
  device = Find(args, failure);
  if (device == nullptr) {
    fail(failure);
    return nullptr;
  }
  CDeviceProfileUI* panel = device->ProfilePanel();
  if (panel == nullptr || panel->List() == nullptr) {
    fail({QStringLiteral("unknown-device"), QStringLiteral("this device keeps no profiles")});
    return nullptr;
  }
  return panel;
}

void ControlRequests::ProfileList(const QJsonObject& args, const Result& done, const Fail& fail) {
  CVarnisUSBDevice* device = nullptr;
  CDeviceProfileUI* panel = ProfilesOf(args, device, fail);
  if (panel == nullptr)
    return;
  QJsonArray profiles;
  const auto& entries = panel->List()->Entries();
  for (size_t i = 0; i < entries.size(); ++i)
    profiles.append(QJsonObject{{QLatin1String("number"), static_cast<int>(i + 1)},
                                {QLatin1String("name"), entries[i].name},
                                {QLatin1String("active"), entries[i].id == device->GetProfileId()}});
  done(QJsonObject{{QLatin1String("profiles"), profiles}});
}

int ControlRequests::ProfileIndex(const QJsonObject& args, CVarnisUSBDevice* device,
                                  CDeviceProfileUI* panel, const Fail& fail) const {
  int index = -1;
  if (auto refused = control::ProfileIndex(args, panel->List()->Entries(), device->GetProfileId(), index))
    fail(*refused);
  return index;
}

void ControlRequests::ProfileSelect(const QJsonObject& args, const Result& done, const Fail& fail) {
  CVarnisUSBDevice* device = nullptr;
  CDeviceProfileUI* panel = ProfilesOf(args, device, fail);
  if (panel == nullptr)
    return;
  if (!args.contains(QLatin1String("profile"))) {
    fail({QStringLiteral("bad-request"), QStringLiteral("which profile? a number from 1 or a name")});
    return;
  }
  const int index = ProfileIndex(args, device, panel, fail);
  if (index < 0)
    return;
  // As the user's choice in the combo: the panel's selection, then the
  // window's switch.
  panel->SelectProfile(index, false);
  profiles_.SwitchProfile(device);
  done(QJsonObject{{QLatin1String("profile"), panel->List()->Entries()[static_cast<size_t>(index)].name}});
}

void ControlRequests::ProfileShow(const QJsonObject& args, const Result& done, const Fail& fail) {
  CVarnisUSBDevice* device = nullptr;
  CDeviceProfileUI* panel = ProfilesOf(args, device, fail);
  if (panel == nullptr)
    return;
  const int index = ProfileIndex(args, device, panel, fail);
  if (index < 0)
    return;
  const QByteArray text = [&] {
    QFile file(panel->GetProfilePathAt(index));
    return file.open(QIODevice::ReadOnly) ? file.read(JsonFile::kMaxFileSize) : QByteArray();
  }();
  const QJsonDocument document = QJsonDocument::fromJson(text);
  done(QJsonObject{{QLatin1String("name"), panel->List()->Entries()[static_cast<size_t>(index)].name},
                   {QLatin1String("number"), index + 1},
                   {QLatin1String("settings"), document.isObject() ? QJsonValue(document.object())
                                                                   : QJsonValue()}});
}

QString ControlRequests::AbsoluteFile(const QJsonObject& args, const Fail& fail) {
  QString file;
  if (auto refused = control::AbsoluteFile(args, file))
    fail(*refused);
  return file;
}

void ControlRequests::ProfileExport(const QJsonObject& args, const Result& done, const Fail& fail) {
  CVarnisUSBDevice* device = nullptr;
  CDeviceProfileUI* panel = ProfilesOf(args, device, fail);
  if (panel == nullptr)
    return;
  const QString file = AbsoluteFile(args, fail);
  if (file.isEmpty())
    return;
  const int index = ProfileIndex(args, device, panel, fail);
  if (index < 0)
    return;
  if (!panel->List()->Export(index, file)) {
    fail({QStringLiteral("bad-request"), QStringLiteral("%1 could not be written").arg(file)});
    return;
  }
  done(QJsonObject{{QLatin1String("file"), file}});
}

void ControlRequests::ProfileImport(const QJsonObject& args, const Result& done, const Fail& fail) {
  CVarnisUSBDevice* device = nullptr;
  CDeviceProfileUI* panel = ProfilesOf(args, device, fail);
  if (panel == nullptr)
    return;
  const QString file = AbsoluteFile(args, fail);
  if (file.isEmpty())
    return;
  const size_t before = panel->List()->Entries().size();
  if (!panel->ImportProfile(file) || panel->List()->Entries().size() <= before) {
    fail({QStringLiteral("bad-request"), QStringLiteral("%1 is not a profile that can be added").arg(file)});
    return;
  }
  const size_t added = panel->List()->Entries().size() - 1;
  done(QJsonObject{{QLatin1String("name"), panel->List()->Entries()[added].name},
                   {QLatin1String("number"), static_cast<int>(added + 1)}});
}

void ControlRequests::ProfileReset(const QJsonObject& args, const Result& done, const Fail& fail) {
  CVarnisUSBDevice* device = nullptr;
  if (ProfilesOf(args, device, fail) == nullptr)
    return;
  if (!profiles_.ResetCurrentProfile(device)) {
    fail({QStringLiteral("not-answering"), QStringLiteral("the profile could not be reset")});
    return;
  }
  done(QJsonObject{});
}

// --- DPI stages --------------------------------------------------------------------

namespace {

QJsonObject DpiState(CVarnisMouseDevice& mouse, const QJsonObject& args) {
  const MouseCore& core = mouse.Mouse();
  return control::DpiState(core.Sensor(), core.Stages(), core.ActiveStage(), core.ReportRate(), args);
}

}  // namespace

void ControlRequests::Dpi(const QJsonObject& args, const Result& done, const Fail& fail) {
  Failure failure;
  CVarnisUSBDevice* device = Find(args, failure);
  if (device == nullptr) {
    fail(failure);
    return;
  }
  auto* mouse = qobject_cast<CVarnisMouseDevice*>(device);
  if (mouse == nullptr) {
    fail({QStringLiteral("bad-request"), QStringLiteral("only a mouse has DPI stages")});
    return;
  }
  const mouse::SensorParameters sensor = mouse->Mouse().Sensor();
  if (!sensor.Valid()) {
    fail({QStringLiteral("not-answering"), QStringLiteral("the mouse's sensor has not been read yet")});
    return;
  }
  control::DpiMouse state{sensor, {}, mouse->Mouse().ActiveStage(), MouseCore::kReportRates};
  for (int n = 0; n < mouse::kStages; ++n)
    state.enabled[static_cast<size_t>(n)] = mouse->Mouse().Stage(n).StageActive != 0;
  control::DpiPlan plan;
  if (auto refused = control::ParseDpiArguments(args, state, plan)) {
    fail(*refused);
    return;
  }
  if (plan.Empty()) {
    done(DpiState(*mouse, args));
    return;
  }

  // The controls' own sequence, change by change; the last one's write
  // answers the request (the writes go out in order).
  std::vector<std::function<void(CVarnisUSBDevice::Done)>> steps;
  for (const auto& [stage, steps_] : plan.settings)
    steps.push_back([mouse, stage = stage, value = steps_](CVarnisUSBDevice::Done written) {
      mouse->SetStageDpi(stage, value);
      mouse->OnStageEditLeft(stage, std::move(written));
    });
  if (plan.stage)
    steps.push_back([mouse, active = *plan.stage](CVarnisUSBDevice::Done written) {
      if (!mouse->Mouse().Stage(active).StageActive) {
        mouse->SetStageEnabled(active, true);
        mouse->OnStageEnableChanged(active);
      }
      mouse->SelectStage(active);
      mouse->OnStageSelected(active, std::move(written));
    });
  for (const auto& [stage, on] : plan.switches)
    steps.push_back([mouse, stage = stage, on = on](CVarnisUSBDevice::Done written) {
      mouse->SetStageEnabled(stage, on);
      mouse->OnStageEnableChanged(stage, std::move(written));
    });
  if (plan.reportRate >= 0)
    steps.push_back([mouse, reportRate = plan.reportRate](CVarnisUSBDevice::Done written) {
      mouse->OnReportRateChosen(reportRate, std::move(written));
    });

  QPointer<CVarnisMouseDevice> page(mouse);
  auto finish = std::make_shared<std::function<void(int)>>([page, args, done, fail](int written) {
    if (written == 1 && page != nullptr) {
      QJsonObject state = DpiState(*page, args);
      state.insert(QLatin1String("written"), true);
      done(state);
      return;
    }
    fail({QStringLiteral("not-answering"),
          QStringLiteral("the mouse did not take the change; its profile keeps it for the next time "
                         "it answers")});
  });
  QTimer::singleShot(kWriteAnswerMs, [finish] { (*finish)(0); });
  for (size_t i = 0; i < steps.size(); ++i)
    steps[i](i + 1 == steps.size() ? CVarnisUSBDevice::Done([finish](int written) { (*finish)(written); })
                                   : CVarnisUSBDevice::Done());
}

// --- Keys --------------------------------------------------------------------------

namespace {

// The macros a key of the device may name.
int MacroCountOf(CVarnisUSBDevice& device) {
  const auto* keyed = dynamic_cast<const KeyedDeviceCore*>(&device.Core());
  return keyed != nullptr ? static_cast<int>(keyed->MacroNames().size()) : 0;
}

}  // namespace

void ControlRequests::Key(const QJsonObject& args, const Result& done, const Fail& fail) {
  Failure failure;
  CVarnisUSBDevice* device = Find(args, failure);
  if (device == nullptr) {
    fail(failure);
    return;
  }
  CKeySetControlUI* panel = device->KeyPanel();
  const bool mouse = device->GetKindType() == DeviceTypes::Mouse;
  if (panel == nullptr || (!mouse && device->GetKindType() != DeviceTypes::Keyboard)) {
    fail({QStringLiteral("bad-request"), QStringLiteral("only the keyboard and the mouse have keys")});
    return;
  }
  // Edits applied on the panel but not saved would be sent with this key.
  if (panel->IsModified()) {
    fail({QStringLiteral("busy"),
          QStringLiteral("the %1's key panel has changes that are not saved; save or cancel them first")
              .arg(args.value(QLatin1String("device")).toString())});
    return;
  }
  const control::KeyTarget target{args.value(QLatin1String("device")).toString(),
                                  mouse ? keys::PanelDevice::Mouse : keys::PanelDevice::Keyboard,
                                  device->CurrentKeyList(), MacroCountOf(*device), control::EnglishText};
  control::KeyChange change;
  if (auto refused = control::ParseKeyArguments(args, target, change)) {
    fail(*refused);
    return;
  }
  // The panel's save: the key in the page's list and profile, the macros
  // the keys use and the key tables to the device, the profile file.
  std::vector<KeyListEntry> list = target.keyList;
  list[static_cast<size_t>(change.position)] = change.entry;
  device->ReplaceKeyList(list);
  device->DownloadMacros(device->GetUsedMacros());
  QPointer<CVarnisUSBDevice> page(device);
  auto finish = std::make_shared<std::function<void(int)>>([target, change, args, done, fail](int written) {
    if (written == 1) {
      QJsonObject state = control::KeyState(target, change, args);
      state.insert(QLatin1String("written"), true);
      done(state);
      return;
    }
    fail({QStringLiteral("not-answering"),
          QStringLiteral("the %1 did not take the key; its profile keeps it for the next time it answers")
              .arg(target.word)});
  });
  QTimer::singleShot(kWriteAnswerMs, [finish] { (*finish)(0); });
  if (device->DownloadKeys(0, [finish](int written) { (*finish)(written); }) == 0)
    (*finish)(0);
  device->SaveProfile();
  device->MarkSavedKeyButtons();
  // The panel shows the key it holds as it now is.
  if (device->GetSelectedKey() == change.position && page != nullptr)
    panel->LoadKey(change.entry, device->IsFnLayer());
}
