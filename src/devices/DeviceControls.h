#pragma once

#include <QString>

namespace toolkit {
class CControlUI;
}

// Registers the device selector, the power panel and the device classes that
// skins may name with the toolkit's control factory.
void RegisterDeviceControls();
// The device page classes by their skin tags (without regard to case), or
// null for another tag.
toolkit::CControlUI* CreateDeviceControl(const QString& tag);
