#include "app/OwnControls.h"

#include "devices/DeviceControls.h"
#include "platform/DebugChannel.h"
#include "toolkit/CDialogBuilder.h"
#include "ui/UiControls.h"

void RegisterOwnControls() {
  RegisterUiControls();
  RegisterDeviceControls();
}

toolkit::CControlUI* CreateOwnControl(const QString& tag) {
  if (toolkit::CControlUI* control = CreateUiControl(tag))
    return control;
  return CreateDeviceControl(tag);
}

namespace {

struct LayoutTag {
  const char* tag;
  const char* file;
};
constexpr LayoutTag kLayoutTags[] = {
    {"DeviceProfileUI", "XML\\CustomControlXML\\DeviceProfile.xml"},
    {"LightSetControlUI", "XML\\CustomControlXML\\LightControl.xml"},
    {"Voice6533SetControlUI", "XML\\CustomControlXML\\Voice6533Control.xml"},
    {"MagicSetControlUI", "XML\\CustomControlXML\\MagicControl.xml"},
    {"KeySetControlUI", "XML\\CustomControlXML\\KeySetControl.xml"},
    {"MacroSetControlUI", "XML\\CustomControlXML\\MacroControl.xml"},
    {"ShootKeySetControlUI", "XML\\CustomControlXML\\ShootControl.xml"},
    {"VirtualSetControlUI", "XML\\CustomControlXML\\VirtualSet.xml"},
};

}  // namespace

toolkit::CControlUI* CreateOwnLayoutControl(const QString& tag,
                                            toolkit::IDialogBuilderCallback* callback,
                                            toolkit::CPaintManagerUI* manager) {
  for (const LayoutTag& layout : kLayoutTags) {
    if (tag.compare(QLatin1String(layout.tag), Qt::CaseInsensitive) != 0)
      continue;
    toolkit::CDialogBuilder builder;
    toolkit::CControlUI* root =
        builder.Create(QString::fromLatin1(layout.file), {}, callback, manager);
    if (root == nullptr)
      platform::DebugPrint("layout of <%s> could not be built: %s", layout.tag, layout.file);
    return root;
  }
  return nullptr;
}
