// The dialog's font and the base units its layout is measured in.
#pragma once

#include <QFont>

#include "ui/dialog_template.h"

// The template's face at 9 points when installed, else a Ming-style CJK face
// of the same family, else the application's default at 9 points.
QFont ChooseDialogFont();

DialogBaseUnits MeasureBaseUnits(const QFont& font);
