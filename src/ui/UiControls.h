#pragma once

#include <QString>

namespace toolkit {
class CControlUI;
}

// Makes the program's own controls known to the toolkit's control factory, so
// that skins can use them as tags ("CircleProgress", "SelectPanel",
// "DeviceKeyButton", ...). Called once at start-up; calling again is harmless.
void RegisterUiControls();

// A new control of the program's own for a skin tag (letter case does not
// matter), or null when the tag is not one of them. Windows call it from
// their CreateControl.
toolkit::CControlUI* CreateUiControl(const QString& tag);
