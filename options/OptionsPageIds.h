#pragma once
// Control ids of the two options pages (the same id may serve on both pages).

namespace sonvelle {

// General page.
constexpr int IDC_OPT_SWITCH1 = 1100;
constexpr int IDC_OPT_SWITCH2 = 1105;
constexpr int IDC_OPT_ONE_FILE = 1077;
constexpr int IDC_OPT_SEPARATE_FILES = 1099;
constexpr int IDC_OPT_SILENCE = 1101;
constexpr int IDC_OPT_SILENCE_LABEL = 1102;
constexpr int IDC_OPT_SILENCE_UNIT = 1103;
constexpr int IDC_OPT_SENSITIVITY = 1104;
constexpr int IDC_OPT_CONFIRM = 1106;
constexpr int IDC_OPT_ANTI_BUMP = 1110;
constexpr int IDC_OPT_VOLUME = 1130;
constexpr int IDC_OPT_AUTO_GROUP = 1143;
constexpr int IDC_OPT_SENSITIVITY_GROUP = 1145;
constexpr int IDC_OPT_SENSITIVITY_HIGH = 1146;
constexpr int IDC_OPT_SENSITIVITY_LOW = 1147;
constexpr int IDC_OPT_VOLUME_GROUP = 1151;
constexpr int IDC_OPT_VOLUME_LOW = 1152;
constexpr int IDC_OPT_VOLUME_HIGH = 1153;
constexpr int IDC_OPT_DEFAULT = 1136;

// Advanced page.
constexpr int IDC_OPT_START_IN_TRAY = 1100;
constexpr int IDC_OPT_AUTO_AT_START = 1105;
constexpr int IDC_OPT_AUTOSTART = 1107;
constexpr int IDC_OPT_WORK_FOLDER = 1134;
constexpr int IDC_OPT_BROWSE_FOLDER = 1135;
constexpr int IDC_OPT_REINDEX = 1137;
constexpr int IDC_OPT_OPERATOR = 1138;
constexpr int IDC_OPT_BROWSE_SOUND = 1139;
constexpr int IDC_OPT_START_GROUP = 1144;
constexpr int IDC_OPT_FOLDER_GROUP = 1148;
constexpr int IDC_OPT_WARNING_GROUP = 1149;
constexpr int IDC_OPT_WARNING = 1172;
constexpr int IDC_OPT_SOUND_FILE = 1173;
constexpr int IDC_OPT_SEND_AFTER = 1174;
constexpr int IDC_OPT_SEND_EVERY = 1175;
constexpr int IDC_OPT_SOUND_LABEL = 1176;
constexpr int IDC_OPT_SEND_AFTER_SECONDS = 1177;
constexpr int IDC_OPT_SEND_EVERY_SECONDS = 1178;
constexpr int IDC_OPT_SEND_AFTER_UNIT = 1179;
constexpr int IDC_OPT_SEND_EVERY_UNIT = 1180;
constexpr int IDC_OPT_OPERATOR_LABEL = 1181;
constexpr int IDC_OPT_ALT_PLAY = 1209;

}  // namespace sonvelle
