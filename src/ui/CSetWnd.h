#pragma once

#include <QDate>
#include <QString>
#include <functional>
#include <vector>

#include "platform/WindowMessageTypes.h"
#include "settings/LanguageList.h"
#include "settings/VersionEntry.h"
#include "toolkit/WindowImplBase.h"

class CUpdateInfoListItemUI;

// The settings window: the language choice and the list of what is
// installed (the program and the attached devices' firmware), each line up
// to date. Modal over the main window, which sends it 0x0C11 when a language
// was applied and passes it the forward message (it then closes).
class CSetWnd : public toolkit::WindowImplBase {
  Q_OBJECT
 public:
  static constexpr int kWidth = 630;
  static constexpr int kHeight = 500;
  static constexpr toolkit::UINT kLanguageMessage = 0x0C11;

  QString GetWindowClassName() const override { return QStringLiteral("SetWnd"); }
  QString GetSkinFile() const override { return QStringLiteral("XML_SETWND"); }

  // The main window and the language applied there (the item selected in
  // the language list).
  void SetOwner(platform::WindowHandle owner, int languageIndex);
  // 48, 72, ... 192; anything else is replaced by 96. Only this window's
  // paint manager takes it.
  void SetDpi(int dpi);
  int Dpi() const { return dpi_; }
  void SetVersionEntries(std::vector<VersionEntry> entries) { entries_ = std::move(entries); }
  void SetLanguages(LanguageList languages) { languages_ = std::move(languages); }
  // The registered message with which the main window asks it to close.
  void SetCloseMessage(toolkit::UINT message) { closeMessage_ = message; }
  // Where the last-check date is kept, and what day it is.
  void SetLastCheckFile(const QString& path, std::function<QDate()> today);

  // What "windowinit" filled in (tests).
  const std::vector<CUpdateInfoListItemUI*>& Items() const { return items_; }
  const QString& LastCheck() const { return lastCheck_; }

 protected:
  void InitWindow() override;
  bool HandleNotify(toolkit::TNotifyUI& msg) override;
  toolkit::LRESULT HandleCustomMessage(toolkit::UINT message, toolkit::WPARAM wParam,
                                       toolkit::LPARAM lParam, bool& handled) override;
  toolkit::LRESULT OnSysCommand(toolkit::WPARAM wParam, toolkit::LPARAM lParam,
                                bool& handled) override;
  void OnFinalMessage() override;

 private:
  void OnWindowInit();
  void FillLanguages();
  void UpdateChosenState();
  void ShowLastCheck();
  void SizeWindow();

  platform::WindowHandle owner_ = 0;
  toolkit::UINT closeMessage_ = 0;
  int languageIndex_ = 0;
  int dpi_ = 96;
  std::vector<VersionEntry> entries_;
  LanguageList languages_;
  QString lastCheckPath_;
  std::function<QDate()> today_ = [] { return QDate::currentDate(); };
  QString lastCheck_;
  std::vector<CUpdateInfoListItemUI*> items_;
};
