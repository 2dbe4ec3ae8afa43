#include "app/MainWindowRoutes.h"

#include "platform/IndexedName.h"

using platform::SplitIndexedName;

namespace {

using O = RouteOwner;

NotifyRoute Exact(std::string_view type, std::string_view name, RouteOwner owner,
                  std::optional<RouteOwner> also = std::nullopt) {
  return NotifyRoute{type, name, false, owner, also, -1};
}
NotifyRoute Indexed(std::string_view type, std::string_view prefix, RouteOwner owner,
                    int limit = -1, std::optional<RouteOwner> also = std::nullopt) {
  return NotifyRoute{type, prefix, true, owner, also, limit};
}

void AddExact(std::vector<NotifyRoute>& rows, std::string_view type,
              std::initializer_list<std::string_view> names, RouteOwner owner) {
  for (std::string_view name : names)
    rows.push_back(Exact(type, name, owner));
}

std::vector<NotifyRoute> BuildNotifications() {
  std::vector<NotifyRoute> rows;
  // "click": the window's own controls first.
  AddExact(rows, "click",
           {"closebtn", "nodevice_ok_btn", "control_light_status", "minbtn", "maxbtn",
            "restorebtn"},
           O::MainWindow);
  rows.push_back(Exact("click", "skinbtn", O::SkinChooser));
  rows.push_back(Exact("click", "setbtn", O::SettingsWindow));
  // Indexed names.
  // A key of the picture: assignment on the key page, painting on the
  // lighting page; each acts only on its own page.
  rows.push_back(Indexed("click", "key_", O::KeyAssignment, -1, O::Lighting));
  rows.push_back(Indexed("click", "color_option_", O::Lighting));
  rows.push_back(Indexed("click", "audiocolor_option_", O::AudioLighting));
  rows.push_back(Indexed("click", "windowdeviceset_", O::MainWindow));
  rows.push_back(Indexed("click", "DPI_color_option_", O::ColourPalette));
  // Exact names.
  AddExact(rows, "click",
           {"default_btn", "device_add_btn", "device_sub_btn", "device_export_btn",
            "device_import_btn", "device_copy_btn", "device_reset_btn",
            "device_profile_edit_save_btn", "profile_fun_spread_btn"},
           O::Profiles);
  rows.push_back(Exact("click", "reset_repeat_btn", O::KeyboardSettings));
  AddExact(rows, "click",
           {"key_butt_keysave", "key_butt_keydefalut", "key_butt_keycancel", "key_butt_prosave"},
           O::KeyAssignment);
  AddExact(rows, "click",
           {"macro_btn_starredio", "macro_btn_stopredio", "macro_btn_name_add",
            "macro_btn_name_sub", "macro_btn_name_edit", "macro_btn_save", "macro_btn_cancel",
            "macro_btn_export", "macro_btn_import", "macro_btn_up", "macro_btn_down",
            "macro_btn_uptop", "macro_btn_downbottom", "macro_btn_delete", "macro_btn_deleteall",
            "macro_inset_moveleftkey_btn", "macro_inset_moverightkey_btn",
            "macro_inset_moveupkey_btn", "macro_inset_movedownkey_btn"},
           O::Macros);
  AddExact(rows, "click",
           {"shootdate_save_btn", "shootdate_reset_btn", "shootdate_import_btn",
            "shootdate_export_btn", "bullet_selected_prev", "bullet_selected_next"},
           O::Recoil);
  AddExact(rows, "click",
           {"custom_bright_color_btn", "custom_off_color_btn", "deng_same_mode",
            "Close_bkColor_btn"},
           O::Lighting);
  rows.push_back(Exact("click", "music_setting_btn", O::AudioLighting));
  AddExact(rows, "click", {"hs_EQ_btn_save", "hs_EQ_btn_delete"}, O::HeadsetAudio);
  AddExact(rows, "click", {"device_select_prev", "device_select_next"}, O::MainWindow);

  // "selectchanged".
  rows.push_back(Indexed("selectchanged", "DPI_enable_check_", O::Dpi));
  rows.push_back(Indexed("selectchanged", "DPI_select_check_", O::Dpi));
  // The report rate of a keyboard is a keyboard setting, a mouse's a DPI
  // page setting; each acts only on its own kind of device.
  rows.push_back(
      Indexed("selectchanged", "polling_rate_option_", O::KeyboardSettings, -1, O::Dpi));
  AddExact(rows, "selectchanged", {"pointer_precision_check", "scrolls_page_check"},
           O::SystemMouse);
  rows.push_back(Indexed("selectchanged", "repeat_delay_check_", O::KeyboardSettings));
  AddExact(rows, "selectchanged", {"winlockflag_option", "wflag_option", "6flag_option"},
           O::KeyboardSettings);
  rows.push_back(Indexed("selectchanged", "mouse_device_seting_option_", O::SystemMouse));
  rows.push_back(Indexed("selectchanged", "shoot_gun_op_", O::Recoil));
  rows.push_back(Indexed("selectchanged", "bullet_op_", O::Recoil));
  AddExact(rows, "selectchanged", {"bullet_x_check", "bullet_y_check"}, O::Recoil);
  rows.push_back(Indexed("selectchanged", "magic_option_", O::HeadsetAudio));
  rows.push_back(Indexed("selectchanged", "6533_eq_option_", O::HeadsetAudio));
  AddExact(rows, "selectchanged",
           {"magic_enable_option", "6533_MicIn_option", "6533_MicMoniter_option"},
           O::HeadsetAudio);
  rows.push_back(Indexed("selectchanged", "key_ComBox_check_", O::KeyAssignment));
  rows.push_back(Exact("selectchanged", "keyset_fn", O::KeyboardSettings));
  rows.push_back(Indexed("selectchanged", "keyboard_key_", O::KeyAssignment, 126));
  rows.push_back(Exact("selectchanged", "device_select", O::MainWindow));
  for (std::string_view tab : {"deng_Op_tab", "key_Op_tab", "macro_Op_tab", "system_Op_tab",
                               "cursor_Op_tab", "6533_voice_Op_tab", "magic_Op_tab",
                               "Virtual7.1_Op_tab"})
    rows.push_back(Exact("selectchanged", tab, O::MainWindow, O::ProfilePanelTab));
  AddExact(rows, "selectchanged", {"deng_FXL_check", "deng_FXR_check", "deng_7color_check"},
           O::Lighting);
  AddExact(rows, "selectchanged",
           {"deng_7audiocolor_check", "audio_BkColor_check", "audio_FgColor_check"},
           O::AudioLighting);

  // "valuechanged".
  rows.push_back(Indexed("valuechanged", "DPI_slider_", O::Dpi));
  rows.push_back(Indexed("valuechanged", "kaldo_DPI_slider_", O::Dpi));
  rows.push_back(Indexed("valuechanged", "6533_eq_hz_slider_", O::HeadsetAudio));
  AddExact(rows, "valuechanged",
           {"pointer_speed_slider", "scroll_speed_slider", "double_click_slider"},
           O::SystemMouse);
  AddExact(rows, "valuechanged", {"repeat_rate_slider", "voice_sensitivity"},
           O::KeyboardSettings);
  AddExact(rows, "valuechanged", {"deng_light_slider", "deng_speed_slider"}, O::Lighting);
  AddExact(rows, "valuechanged", {"6533_MicIn_slider", "6533_MicMoniter_slider"},
           O::HeadsetAudio);
  AddExact(rows, "valuechanged", {"R_light_slider", "G_light_slider", "B_light_slider"},
           O::AudioLighting);

  // "movevaluechanged".
  rows.push_back(Indexed("movevaluechanged", "DPI_slider_", O::Dpi));
  rows.push_back(Indexed("movevaluechanged", "kaldo_DPI_slider_", O::Dpi));

  // "itemselect" (the key panel refresh follows, below).
  rows.push_back(Exact("itemselect", "device_profile_combo", O::MainWindow));
  AddExact(rows, "itemselect",
           {"light_combo_modeSelect", "light_combo_custommodeSelect",
            "light_combo_ZZCCmodeSelect"},
           O::Lighting);
  rows.push_back(Exact("itemselect", "light_combo_audiomodeSelect", O::AudioLighting));
  AddExact(rows, "itemselect", {"keyset_function_combo", "keyset_macro_over_combo"},
           O::KeyAssignment);
  rows.push_back(Exact("itemselect", "macro_name_list", O::Macros));
  rows.push_back(Exact("itemselect", "custom_eq_name_combo", O::HeadsetAudio));

  // "killfocus".
  rows.push_back(Indexed("killfocus", "DPI_edit_", O::Dpi));
  // The main window's free-standing DPI pair.
  rows.push_back(Indexed("killfocus", "kaldo_DPI_edit_", O::Dpi));
  AddExact(rows, "killfocus", {"deng_edit_R", "deng_edit_G", "deng_edit_B"}, O::Lighting);
  AddExact(rows, "killfocus", {"deng_audioedit_R", "deng_audioedit_G", "deng_audioedit_B"},
           O::AudioLighting);
  rows.push_back(Exact("killfocus", "keyset_keyboard_text_edit", O::KeyAssignment));
  AddExact(rows, "killfocus", {"bullet_x_eidt", "bullet_y_eidt", "bullet_delay_eidt"},
           O::Recoil);
  rows.push_back(Exact("killfocus", "macro_delay", O::Macros));
  AddExact(rows, "killfocus",
           {"keyset_mouseswing_num_edit", "keyset_mouseswing_delay_edit",
            "keyset_mouseswing_speed_edit", "keyset_mousewheel_num_edit",
            "keyset_mousewheel_delay_edit", "keyset_mousewheel_speed_edit",
            "keyset_mousefire_interval_edit", "keyset_mousefire_num_edit",
            "keyset_macro_cycle_edit"},
           O::KeyAssignment);

  // "colorchanged" and "click_select_end".
  rows.push_back(Exact("colorchanged", "deng_Color_Pallet", O::Lighting));
  rows.push_back(Exact("colorchanged", "deng_audioColor_Pallet", O::AudioLighting));
  AddExact(rows, "click_select_end", {"device_key_light", "mouse_device_key_light"},
           O::Lighting);

  // The toolkit's base handling (message map).
  rows.push_back(Exact("itemactivate", "macro_action", O::Macros));
  // A right click on a row, or on the list where it has none, opens the
  // same menu.
  AddExact(rows, "menu", {"macro_action", "macro_action_list"}, O::Macros);
  rows.push_back(Exact("setfocus", "keyset_keyboard_text_edit", O::KeyAssignment));
  return rows;
}

std::vector<NamedRoute> BuildOthers() {
  std::vector<NamedRoute> rows;
  for (std::string_view name :
       {"WM_ACTIVATE", "WM_MOUSELEAVE", "WM_MOUSEHOVER", "InstanceMessage", "ForwardMessage",
        "LightControlRequest", "ToolQueryMessage", "WM_DESTROY", "WM_POWERBROADCAST",
        "WM_HOOK_KEY_HITKEY_MSG"})
    rows.push_back({"message", name, O::MainWindow});
  for (std::string_view name :
       {"WM_HOOK_KEY_KBMACRO_MSG", "WM_HOOK_KEY_KBMACROSINGLE_MSG",
        "WM_HOOK_KEY_KBMACROPREVIOUS_MSG", "WM_HOOK_KEY_KBMACROLATER_MSG",
        "WM_HOOK_KEY_MSMACRO_MSG", "WM_HOOK_KEY_MSMACROSINGLE_MSG",
        "WM_HOOK_KEY_MSMACROPREVIOUS_MSG", "WM_HOOK_KEY_MSMACROLATER_MSG"})
    rows.push_back({"message", name, O::Macros});
  // A key captured for the key assignment panel.
  rows.push_back({"message", "WM_HOOK_KEY_SINGLEKEY_MSG", O::KeyAssignment});
  for (std::string_view name : {"Game_Start", "Game_End", "Game_Kill", "Game_Death"})
    rows.push_back({"message", name, O::Lighting});
  rows.push_back({"message", "WM_COPYDATA 1", O::AudioLighting});
  rows.push_back({"message", "WM_COPYDATA 2", O::MainWindow});
  for (std::string_view name : {"WM_DISPLAYCHANGE", "WM_KEYDOWN", "WM_SYSKEYDOWN", "WM_TIMER",
                                "WM_DPICHANGED", "0x0401"})
    rows.push_back({"message", name, O::MainWindow});
  rows.push_back({"message", "0x041E", O::Macros});
  rows.push_back({"message", "0x0479 exit", O::MainWindow});
  rows.push_back({"message", "0x0479", O::Macros});
  for (std::string_view name : {"0x04C8", "0x0C00"})
    rows.push_back({"message", name, O::MainWindow});
  rows.push_back({"message", "0x0C11", O::Language});
  rows.push_back({"message", "0x0C11 labels", O::KeyLabels});
  for (std::string_view name : {"0x0C12", "0x0C13"})
    rows.push_back({"message", name, O::MainWindow});
  rows.push_back({"message", "0x0C15", O::SettingsWindow});
  for (std::string_view name : {"0x0C16", "0x0D01", "0x0D02", "0x0D03"})
    rows.push_back({"message", name, O::MainWindow});
  rows.push_back({"message", "0x0D00", O::Profiles});
  rows.push_back({"message", "0x0D04", O::HeadsetAudio});

  for (std::string_view name : {"1011", "1032"})
    rows.push_back({"timer", name, O::MainWindow});
  rows.push_back({"timer", "1055", O::Profiles});
  rows.push_back({"timer", "1066", O::Lighting});

  rows.push_back({"tag", "ComboEditContainerElement", O::KeyAssignment});
  rows.push_back({"tag", "DeviceProfile", O::Profiles});
  rows.push_back({"tag", "LightControl", O::Lighting});
  rows.push_back({"tag", "MagicControl", O::HeadsetAudio});
  rows.push_back({"tag", "Voice6533Control", O::HeadsetAudio});
  rows.push_back({"tag", "KeySetControl", O::KeyAssignment});
  rows.push_back({"tag", "ShootControl", O::Recoil});
  return rows;
}

bool SameName(std::string_view a, const QString& b) {
  return QString::compare(QLatin1String(a.data(), static_cast<qsizetype>(a.size())), b,
                          Qt::CaseInsensitive) == 0;
}

}  // namespace

