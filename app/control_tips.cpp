#include "app/control_tips.h"

#include "ui/dialog_template.h"

const char* ControlTip(int id) {
    switch (id) {
        case IDC_OPEN_FILE:
            return "Choose a job file (.prn, .plt) and draw it (Ctrl+O)";
        case IDC_JOB_PATH:
            return "The job file to draw: type a path and press Redraw, or drop a file onto the "
                   "window";
        case IDC_REDRAW:
            return "Read the job in the path box again and draw it with the options as they are "
                   "now (F5, Ctrl+R)";
        case IDC_SAVE_IMAGE:
            return "Save the drawn bed as a 24-bit bitmap beside its job: part.prn gives "
                   "part.bmp (Ctrl+S). Save Image As\u2026 (Ctrl+Shift+S) chooses the file and "
                   "BMP or PNG";
        case IDC_MODEL:
            return "Machine models listed in Lumikor.ini; choosing one fills in its size and "
                   "resolution and applies them";
        case IDC_WIDTH:
            return "Bed width in millimetres";
        case IDC_HEIGHT:
            return "Bed height in millimetres";
        case IDC_RESOLUTION:
            return "Resolution in dots per inch";
        case IDC_SETTING:
            return "Apply the width, height and resolution; the picture is cleared to the new bed";
        case IDC_DISPLAY_MODE:
            return "What the next draw shows: raster engraving and vector cutting (All), or "
                   "only one of them";
        case IDC_SHOW_START_POINT:
            return "Mark where each cut starts (every move) with a small dark grey square";
        case IDC_SHOW_CUT_PATH:
            return "Draw the travel moves between cuts as light grey lines";
        case IDC_COLOR_MODE:
            return "Colours of the cuts. File: the job's pen colours. Type: lines black, "
                   "clockwise arcs red, counter-clockwise arcs green. End Speed: black after the "
                   "job's 'F' marker, red after its 'J' marker";
        case IDC_SHOW_CUT_PROCESS:
            return "Animate cutting: show the bed after each move and arc and wait the delay "
                   "(Escape stops the animation)";
        case IDC_CUT_DELAY:
            return "Wait after each cutting step, in milliseconds";
        case IDC_SHOW_PR:
            return "With the cutting animation: also show each straight cut line as it is "
                   "drawn and wait the delay after it";
        case IDC_SHOW_ENGRAVE_PROCESS:
            return "Animate engraving: show each finished raster row and wait the delay "
                   "(Escape stops the animation)";
        case IDC_ENGRAVE_DELAY:
            return "Wait after each engraved row, in milliseconds";
        case IDC_OFFSET_X:
            return "Added to every X position of the job, raster and vector, in machine steps "
                   "(dots)";
        case IDC_OFFSET_Y:
            return "Added to every Y position of the job, raster and vector, in machine steps "
                   "(dots)";
        default:
            return nullptr;
    }
}
