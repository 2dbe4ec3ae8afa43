#pragma once

#include "app/FeatureHost.h"
#include "platform/WindowMessageTypes.h"

class CKeySetControlUI;
class CVarnisUSBDevice;

// The key assignment panel of the current keyboard or mouse page, reached
// from the main window: selecting a key, every change of the panel's choices
// (apply), default, cancel and save to the device.
class KeyAssignmentCommands {
 public:
  explicit KeyAssignmentCommands(FeatureHost& window);

  void OnRoute(const RouteCall& call);
  // The panel of the current page, when it has one.
  CKeySetControlUI* Panel() const;
  // Builds the record, stores it at the selected key and marks the panel
  // modified.
  void Apply();
  void Default();
  void Cancel();
  void Save();
  // The page of `device` is being left for another: unsaved keys of its
  // panel are offered for saving.
  void OnLeavingDevice(CVarnisUSBDevice* device);
  // A key captured for the key edit ("WM_HOOK_KEY_SINGLEKEY_MSG").
  void OnCapturedKey(platform::WParam message, platform::LParam record);

  // The capture mode of the key edit.
  static constexpr int kSingleKeyMode = 1;

 private:
  // The current page when it has a key panel.
  CVarnisUSBDevice* CurrentDevice() const;
  void Apply(CVarnisUSBDevice& device);
  void Default(CVarnisUSBDevice& device);
  void Save(CVarnisUSBDevice& device);
  void SelectKey(CVarnisUSBDevice& device, int position);
  void Tell(const char* textId);

  FeatureHost& window_;
  // A save restores the key and saves again once when the macros do not
  // fit; never more.
  bool retrying_ = false;
};
