#pragma once

#include <QString>

namespace toolkit {
class CControlUI;
class CPaintManagerUI;
class IDialogBuilderCallback;
}  // namespace toolkit

// The program's own control classes, known to the layout builder by class
// name (the factory) ...
void RegisterOwnControls();
// ... and by the tags the main window builds itself (without regard to case);
// null for any other tag.
toolkit::CControlUI* CreateOwnControl(const QString& tag);

// The tags that stand for a whole layout file of the skin
// ("DeviceProfileUI" for the profile panel ...): the file's root control,
// built with `callback` and `manager`; null for another tag, or when the
// file cannot be built.
toolkit::CControlUI* CreateOwnLayoutControl(const QString& tag,
                                            toolkit::IDialogBuilderCallback* callback,
                                            toolkit::CPaintManagerUI* manager);
