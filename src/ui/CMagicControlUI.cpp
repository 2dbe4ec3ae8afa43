#include "ui/CMagicControlUI.h"

#include "toolkit/COptionUI.h"

using namespace toolkit;

CMagicControlUI::CMagicControlUI(QWidget* parent) : CVerticalLayoutUI(parent) {}

CMagicControlUI::~CMagicControlUI() = default;

void CMagicControlUI::ShowEnabled(bool on) {
  if (auto* option = findChild<COptionUI*>(QStringLiteral("magic_enable_option")))
    option->Selected(on, false);
  if (auto* area = findChild<CControlUI*>(QStringLiteral("magic_option_layout")))
    area->SetEnabled(on);
}

bool CMagicControlUI::IsEnabledShown() const {
  auto* option = findChild<COptionUI*>(QStringLiteral("magic_enable_option"));
  return option != nullptr && option->IsSelected();
}

void CMagicControlUI::ShowVoice(int voice) {
  for (int n = 1; n <= kVoices; ++n)
    if (auto* option = findChild<COptionUI*>(QStringLiteral("magic_option_%1").arg(n)))
      option->Selected(n == voice, false);
}
