#include "cli/models_command.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli/json_text.h"
#include "cli/terminal_text.h"
#include "settings/model_list.h"

namespace {

// What stands where a settings file was looked for and none was taken.
std::string WhatIsAt(const std::string& path) {
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    if (status.type() == std::filesystem::file_type::not_found) return "not found";
    if (error) return error.message();
    if (std::filesystem::is_directory(status)) return "is a directory";
    if (!std::filesystem::is_regular_file(status)) return "is not a regular file";
    return "cannot be opened";
}

// A settings file is text: a NUL byte near its start means something else
// (an image, a job) stands under its name.
bool LooksBinary(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::array<char, 64 * 1024> head{};
    in.read(head.data(), head.size());
    const auto end = head.begin() + in.gcount();
    return std::find(head.begin(), end, '\0') != end;
}

// The file to read, named on err, or "" when there is none to read (then err
// says what stands at each place looked at).
std::string ChooseFile(const ModelsOptions& options, const SettingsPlaces& places,
                       std::ostream& err) {
    const std::vector<std::string> candidates = options.iniPath.empty()
                                                    ? SettingsFileCandidates(places)
                                                    : std::vector<std::string>{options.iniPath};
    const std::string found = FirstExistingSettingsFile(candidates);
    if (found.empty()) {
        err << "lumikor-cli models: no settings file:";
        for (std::size_t i = 0; i < candidates.size(); ++i) {
            err << (i == 0 ? " '" : ", '") << TerminalText(candidates[i]) << "' "
                << WhatIsAt(candidates[i]);
        }
        err << "; no models\n";
        return found;
    }
    if (LooksBinary(found)) {
        err << "lumikor-cli models: '" << TerminalText(found)
            << "' is a binary file, not a settings file; no models\n";
        return std::string();
    }
    err << "lumikor-cli models: reading '" << TerminalText(found) << "'\n";
    return found;
}

}  // namespace

int RunModels(const ModelsOptions& options, const SettingsPlaces& places, std::ostream& out,
              std::ostream& err) {
    const std::string path = ChooseFile(options, places, err);
    if (path.empty()) return kExitNoSettings;
    std::vector<ModelInfo> models;
    LoadModelList(path, &models);
    if (options.json) {
        nlohmann::ordered_json list = nlohmann::ordered_json::array();
        for (const ModelInfo& model : models) {
            list.push_back({{"name", std::string(model.Name())},
                            {"width", model.width},
                            {"height", model.height},
                            {"resolution", model.resolution},
                            {"resolutionY", model.resolutionY}});
        }
        out << JsonText(list, 2) << '\n';
        return kExitOk;
    }
    for (const ModelInfo& model : models) {
        out << TerminalText(model.Name()) << ": " << model.width << " x " << model.height << " mm, "
            << model.resolution << " dpi\n";
    }
    return kExitOk;
}

void RegisterModelsCommand(CLI::App& app, CliContext& context) {
    auto options = std::make_shared<ModelsOptions>();
    CLI::App* models = app.add_subcommand("models", "List the machine models of a settings file");
    models->add_option("--ini", options->iniPath,
                       "Settings file (default: the first of ./Lumikor.ini, "
                       "$XDG_CONFIG_HOME/lumikor/Lumikor.ini and the installed example)");
    models->add_flag("--json", options->json, "Print the models as a JSON array");
    models->callback([options, &context] {
        context.status =
            RunModels(*options, SettingsPlacesOfThisProcess(), context.out, context.err);
    });
}
