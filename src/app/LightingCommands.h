#pragma once

#include <QPointer>
#include <functional>
#include <mutex>
#include <vector>

#include "app/FeatureHost.h"
#include "lighting/SameModeEffect.h"
#include "platform/Event.h"
#include "profiles/LightInfo.h"

class CVarnisUSBDevice;
class CLightControlUI;

// The main window's lighting commands: every control of a page's lighting
// panel, the same effect on every device, the keyboard's custom per-key
// colours, and the lighting events other programs send (a game starting, a
// kill, ...), which switch the current page's mode for a few seconds.
class LightingCommands {
 public:
  explicit LightingCommands(FeatureHost& window);

  void OnRoute(const RouteCall& call);

  // The effects every kind of device can show.
  enum class CommonEffect { None, Breathing, Static, Blink, ColourCycle, Off };
  // The same-mode action: the current page's effect on every connected page.
  // False when the current page's mode has no common effect.
  bool ApplySameMode();
  CommonEffect SameModeEffect() const { return commonEffect_; }
  const LightInfo& SameModeSource() const { return commonSource_; }

  // A lighting event from another program: wParam 0 sets mode, brightness,
  // speed and direction from the bytes of lParam (after keeping the user's
  // mode), 1 and 2 the mode from its low byte.
  void OnGameEvent(platform::WParam wParam, platform::LParam lParam);
  // Timer 1066: the page of the last event gets its own mode back.
  void OnGameTimer();

  // The same-mode animation (a thread of the main window): while pages
  // follow the common effect, it paints them; otherwise it sleeps in 1 s
  // steps. Returns when `stop` is set.
  void RunSameModeAnimation(const platform::Event& stop);
  static constexpr const char* kAnimationExitLine = "同步灯光线程设定退出";

  // A lighting record from elsewhere than the panel (the command line): the
  // same sequence as a control change, and the panel shows it. `done`
  // hears whether the device took it (1).
  void ApplyLight(CVarnisUSBDevice* device, const LightInfo& info, std::function<void(int)> done);

  // Mode positions of each common effect, by device kind code.
  static int CommonEffectPosition(int kindCode, CommonEffect effect);
  static CommonEffect CommonEffectOf(int kindCode, int position);

 private:
  using Change = std::function<void(LightInfo&)>;
  // The sequence every control change follows.
  void ChangeLight(CVarnisUSBDevice* device, bool clearFollower, bool apply, const Change& change);
  // Keeps the record on the page and in its profile and writes the block.
  static void StoreLight(CVarnisUSBDevice* device, const LightInfo& info, bool apply,
                         std::function<void(int)> done = {});
  void OnColourEdit(CVarnisUSBDevice* device, CLightControlUI* panel, const QString& name);
  void SetColour(CVarnisUSBDevice* device, CLightControlUI* panel, uint32_t argb, bool clearFollower);
  void OnSelectionEnd(CVarnisUSBDevice* device);
  static int KindCode(const CVarnisUSBDevice* device);

  FeatureHost& window_;
  CommonEffect commonEffect_ = CommonEffect::None;
  LightInfo commonSource_;
  // Shared with the animation thread.
  std::mutex commonMutex_;
  lighting::SameModeEffect commonAnimation_;
  std::vector<CVarnisUSBDevice*> followers_;
  // The page whose mode a lighting event replaced, until timer 1066 gives it
  // back; null while no event is pending.
  QPointer<CVarnisUSBDevice> gamePage_;
};
