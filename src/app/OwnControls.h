#pragma once

#include <QString>

namespace toolkit {
class CControlUI;
}

// The program's own control classes, known to the layout builder by class
// name (the factory) ...
void RegisterOwnControls();
// ... and by the tags the main window builds itself (without regard to case);
// null for any other tag.
toolkit::CControlUI* CreateOwnControl(const QString& tag);
