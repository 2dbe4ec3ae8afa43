#pragma once

#include <QJsonObject>
#include <QPointer>
#include <QString>
#include <functional>

#include "app/FeatureHost.h"
#include "control/RequestValues.h"

class CDeviceProfileUI;
class CVarnisUSBDevice;
class LightingCommands;
class ProfileCommands;
namespace platform {
class LocalMessageServer;
}

// Requests of the command line (travixctl) and of scripts, over the local
// socket, carried out through the same commands the window's controls use,
// so that the window, the profile files and the devices stay in step.
//
//   {"message": "Travix.Control", "id": N, "command": C, "args": {...}}
//   {"message": "Travix.Control.Reply", "id": N, "ok": true, "result": {...}}
//   {"message": "Travix.Control.Reply", "id": N, "ok": false,
//    "error": CODE, "text": "..."}
//
// Commands: "list", "light", "light-same-mode", "game-event",
// "profile-list", "profile-select", "profile-show", "profile-export",
// "profile-import", "profile-reset", "dpi", "key". CODE: "bad-request",
// "unknown-device", "out-of-range", "not-answering", "busy" ("needs-program"
// is travixctl's own, when it works without the program). A reply goes to the requesting
// client only; a device write is answered once the device took it (or did
// not: "not-answering", the profile keeping the new value).
class ControlRequests {
 public:
  static constexpr const char* kRequestName = "Travix.Control";
  static constexpr const char* kReplyName = "Travix.Control.Reply";

  ControlRequests(FeatureHost& window, LightingCommands& lighting, ProfileCommands& profiles);
  ~ControlRequests();

  // Takes the requests arriving on `server` (removed when this goes).
  void Listen(platform::LocalMessageServer* server);

  // One request (its members as they came); `reply` gets the reply's
  // members (without "message"), once.
  using Reply = std::function<void(const QJsonObject& reply)>;
  void Handle(const QJsonObject& request, const Reply& reply);

  // Whether the window cannot take a request now (a modal dialog or a
  // capture runs); replaced in tests.
  using BusyCheck = std::function<bool()>;
  void SetBusyCheck(BusyCheck check) { busy_ = std::move(check); }

 private:
  using Failure = control::Failure;
  using Result = std::function<void(const QJsonObject& result)>;
  using Fail = std::function<void(const Failure& failure)>;

  void List(const QJsonObject& args, const Result& done, const Fail& fail);
  void Light(const QJsonObject& args, const Result& done, const Fail& fail);
  void SameMode(const QJsonObject& args, const Result& done, const Fail& fail);
  void GameEvent(const QJsonObject& args, const Result& done, const Fail& fail);
  void ProfileList(const QJsonObject& args, const Result& done, const Fail& fail);
  void ProfileSelect(const QJsonObject& args, const Result& done, const Fail& fail);
  void Dpi(const QJsonObject& args, const Result& done, const Fail& fail);
  void Key(const QJsonObject& args, const Result& done, const Fail& fail);
  void ProfileShow(const QJsonObject& args, const Result& done, const Fail& fail);
  void ProfileExport(const QJsonObject& args, const Result& done, const Fail& fail);
  void ProfileImport(const QJsonObject& args, const Result& done, const Fail& fail);
  void ProfileReset(const QJsonObject& args, const Result& done, const Fail& fail);
  // The profile "profile" names (a number from 1 or a name), else the
  // active one; -1 (and `fail` told) when there is no such profile.
  int ProfileIndex(const QJsonObject& args, CVarnisUSBDevice* device, CDeviceProfileUI* panel,
                   const Fail& fail) const;

  // The page named by "device" (keyboard, mouse, pad, headset) and
  // "index" (1-based); null with the failure set.
  CVarnisUSBDevice* Find(const QJsonObject& args, Failure& failure) const;
  // The profile panel of the device the request names; null (and `fail`
  // told) when there is none.
  CDeviceProfileUI* ProfilesOf(const QJsonObject& args, CVarnisUSBDevice*& device,
                               const Fail& fail) const;
  static QString AbsoluteFile(const QJsonObject& args, const Fail& fail);

  FeatureHost& window_;
  LightingCommands& lighting_;
  ProfileCommands& profiles_;
  QPointer<platform::LocalMessageServer> server_;
  BusyCheck busy_;
};
