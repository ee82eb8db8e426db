#include "cli/models_command.h"

#include <memory>
#include <nlohmann/json.hpp>
#include <vector>

#include "settings/model_list.h"

int RunModels(const ModelsOptions& options, std::ostream& out) {
    std::vector<ModelInfo> models;
    LoadModelList(options.iniPath, &models);
    if (options.json) {
        nlohmann::ordered_json list = nlohmann::ordered_json::array();
        for (const ModelInfo& model : models) {
            list.push_back({{"name", std::string(model.Name())},
                            {"width", model.width},
                            {"height", model.height},
                            {"resolution", model.resolution},
                            {"resolutionY", model.resolutionY}});
        }
        // Names are bytes from the file; invalid UTF-8 is replaced, not fatal.
        out << list.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << '\n';
        return kExitOk;
    }
    for (const ModelInfo& model : models) {
        out << model.Name() << ": " << model.width << " x " << model.height << " mm, "
            << model.resolution << " dpi\n";
    }
    return kExitOk;
}

void RegisterModelsCommand(CLI::App& app, CliContext& context) {
    auto options = std::make_shared<ModelsOptions>();
    CLI::App* models = app.add_subcommand("models", "List the machine models of a settings file");
    models->add_option("--ini", options->iniPath, "Settings file (default ./Lumikor.ini)");
    models->add_flag("--json", options->json, "Print the models as a JSON array");
    models->callback([options, &context] { context.status = RunModels(*options, context.out); });
}
