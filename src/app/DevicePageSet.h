#pragma once

#include <array>
#include <cstddef>
#include <map>
#include <vector>

#include "app/DeviceManager.h"
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
// in the device bar and its power panel. The device manager binds the
// interfaces the detection thread reports to the pages' cores; this shows
// and hides the pages as it reports what opened, switched and went away.
// Everything here runs on the UI thread.
class DevicePageSet : private DeviceManager::Listener {
 public:
  enum Kind {
    Mouse = DeviceManager::Mouse,
    Keyboard = DeviceManager::Keyboard,
    MousePad = DeviceManager::MousePad,
    Headset = DeviceManager::Headset,
    KindCount = DeviceManager::KindCount
  };

  DevicePageSet(PageSetHost& window, DeviceRegistry& registry);
  ~DevicePageSet() override;
  DevicePageSet(const DevicePageSet&) = delete;
  DevicePageSet& operator=(const DevicePageSet&) = delete;

  // The pages of mouse, keyboard and mouse pad, hidden.
  void CreateInitialPages();
  // Builds selector, page and power panel of the kind of interface row `row`.
  bool CreateDevicePage(int row, int extra);

  // Handlers of the detection thread's messages.
  void OnDeviceArrived(size_t slot);
  void OnDeviceRemoved(size_t slot);

  DeviceManager& Manager() { return manager_; }
  void ShowDevicePage(int index, bool visible, bool select);
  void HideDevicePage(int index);
  // The page visibility message: lParam 1 shows, 0 hides the page of kind wParam.
  void OnPageVisibility(platform::WParam wParam, platform::LParam lParam);
  // The user chose a device in the bar.
  void OnSelectorChosen(CDeviceOptionUI* selector);

  // Removes every page (the main window ends).
  void RemoveAll();

  // The machine is about to sleep: remembers each page's light control, so
  // the resume gives every device back what it had.
  void RememberBeforeSleep();
  // The light control asked for while the machine sleeps: nothing goes to
  // the devices now, each gets it on resume.
  void SetLightControlAfterResume(int on);
  // The machine is awake again: each page's light control as remembered
  // (`otherwise` for a page that was not there), the take-over sent again
  // to a keyboard that has it on, and the settings of every connected device
  // read again; a device that lost them gets its profile written again.
  void ResumeDevices(int otherwise);
  // The profile written to the device again, as a profile switch writes it.
  void WriteProfileAgain(CVarnisUSBDevice* device);

  // What the bar holds, in its order.
  std::vector<CDeviceOptionUI*> Selectors() const;
  CDeviceOptionUI* SelectorAt(int index) const;
  int VisibleSelectorCount() const;
  const std::vector<CVarnisUSBDevice*>& Devices(Kind kind) const { return devices_[kind]; }
  std::vector<CVarnisUSBDevice*> AllDevices() const;
  const std::vector<CMpDevicePowerUI*>& PowerPanels() const { return powerPanels_; }

  // Longest the receiver link is asked for after a switch to the receiver
  // (on the device's worker).
  static constexpr int kLinkQueryTries = 26;
  static constexpr int kLinkQueryPauseMs = 50;

 private:
  // What the device manager reports.
  void DeviceOpened(DeviceCore& core, bool receiver) override;
  void DeviceClosed(DeviceCore& core) override;
  void DeviceSwitched(DeviceCore& core, bool wireless) override;

  CVarnisUSBDevice* PageOf(const DeviceCore& core) const;
  CVarnisUSBDevice* FindDeviceAnyKind(const InterfaceRecord& identity) const;
  int SelectorIndexOf(const CVarnisUSBDevice* device) const;
  void SelectPowerPanel(const CDeviceOptionUI* selector);

  toolkit::CContainerUI* Bar() const;
  toolkit::CTabLayoutUI* PageSwitch() const;
  toolkit::CTabLayoutUI* PowerSwitch() const;

  PageSetHost& window_;
  DeviceRegistry& registry_;
  std::array<std::vector<CVarnisUSBDevice*>, KindCount> devices_;
  std::vector<CMpDevicePowerUI*> powerPanels_;
  std::map<const CVarnisUSBDevice*, int> lightControlAtSleep_;
  DeviceManager manager_;
};
