// The machine models listed in the settings file.
#pragma once

#include <string>
#include <vector>

#include "display/model_info.h"

// Appends one ModelInfo per model the settings file at iniPath lists, in the
// file's order. Section "MODEL_LIST" gives the count "No" and the names
// "Item_1", "Item_2", ...; each model's own section (its name, cut to 127
// characters) gives "Width", "Height" and "Resolution". Empty names are
// skipped; missing numbers take 1000 mm, 600 mm and 1000 dpi. A missing file
// lists nothing.
void LoadModelList(const std::string& iniPath, std::vector<ModelInfo>* models);
