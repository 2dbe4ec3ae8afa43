#pragma once

#include <array>
#include <cstddef>
#include <vector>

#include "hid/InterfaceRecord.h"
#include "platform/WindowMessageTypes.h"

class PageSetHost;
class CDeviceOptionUI;
class CMpDevicePowerUI;
class CVarnisUSBDevice;
class DeviceRegistry;
namespace toolkit {
class CContainerUI;
class CTabLayoutUI;
}  // namespace toolkit

// The main window's device pages: one page per device kind with its selector
// in the device bar and its power panel. It connects and disconnects the
// device objects as the detection thread reports interfaces, switches a
// wireless device between cable and receiver, and shows or hides the pages.
// Everything here runs on the UI thread.
class DevicePageSet {
 public:
  enum Kind { Mouse = 0, Keyboard = 1, MousePad = 2, Headset = 3, KindCount = 4 };

  DevicePageSet(PageSetHost& window, DeviceRegistry& registry);
  ~DevicePageSet();
  DevicePageSet(const DevicePageSet&) = delete;
  DevicePageSet& operator=(const DevicePageSet&) = delete;

  // The pages of mouse, keyboard and mouse pad, hidden.
  void CreateInitialPages();
  // Builds selector, page and power panel of the kind of interface row `row`.
  bool CreateDevicePage(int row, int extra);

  // Handlers of the detection thread's messages.
  void OnDeviceArrived(size_t slot);
  void OnDeviceRemoved(size_t slot);

  void ConnectCommand(size_t slot);
  void DisconnectCommand(size_t slot);
  void OpenEventInterface(size_t slot, int type);
  void CloseEventInterface(size_t slot, int type);
  void SwitchConnection(size_t slot);
  void ShowDevicePage(int index, bool visible, bool select);
  void HideDevicePage(int index);
  // The page visibility message: lParam 1 shows, 0 hides the page of kind wParam.
  void OnPageVisibility(platform::WParam wParam, platform::LParam lParam);
  // The user chose a device in the bar.
  void OnSelectorChosen(CDeviceOptionUI* selector);

  // Removes every page (the main window ends).
  void RemoveAll();

  // What the bar holds, in its order.
  std::vector<CDeviceOptionUI*> Selectors() const;
  CDeviceOptionUI* SelectorAt(int index) const;
  int VisibleSelectorCount() const;
  const std::vector<CVarnisUSBDevice*>& Devices(Kind kind) const { return devices_[kind]; }
  std::vector<CVarnisUSBDevice*> AllDevices() const;
  const std::vector<CMpDevicePowerUI*>& PowerPanels() const { return powerPanels_; }

  // Longest the receiver link is asked for after a switch to the receiver.
  static constexpr int kLinkQueryTries = 26;
  static constexpr int kLinkQueryPauseMs = 50;

 private:
  static int KindOfType(int deviceType);
  // The record that identifies the device object of a slot (its cable
  // command row).
  InterfaceRecord KeyRecordOf(size_t slot) const;
  CVarnisUSBDevice* FindDevice(int kind, const InterfaceRecord& identity) const;
  CVarnisUSBDevice* FindDeviceAnyKind(const InterfaceRecord& identity) const;
  int SelectorIndexOf(const CVarnisUSBDevice* device) const;
  void SelectPowerPanel(const CDeviceOptionUI* selector);
  // Asks the receiver for its device's link until it answers (bounded).
  void WaitForWirelessLink(CVarnisUSBDevice& device);

  toolkit::CContainerUI* Bar() const;
  toolkit::CTabLayoutUI* PageSwitch() const;
  toolkit::CTabLayoutUI* PowerSwitch() const;

  PageSetHost& window_;
  DeviceRegistry& registry_;
  std::array<std::vector<CVarnisUSBDevice*>, KindCount> devices_;
  std::vector<CMpDevicePowerUI*> powerPanels_;
};
