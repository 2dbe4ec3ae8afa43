#include "app/LanguageCommands.h"

#include "app/DevicePageSet.h"
#include "devices/CVarnisKeyboardDevice.h"
#include "platform/DataFolders.h"
#include "platform/DebugChannel.h"
#include "settings/LanguageFonts.h"
#include "toolkit/CControlUI.h"
#include "toolkit/CPaintManagerUI.h"
#include "toolkit/CResourceManager.h"

LanguageCommands::LanguageCommands(FeatureHost& window)
    : LanguageCommands(window, LanguageStore(),
                       platform::DataFolders::DefaultDataDir() + QLatin1String(LanguageList::kFileName)) {}

LanguageCommands::LanguageCommands(FeatureHost& window, LanguageStore store, QString listPath)
    : window_(window), store_(std::move(store)), listPath_(std::move(listPath)) {
  LanguageFonts::InstallSubstitutions();
  list_ = LanguageList::Load(listPath_);
  window_.SetRouteHandler(RouteOwner::Language, [this](const RouteCall& call) { OnRoute(call); });
  window_.SetRouteHandler(RouteOwner::KeyLabels, [this](const RouteCall&) { RefreshKeyLabels(); });
}

void LanguageCommands::OnRoute(const RouteCall& call) {
  if (call.type == QLatin1String("message"))
    ApplyLanguage(static_cast<int>(call.wParam));
}

int LanguageCommands::ReadStoredLanguage() {
  store_.CreateOnFirstStart(list_, LanguageStore::DesktopLocale());
  return store_.ReadStoredLanguage(list_);
}

void LanguageCommands::ApplyStoredLanguage() { ApplyLanguage(ReadStoredLanguage()); }

void LanguageCommands::ApplyLanguage(int index) {
  if (index == languageIndex_)
    return;
  const LanguageEntry* entry = list_.At(index);
  const LanguageEntry none;
  const LanguageEntry& language = entry != nullptr ? *entry : none;
  if (const auto face = LanguageFonts::FaceToSet(languageId_, language.Id))
    SetFontFace(*face);
  languageIndex_ = index;
  languageId_ = language.Id;
  toolkit::CResourceManager* resources = toolkit::CResourceManager::GetInstance();
  resources->SetLanguage(language.Name);
  if (!resources->LoadLanguage(language.File))
    platform::DebugPrint("language %d: its file \"%s\" could not be loaded", index,
                         language.File.toUtf8().constData());
  resources->ReloadText();
  StoreLanguageId(language.Id);
  if (applied_)
    applied_();
  if (toolkit::CControlUI* root = window_.FindControl(QStringLiteral("root"))) {
    root->NeedParentUpdate();
    root->update();
  }
}

void LanguageCommands::StoreLanguageId(int id) {
  if (!store_.StoreLanguageId(id))
    platform::DebugPrint("language %d could not be kept in %s", id, store_.Path().toUtf8().constData());
}

void LanguageCommands::SetFontFace(const QString& face) {
  ++faceChanges_;
  toolkit::CPaintManagerUI::SetFontFamilyEverywhere(face);
}

void LanguageCommands::RefreshKeyLabels() {
  for (CVarnisUSBDevice* device : window_.Pages().AllDevices())
    if (auto* keyboard = qobject_cast<CVarnisKeyboardDevice*>(device))
      keyboard->RefreshKeyLabels();
}
