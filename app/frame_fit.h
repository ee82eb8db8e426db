// Group boxes grown to hold their title and every control the template puts
// inside them: the fallback fonts set Latin text wider than the template's
// face, and a check box or title must not cross or be cut by its frame.
#pragma once

#include <span>
#include <vector>

#include "ui/dialog_template.h"

class QWidget;

// controls[i] is the widget of items[i], already placed. Frames are fitted
// innermost first, so a frame grows around the grown frames inside it; a
// frame that then runs into the one on its right pushes that one's left
// edge alone (its contents stay). margin: the room, in pixels, between a
// frame and what it holds, and between two frames side by side.
void FitFramesToContents(std::span<const DialogItem> items, const std::vector<QWidget*>& controls,
                         int margin);