const char* RouteOwnerName(RouteOwner owner) {
  switch (owner) {
    case O::MainWindow: return "main window";
    case O::Profiles: return "profiles";
    case O::ProfilePanelTab: return "profile panel tab";
    case O::KeyAssignment: return "key assignment";
    case O::KeyLabels: return "key labels";
    case O::KeyboardSettings: return "keyboard settings";
    case O::Macros: return "macros";
    case O::Recoil: return "recoil";
    case O::Lighting: return "lighting";
    case O::AudioLighting: return "audio lighting";
    case O::ColourPalette: return "colour palette";
    case O::Dpi: return "dpi";
    case O::SystemMouse: return "system mouse";
    case O::HeadsetAudio: return "headset audio";
    case O::SkinChooser: return "skin chooser";
    case O::SettingsWindow: return "settings window";
    case O::Language: return "language";
    case O::Count: break;
  }
  return "?";
}

const std::vector<NotifyRoute>& MainWindowRoutes::Notifications() {
  static const std::vector<NotifyRoute> rows = BuildNotifications();
  return rows;
}

const std::vector<std::string_view>& MainWindowRoutes::KeyPanelRefreshNames() {
  static const std::vector<std::string_view> names = {
      "keyset_function_combo", "keyset_mousekey_combo",   "keyset_mouseswing_combo",
      "keyset_mousewheel_combo", "keyset_mousedpi_combo", "keyset_media_combo",
      "keyset_system_combo",   "keyset_macro_combo",      "keyset_macro_over_combo",
      "keyset_gunkey_combo",   "keyset_combokey_combo"};
  return names;
}

const std::vector<NamedRoute>& MainWindowRoutes::Others() {
  static const std::vector<NamedRoute> rows = BuildOthers();
  return rows;
}

std::optional<MainWindowRoutes::Match> MainWindowRoutes::Find(std::string_view type,
                                                              const QString& name) {
  QString prefix;
  int index = -1;
  const bool split = SplitIndexedName(name, prefix, index);
  for (const NotifyRoute& row : Notifications()) {
    if (row.type != type)
      continue;
    if (!row.indexed) {
      if (SameName(row.name, name))
        return Match{&row, -1};
    } else if (split && SameName(row.name, prefix) &&
               (row.indexLimit < 0 || index < row.indexLimit)) {
      return Match{&row, index};
    }
  }
  return std::nullopt;
}

bool MainWindowRoutes::IsKeyPanelRefresh(const QString& name) {
  for (std::string_view refresh : KeyPanelRefreshNames())
    if (SameName(refresh, name))
      return true;
  return false;
}
