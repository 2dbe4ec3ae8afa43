#include "ui/UiControls.h"

#include <utility>

#include "toolkit/CControlFactory.h"
#include "ui/CAudioRecordUI.h"
#include "ui/CChartViewUI.h"
#include "ui/CCircleProgressUI.h"
#include "ui/CDeviceKeyButtonUI.h"
#include "ui/CDeviceProfileUI.h"
#include "ui/CLightControlUI.h"
#include "ui/CMacroControlUI.h"
#include "ui/CHandImgButtonUI.h"
#include "ui/CHandImgSelectButtonUI.h"
#include "ui/CKeySetControlUI.h"
#include "ui/CMagicControlUI.h"
#include "ui/CRedioMacroButtonUI.h"
#include "ui/CSelectPanelUI.h"
#include "ui/CShootControlUI.h"
#include "ui/CUpdateInfoListItemUI.h"
#include "ui/CVoice6533ControlUI.h"
#include "ui/CWndUI.h"

using toolkit::CControlUI;

namespace {

template <typename T>
CControlUI* Make() {
  return new T;
}

}  // namespace

void RegisterUiControls() {
  static const std::pair<const char*, CControlUI* (*)()> kControls[] = {
      {"CCircleProgressUI", &Make<CCircleProgressUI>},
      {"CChartViewUI", &Make<CChartViewUI>},
      {"CWndUI", &Make<CWndUI>},
      {"CSelectPanelUI", &Make<CSelectPanelUI>},
      {"CDeviceKeyButtonUI", &Make<CDeviceKeyButtonUI>},
      {"CHandImgButtonUI", &Make<CHandImgButtonUI>},
      {"CHandImgSelectButtonUI", &Make<CHandImgSelectButtonUI>},
      {"CRedioMacroButtonUI", &Make<CRedioMacroButtonUI>},
      {"CAudioRecordUI", &Make<CAudioRecordUI>},
      {"CDeviceProfileUI", &Make<CDeviceProfileUI>},
      {"CLightControlUI", &Make<CLightControlUI>},
      {"CMagicControlUI", &Make<CMagicControlUI>},
      {"CShootControlUI", &Make<CShootControlUI>},
      {"CVoice6533ControlUI", &Make<CVoice6533ControlUI>},
      {"UpdateInfoListItemUI", &Make<CUpdateInfoListItemUI>},
  };
  auto* factory = toolkit::CControlFactory::GetInstance();
  for (const auto& [name, make] : kControls)
    factory->RegistControl(QLatin1String(name), make);
}

CControlUI* CreateUiControl(const QString& tag) {
  static const std::pair<const char*, CControlUI* (*)()> kTags[] = {
      {"CircleProgress", &Make<CCircleProgressUI>},
      {"SelectPanel", &Make<CSelectPanelUI>},
      {"DeviceKeyButton", &Make<CDeviceKeyButtonUI>},
      {"DeviceProfile", &Make<CDeviceProfileUI>},
      {"LightControl", &Make<CLightControlUI>},
      {"KeySetControl", &Make<CKeySetControlUI>},
      {"MacroControl", &Make<CMacroControlUI>},
      {"MagicControl", &Make<CMagicControlUI>},
      {"ShootControl", &Make<CShootControlUI>},
      {"Voice6533Control", &Make<CVoice6533ControlUI>},
      {"HandImgButton", &Make<CHandImgButtonUI>},
      {"AudioRecord", &Make<CAudioRecordUI>},
      {"HandImgSelectButton", &Make<CHandImgSelectButtonUI>},
      {"RedioMacroButton", &Make<CRedioMacroButtonUI>},
  };
  for (const auto& [name, make] : kTags)
    if (tag.compare(QLatin1String(name), Qt::CaseInsensitive) == 0)
      return make();
  return nullptr;
}
