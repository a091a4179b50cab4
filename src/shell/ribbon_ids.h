#pragma once
// Command ids of the ribbon. The Input and Output categories are twins: each Output control
// has an id of its own but is handled exactly like its Input twin, and every handler keeps
// both twins in step. Input ids carry the plain names; Output twins add _OUT.

namespace ax7::ui {

// Application menu.
inline constexpr int ID_FILE_OPEN = 57601;
inline constexpr int ID_FILE_SAVE = 57603;
inline constexpr int ID_APP_EXIT = 57665;
inline constexpr int ID_APP_REMOTE_ACCESS = 57670;
// The recent-file submenu of the application menu (found by object name; filled by the main
// window).
inline constexpr const char* kRecentFilesMenuName = "recentFiles";

// Panel 0: microphone volume.
inline constexpr int ID_LABEL_MICVOL = 32832;
inline constexpr int ID_SLIDER_MICVOL = 32829;
inline constexpr int ID_CHK_MUTE1 = 32847;
inline constexpr int ID_LABEL_MICVOL_OUT = 32857;
inline constexpr int ID_SLIDER_MICVOL_OUT = 32858;
inline constexpr int ID_CHK_MUTE1_OUT = 32859;

// Panel 1: effect volume.
inline constexpr int ID_LABEL_EFXVOL = 32833;
inline constexpr int ID_SLIDER_EFXVOL = 32830;
inline constexpr int ID_LABEL_EFXVOL_OUT = 32860;
inline constexpr int ID_SLIDER_EFXVOL_OUT = 32861;

// Panel 2: reverb volume.
inline constexpr int ID_LABEL_REVERBVOL = 32920;
inline constexpr int ID_SLIDER_REVERBVOL = 32918;
inline constexpr int ID_CHK_MUTE2 = 32848;
inline constexpr int ID_LABEL_REVERBVOL_OUT = 32921;
inline constexpr int ID_SLIDER_REVERBVOL_OUT = 32919;
inline constexpr int ID_CHK_MUTE2_OUT = 32862;

// Panel 3: echo volume.
inline constexpr int ID_LABEL_ECHOVOL = 32837;
inline constexpr int ID_SLIDER_ECHOVOL = 32806;
inline constexpr int ID_CHK_MUTE3 = 32849;
inline constexpr int ID_LABEL_ECHOVOL_OUT = 32863;
inline constexpr int ID_SLIDER_ECHOVOL_OUT = 32864;
inline constexpr int ID_CHK_MUTE3_OUT = 32865;

// Panel 4: music volume.
inline constexpr int ID_LABEL_MUSICVOL = 32834;
inline constexpr int ID_SLIDER_MUSICVOL = 32831;
inline constexpr int ID_CHK_MUTE4 = 32850;
inline constexpr int ID_LABEL_MUSICVOL_OUT = 32866;
inline constexpr int ID_SLIDER_MUSICVOL_OUT = 32867;
inline constexpr int ID_CHK_MUTE4_OUT = 32868;

// Panel 5: music noise gate and pitch (the pitch value is shown in the panel caption).
inline constexpr int ID_LABEL_NOISEGATE = 32842;
inline constexpr int ID_SLIDER_NOISEGATE = 32846;
inline constexpr int ID_SLIDER_PITCH = 32841;
inline constexpr int ID_LABEL_NOISEGATE_OUT = 32878;
inline constexpr int ID_SLIDER_NOISEGATE_OUT = 32879;
inline constexpr int ID_SLIDER_PITCH_OUT = 32880;

// Panel 6: load. The mode menu items M1..M4 are shared by both categories.
inline constexpr int ID_BTN_LOADMODE = 32815;
inline constexpr int IDC_FILE_OPEN = 32827;
inline constexpr int ID_BTN_LOADMODE_OUT = 32900;
inline constexpr int IDC_FILE_OPEN_OUT = 32881;
inline constexpr int ID_LOADMODE_M1 = 32910;  // M1..M4 = 32910..32913

// Panel 7: save.
inline constexpr int ID_BTN_SAVEMODE = 32819;
inline constexpr int IDC_FILE_SAVE = 32828;
inline constexpr int ID_BTN_SAVEMODE_OUT = 32904;
inline constexpr int IDC_FILE_SAVE_OUT = 32882;
inline constexpr int ID_SAVEMODE_M1 = 32914;  // M1..M4 = 32914..32917

// Panels 8 and 9: wireless microphone status labels.
inline constexpr int ID_LABEL_MIC1_RF = 32926;
inline constexpr int ID_LABEL_MIC1_FREQ = 32927;
inline constexpr int ID_LABEL_MIC1_BATTERY = 32928;
inline constexpr int ID_LABEL_MIC2_RF = 32929;
inline constexpr int ID_LABEL_MIC2_FREQ = 32930;
inline constexpr int ID_LABEL_MIC2_BATTERY = 32931;
inline constexpr int ID_LABEL_MIC1_RF_OUT = 32932;
inline constexpr int ID_LABEL_MIC1_FREQ_OUT = 32933;
inline constexpr int ID_LABEL_MIC1_BATTERY_OUT = 32934;
inline constexpr int ID_LABEL_MIC2_RF_OUT = 32935;
inline constexpr int ID_LABEL_MIC2_FREQ_OUT = 32936;
inline constexpr int ID_LABEL_MIC2_BATTERY_OUT = 32937;

// Tab row, left to right.
inline constexpr int ID_BTN_INPUTSOURCE = 32922;
inline constexpr int ID_BTN_MUSICAGC = 32908;
inline constexpr int ID_BTN_RESET = 32811;
inline constexpr int ID_BTN_REMOTE = 32812;
inline constexpr int ID_BTN_AUTOSUB = 32883;
inline constexpr int ID_BTN_LANGUAGE = 32805;
inline constexpr int ID_APP_ABOUT = 57664;
// Tab row, left of the buttons above: undo, redo, the A/B slots and the settings history.
inline constexpr int ID_BTN_UNDO = 32940;
inline constexpr int ID_BTN_REDO = 32941;
inline constexpr int ID_BTN_AB = 32942;
inline constexpr int ID_BTN_HISTORY = 32943;

// Category indices in the order they are built.
inline constexpr int kInputCategory = 0;
inline constexpr int kOutputCategory = 1;

struct TwinIds {
  int input;
  int output;
};

// Every control that exists once per category, Input id first.
inline constexpr TwinIds kTwinIds[] = {
    {ID_LABEL_MICVOL, ID_LABEL_MICVOL_OUT},
    {ID_SLIDER_MICVOL, ID_SLIDER_MICVOL_OUT},
    {ID_CHK_MUTE1, ID_CHK_MUTE1_OUT},
    {ID_LABEL_EFXVOL, ID_LABEL_EFXVOL_OUT},
    {ID_SLIDER_EFXVOL, ID_SLIDER_EFXVOL_OUT},
    {ID_LABEL_REVERBVOL, ID_LABEL_REVERBVOL_OUT},
    {ID_SLIDER_REVERBVOL, ID_SLIDER_REVERBVOL_OUT},
    {ID_CHK_MUTE2, ID_CHK_MUTE2_OUT},
    {ID_LABEL_ECHOVOL, ID_LABEL_ECHOVOL_OUT},
    {ID_SLIDER_ECHOVOL, ID_SLIDER_ECHOVOL_OUT},
    {ID_CHK_MUTE3, ID_CHK_MUTE3_OUT},
    {ID_LABEL_MUSICVOL, ID_LABEL_MUSICVOL_OUT},
    {ID_SLIDER_MUSICVOL, ID_SLIDER_MUSICVOL_OUT},
    {ID_CHK_MUTE4, ID_CHK_MUTE4_OUT},
    {ID_LABEL_NOISEGATE, ID_LABEL_NOISEGATE_OUT},
    {ID_SLIDER_NOISEGATE, ID_SLIDER_NOISEGATE_OUT},
    {ID_SLIDER_PITCH, ID_SLIDER_PITCH_OUT},
    {ID_BTN_LOADMODE, ID_BTN_LOADMODE_OUT},
    {IDC_FILE_OPEN, IDC_FILE_OPEN_OUT},
    {ID_BTN_SAVEMODE, ID_BTN_SAVEMODE_OUT},
    {IDC_FILE_SAVE, IDC_FILE_SAVE_OUT},
    {ID_LABEL_MIC1_RF, ID_LABEL_MIC1_RF_OUT},
    {ID_LABEL_MIC1_FREQ, ID_LABEL_MIC1_FREQ_OUT},
    {ID_LABEL_MIC1_BATTERY, ID_LABEL_MIC1_BATTERY_OUT},
    {ID_LABEL_MIC2_RF, ID_LABEL_MIC2_RF_OUT},
    {ID_LABEL_MIC2_FREQ, ID_LABEL_MIC2_FREQ_OUT},
    {ID_LABEL_MIC2_BATTERY, ID_LABEL_MIC2_BATTERY_OUT},
};

// The Input twin of an Output id (and an Input id itself), so one handler serves both.
// Ids without a twin come back unchanged.
constexpr int InputTwin(int id) {
  for (const TwinIds& t : kTwinIds)
    if (t.output == id) return t.input;
  return id;
}

// The id of the same control in the given category.
constexpr int TwinIn(int category, int id) {
  for (const TwinIds& t : kTwinIds)
    if (t.input == id || t.output == id) return category == kOutputCategory ? t.output : t.input;
  return id;
}

}  // namespace ax7::ui
