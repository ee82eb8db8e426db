// The main dialog's layout as a dialog template holds it: every control with
// its identifier, kind, caption, rectangle in dialog units and style, in
// template order, which is also the tab order. The window code builds its
// widgets from this table alone.
#pragma once

#include <array>
#include <cstdint>

enum class ControlKind { PushButton, CheckBox, Edit, DropDownList, GroupBox, Label, Static };

// Style bits beyond what the kind implies.
enum ControlStyle : std::uint32_t {
    kStyleNone = 0,
    kStyleHidden = 1u << 0,
    kStyleDefault = 1u << 1,      // the default push button (Enter)
    kStyleDigitsOnly = 1u << 2,   // the edit refuses typed non-digits
    kStyleRightAlign = 1u << 3,   // label text right-aligned
    kStyleVScroll = 1u << 4,      // list with a vertical scroll bar
    kStyleAutoHScroll = 1u << 5,  // edit text scrolls horizontally
    kStyleBorder = 1u << 6,
};

// Identifiers of the controls the dialog talks to.
enum ControlId : std::int32_t {
    IDOK = 1,
    IDC_TEST = 1000,
    IDC_OPEN_FILE = 1001,
    IDC_MODEL = 1002,
    IDC_WIDTH = 1007,
    IDC_HEIGHT = 1008,
    IDC_RESOLUTION = 1009,
    IDC_JOB_PATH = 1010,
    IDC_DISPLAY_AREA = 1015,
    IDC_SETTING = 1016,
    IDC_SAVE_IMAGE = 1017,
    IDC_REDRAW = 1018,
    IDC_DISPLAY_MODE = 1019,
    IDC_SHOW_START_POINT = 1022,
    IDC_SHOW_CUT_PATH = 1023,
    IDC_COLOR_MODE = 1026,
    IDC_SHOW_CUT_PROCESS = 1027,
    IDC_CUT_DELAY = 1028,
    IDC_SHOW_PR = 1030,
    IDC_SHOW_ENGRAVE_PROCESS = 1033,
    IDC_ENGRAVE_DELAY = 1034,
    IDC_OFFSET_X = 1037,
    IDC_OFFSET_Y = 1038,
    IDC_STATIC = -1,
};

struct DialogItem {
    std::int32_t id;
    ControlKind kind;
    const char* caption;  // "" for none
    std::int32_t x, y, w, h;
    std::uint32_t style;
};

// The client area of the dialog, in dialog units.
inline constexpr std::int32_t kDialogWidthDu = 819;
inline constexpr std::int32_t kDialogHeightDu = 502;

inline constexpr std::int32_t kFontPointSize = 9;

// Edits of numbers in the template: digits only, border, auto-scroll.
inline constexpr std::uint32_t kNumberEdit = kStyleDigitsOnly | kStyleBorder | kStyleAutoHScroll;
inline constexpr std::uint32_t kTextEdit = kStyleBorder | kStyleAutoHScroll;
inline constexpr std::uint32_t kList = kStyleVScroll;

