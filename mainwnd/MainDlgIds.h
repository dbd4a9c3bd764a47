#pragma once
// Fixed numbers of the main window: control ids, menu command ids, timer ids
// and the messages it receives from its controls and the notification icon.

#include "platform/Messages.h"
#include "skin/SkinMessages.h"

namespace sonvelle {

// Controls.
constexpr int IDC_CALL_LOG = 1040;
constexpr int IDC_LIST_TITLE = 1089;
constexpr int IDC_NAME_LABEL = 1111;
constexpr int IDC_NAME_EDIT = 1119;
constexpr int IDC_NOTES_LABEL = 1115;
constexpr int IDC_NOTES_EDIT = 1120;
constexpr int IDC_SAVE = 1099;
constexpr int IDC_RECORD = 1011;
constexpr int IDC_AUTO_RECORD = 1019;
constexpr int IDC_STOP = 1013;
constexpr int IDC_PLAY = 1022;
constexpr int IDC_PAUSE = 1015;
constexpr int IDC_FAST_FORWARD = 1031;
constexpr int IDC_FAST_REWIND = 1032;
constexpr int IDC_STOP_PLAY = 1023;
constexpr int IDC_FIND = 1044;
constexpr int IDC_DELETE = 1045;
constexpr int IDC_SEND = 1059;
constexpr int IDC_OPTIONS = 1098;
constexpr int IDC_HELP = 1014;
constexpr int IDC_REC_STATUS = 1097;
constexpr int IDC_REC_MINUTES = 1183;
constexpr int IDC_REC_COLON = 1184;
constexpr int IDC_REC_SECONDS = 1185;
constexpr int IDC_PLAY_STATUS = 1101;
constexpr int IDC_PLAY_MINUTES = 1186;
constexpr int IDC_PLAY_COLON = 1187;
constexpr int IDC_PLAY_SECONDS = 1188;
constexpr int IDC_LEVEL_METER = 1125;
constexpr int IDC_POSITION_BAR = 1012;
constexpr int IDC_VOLUME_LABEL = 1017;
constexpr int IDC_VOLUME = 1039;
constexpr int IDC_DISPLAY_FRAME = 1150;

// Menu commands (menu 300; the Tools popup doubles as the list's context menu).
constexpr int ID_FILE_IMPORT = 32796;
constexpr int ID_FILE_EXIT = 32792;
constexpr int ID_TOOLS_DELETE = 32807;
constexpr int ID_TOOLS_FIND = 32806;
constexpr int ID_TOOLS_OPTIONS = 32798;
constexpr int ID_TOOLS_SEND = 32794;
constexpr int ID_TOOLS_PROTECT = 32793;
constexpr int ID_TOOLS_JOIN = 32795;
constexpr int ID_HELP_CONTENTS = 32805;
constexpr int ID_HELP_ONLINE = 32808;
constexpr int ID_NO_ACTION = 32811;

// Window timers.
constexpr int TIMER_RECORDING_TIME = 1011;
constexpr int TIMER_PLAYING_POSITION = 1022;
constexpr int TIMER_BALLOON_CLOSE = 1062;
constexpr int TIMER_WARNING_SOUND = 11;
constexpr int TIMER_WARNING_SOUND_END = 12;
constexpr int TIMER_FALLBACK_NOTICE = 1295;
constexpr int TIMER_REALIGN_NOTICE = 1298;
constexpr int TIMER_AUTO_REPEAT = kWindRepeatTimerId;

// Messages from the notification icon (the mixer's are in audio/Mixer.h). The skinned controls on
// this window's thread notify it by signals instead.
constexpr unsigned WM_TRAY_NOTIFY = WM_USER + 1;
// A menu command posted to the window (the tray menu's choice): wParam = command id.
constexpr unsigned WM_COMMAND = 0x0111;

}  // namespace sonvelle
