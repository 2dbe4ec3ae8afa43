#include "app/MouseSettingsCommands.h"

#include <QPointer>
#include <algorithm>

#include "devices/CVarnisMouseDevice.h"
#include "toolkit/CControlUI.h"
#include "toolkit/CEditUI.h"
#include "toolkit/CSliderUI.h"
#include "ui/CColorSelectWnd.h"

MouseSettingsCommands::MouseSettingsCommands(FeatureHost& window) : window_(window) {
  chooser_ = [this](uint32_t initial, uint32_t& chosen) {
    const std::optional<uint32_t> colour =
        CColorSelectWnd::Pick(&window_.DialogOwner(), initial, window_.DialogDpi());
    if (colour)
      chosen = *colour;
    return colour.has_value();
  };
  window_.SetRouteHandler(RouteOwner::Dpi, [this](const RouteCall& call) { OnDpiRoute(call); });
  window_.SetRouteHandler(RouteOwner::SystemMouse,
                          [this](const RouteCall& call) { OnSystemRoute(call); });
  window_.SetRouteHandler(RouteOwner::ColourPalette,
                          [this](const RouteCall& call) { OnColourRoute(call); });
}

CVarnisMouseDevice* MouseSettingsCommands::CurrentMouse() const {
  return qobject_cast<CVarnisMouseDevice*>(window_.CurrentDevice());
}

void MouseSettingsCommands::OnDpiRoute(const RouteCall& call) {
  const QString& name = call.name;
  if (name.startsWith(QLatin1String("kaldo_DPI_"), Qt::CaseInsensitive)) {
    OnStandalonePair(call);
    return;
  }
  CVarnisMouseDevice* mouse = CurrentMouse();
  if (mouse == nullptr)
    return;
  const int n = call.index;
  auto starts = [&name](const char* prefix) { return name.startsWith(QLatin1String(prefix), Qt::CaseInsensitive); };
  if (call.type == QLatin1String("selectchanged")) {
    if (starts("DPI_enable_check_")) {
      mouse->OnStageEnableChanged(n);
    } else if (starts("DPI_select_check_")) {
      if (OptionSelected(call))
        mouse->OnStageSelected(n);
    } else if (starts("polling_rate_option_")) {
      if (OptionSelected(call))
        mouse->OnReportRateChosen(n);
    }
  } else if (call.type == QLatin1String("valuechanged") && starts("DPI_slider_")) {
    mouse->OnStageSliderReleased(n);
  } else if (call.type == QLatin1String("movevaluechanged") && starts("DPI_slider_")) {
    mouse->OnStageSliderMoving(n);
  } else if (call.type == QLatin1String("killfocus") && starts("DPI_edit_")) {
    mouse->OnStageEditLeft(n);
  }
}

void MouseSettingsCommands::OnSystemRoute(const RouteCall& call) {
  CVarnisMouseDevice* mouse = CurrentMouse();
  if (mouse == nullptr)
    return;
  const QString& name = call.name;
  auto is = [&name](const char* text) { return name.compare(QLatin1String(text), Qt::CaseInsensitive) == 0; };
  using Control = CVarnisMouseDevice::SystemControl;
  if (name.startsWith(QLatin1String("mouse_device_seting_option_"), Qt::CaseInsensitive)) {
    if (OptionSelected(call))
      mouse->SelectSettingsTab(call.index);
  } else if (is("pointer_speed_slider")) {
    mouse->OnSystemControlChanged(Control::PointerSpeed);
  } else if (is("double_click_slider")) {
    mouse->OnSystemControlChanged(Control::DoubleClick);
  } else if (is("pointer_precision_check")) {
    mouse->OnSystemControlChanged(Control::Precision);
  } else if (is("scrolls_page_check")) {
    mouse->OnSystemControlChanged(Control::ScrollPage);
  } else if (is("scroll_speed_slider")) {
    mouse->OnSystemControlChanged(Control::ScrollLines);
  }
}

void MouseSettingsCommands::OnColourRoute(const RouteCall& call) {
  QPointer<CVarnisMouseDevice> mouse = CurrentMouse();
  // One palette dialog at a time.
  if (mouse == nullptr || call.type != QLatin1String("click") || !chooser_ || CColorSelectWnd::IsOpen())
    return;
  const int n = call.index;
  uint32_t chosen = 0;
  // The dialog runs its own loop: the page may be gone when it returns.
  if (!chooser_(mouse->GetStageColour(n), chosen) || mouse.isNull())
    return;
  mouse->OnStageColourChosen(n, chosen);
}

void MouseSettingsCommands::OnStandalonePair(const RouteCall& call) {
  const QString suffix = call.name.mid(call.name.lastIndexOf(QLatin1Char('_')) + 1);
  auto* slider = qobject_cast<toolkit::CSliderUI*>(
      window_.FindControl(QStringLiteral("kaldo_DPI_slider_") + suffix));
  auto* edit = qobject_cast<toolkit::CEditUI*>(
      window_.FindControl(QStringLiteral("kaldo_DPI_edit_") + suffix));
  if (call.name.startsWith(QLatin1String("kaldo_DPI_slider_"), Qt::CaseInsensitive)) {
    if (slider != nullptr && edit != nullptr)
      edit->SetText(QString::number(slider->GetValue()));
    return;
  }
  if (edit == nullptr)
    return;
  const int value = std::clamp(edit->GetText().trimmed().toInt(), kStandaloneMinDpi, kStandaloneMaxDpi);
  edit->SetText(QString::number(value));
  if (slider != nullptr)
    slider->SetValue(value, false);
}
