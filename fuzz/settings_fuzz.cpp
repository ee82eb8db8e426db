// The settings-file reader on any text, and the model list built from it.
// LoadModelList reads a path, so the input is written to a scratch file
// first; the reader is also queried from memory directly.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "display/model_info.h"
#include "fuzz/keep_value.h"
#include "fuzz/scratch_file.h"
#include "settings/model_list.h"
#include "settings/settings_file.h"

namespace {

void CheckModels(const std::vector<ModelInfo>& models) {
    for (const ModelInfo& model : models) {
        const auto end = std::memchr(model.name.data(), '\0', model.name.size());
        if (end == nullptr || model.Name().empty() || model.resolutionY != model.resolution) {
            std::abort();
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static ScratchFile file;
    std::vector<ModelInfo> models;
    LoadModelList(file.Rewrite(data, size), &models);
    CheckModels(models);

    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const SettingsFile settings = SettingsFile::FromText(text);
    std::size_t total = models.size();
    for (const std::string& key : settings.Keys("MODEL_LIST")) {
        const std::string value = settings.GetString("model_list", key, "", 127);
        if (value.size() > 127) std::abort();
        total += value.size() + static_cast<std::size_t>(settings.GetInt(value, "width", 1000) & 1);
    }
    KeepValue(total);
    return 0;
}
