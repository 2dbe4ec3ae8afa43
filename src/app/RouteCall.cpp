#include "app/FeatureHost.h"

#include "toolkit/COptionUI.h"

bool OptionSelected(const RouteCall& call) {
  auto* option = call.notification != nullptr
                     ? qobject_cast<toolkit::COptionUI*>(call.notification->pSender)
                     : nullptr;
  return option == nullptr || option->IsSelected();
}
