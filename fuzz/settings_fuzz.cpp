// The settings-file reader on any text, and the model list built from it.
// LoadModelList reads a path, so the input is written to one temporary file
// per process first; the reader is also queried from memory directly.
#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "display/model_info.h"
#include "fuzz/keep_value.h"
#include "settings/model_list.h"
#include "settings/settings_file.h"

namespace {

// A temporary file that lives as long as the fuzzing process.
class ScratchFile {
public:
    ScratchFile() {
        const char* dir = std::getenv("TMPDIR");
        m_path = std::string(dir != nullptr && *dir != '\0' ? dir : "/tmp") +
                 "/lumikor-settings-fuzz-XXXXXX";
        m_fd = mkstemp(m_path.data());
        if (m_fd < 0) std::abort();
    }
    ~ScratchFile() {
        close(m_fd);
        unlink(m_path.c_str());
    }

    const std::string& Rewrite(const std::uint8_t* data, std::size_t size) {
        if (ftruncate(m_fd, 0) != 0) std::abort();
        std::size_t done = 0;
        while (done < size) {
            const ssize_t n = pwrite(m_fd, data + done, size - done, static_cast<off_t>(done));
            if (n <= 0) std::abort();
            done += static_cast<std::size_t>(n);
        }
        return m_path;
    }

private:
    std::string m_path;
    int m_fd = -1;
};

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