// clang-format off
inline constexpr std::array<DialogItem, 43> kMainDialogControls{{
    {IDOK, ControlKind::PushButton, "Confirm", 655, 7, 50, 14, kStyleHidden | kStyleDefault},
    {IDC_TEST, ControlKind::PushButton, "Test", 654, 30, 50, 14, kStyleHidden},
    {IDC_OPEN_FILE, ControlKind::PushButton, "Open File", 43, 18, 50, 14, kStyleNone},
    {IDC_MODEL, ControlKind::DropDownList, "", 21, 56, 104, 71, kList},
    {1004, ControlKind::Label, "Width", 20, 78, 20, 8, kStyleRightAlign},
    {1005, ControlKind::Label, "Height", 20, 92, 22, 8, kStyleRightAlign},
    {1006, ControlKind::Label, "Resolution", 20, 106, 34, 8, kStyleRightAlign},
    {IDC_WIDTH, ControlKind::Edit, "", 58, 75, 40, 14, kNumberEdit},
    {IDC_HEIGHT, ControlKind::Edit, "", 58, 89, 40, 14, kNumberEdit},
    {IDC_RESOLUTION, ControlKind::Edit, "", 58, 103, 40, 14, kNumberEdit},
    {IDC_JOB_PATH, ControlKind::Edit, "", 103, 18, 361, 14, kTextEdit},
    {1011, ControlKind::GroupBox, "File", 7, 5, 468, 36, kStyleNone},
    {1012, ControlKind::GroupBox, "Model", 7, 41, 130, 100, kStyleNone},
    {1013, ControlKind::GroupBox, "Option", 7, 144, 130, 290, kStyleNone},
    {1014, ControlKind::GroupBox, "Display Area", 143, 44, 669, 451, kStyleNone},
    {IDC_DISPLAY_AREA, ControlKind::Static, "", 160, 77, 8, 8, kStyleNone},
    {IDC_SETTING, ControlKind::PushButton, "Setting", 47, 121, 50, 14, kStyleNone},
    {IDC_SAVE_IMAGE, ControlKind::PushButton, "Save Image", 498, 6, 50, 14, kStyleNone},
    {IDC_REDRAW, ControlKind::PushButton, "Redraw", 498, 29, 50, 14, kStyleNone},
    {IDC_DISPLAY_MODE, ControlKind::DropDownList, "", 25, 173, 96, 51, kList},
    {1020, ControlKind::GroupBox, "Display Information", 16, 156, 114, 38, kStyleNone},
    {1021, ControlKind::GroupBox, "Cutting Information Option", 16, 246, 114, 115, kStyleNone},
    {IDC_SHOW_START_POINT, ControlKind::CheckBox, "Show Cutting Start Point", 30, 265, 95, 10, kStyleNone},
    {IDC_SHOW_CUT_PATH, ControlKind::CheckBox, "Display Cutting Path", 30, 281, 95, 10, kStyleNone},
    {1025, ControlKind::Label, "Displace Color", 30, 314, 66, 8, kStyleNone},
    {IDC_COLOR_MODE, ControlKind::DropDownList, "", 30, 297, 88, 52, kList},
    {IDC_SHOW_CUT_PROCESS, ControlKind::CheckBox, "Display ", 30, 312, 72, 10, kStyleNone},
    {IDC_CUT_DELAY, ControlKind::Edit, "", 40, 325, 40, 14, kNumberEdit},
    {IDC_SHOW_PR, ControlKind::CheckBox, "Show PR", 39, 342, 45, 10, kStyleNone},
    {1031, ControlKind::Label, "Delay (ms)", 84, 328, 35, 8, kStyleNone},
    {1032, ControlKind::GroupBox, "Engraving Information Option", 16, 372, 114, 53, kStyleNone},
    {IDC_SHOW_ENGRAVE_PROCESS, ControlKind::CheckBox, "Display process", 30, 387, 64, 10, kStyleNone},
    {IDC_ENGRAVE_DELAY, ControlKind::Edit, "", 39, 400, 40, 14, kTextEdit},
    {1035, ControlKind::Label, "Delay (ms)", 84, 400, 35, 8, kStyleNone},
    {1036, ControlKind::GroupBox, "Coordinate Displacement", 16, 194, 114, 49, kStyleNone},
    {IDC_OFFSET_X, ControlKind::Edit, "", 58, 207, 40, 14, kTextEdit},
    {IDC_OFFSET_Y, ControlKind::Edit, "", 58, 225, 40, 14, kTextEdit},
    {1039, ControlKind::Label, "X", 20, 210, 30, 8, kStyleRightAlign},
    {1040, ControlKind::Label, "Y", 20, 225, 30, 8, kStyleRightAlign},
    {IDC_STATIC, ControlKind::Label, "mm", 103, 78, 13, 8, kStyleNone},
    {IDC_STATIC, ControlKind::Label, "mm", 103, 92, 13, 8, kStyleNone},
    {IDC_STATIC, ControlKind::Label, "step", 103, 210, 13, 8, kStyleNone},
    {IDC_STATIC, ControlKind::Label, "step", 103, 225, 13, 8, kStyleNone},
}};
// clang-format on

// A dialog font's base units in pixels: the average width of the 52 letters
// A-Z a-z, rounded, and the line height.
struct DialogBaseUnits {
    std::int32_t x;
    std::int32_t y;
};

struct PixelRect {
    std::int32_t x, y, w, h;
};

// Dialog units to pixels as a dialog template is mapped: x and widths scale
// by base x / 4, y and heights by base y / 8, each rounded to nearest.
PixelRect DialogUnitsToPixels(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h,
                              DialogBaseUnits units);

// The table entry of an identifier (the first, for -1), or null.
const DialogItem* FindControlSpec(std::int32_t id);
