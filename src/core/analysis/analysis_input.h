// Forwarding names for the command line until it reads the Model itself.
#pragma once

#include <filesystem>
#include <string_view>

#include "model/model.h"
#include "model/model_file.h"

namespace varlen::analysis {

using AnalysisInput = model::Model;

enum class InputMode { ProjectFile };

struct InputOutcome {
    std::optional<model::Model> input;
    project::Diagnostic problem;
};

[[nodiscard]] inline InputOutcome InputDataFromText(std::string_view bytes, InputMode) {
    model::ModelOutcome read = model::ModelFromText(bytes);
    return {std::move(read.model), std::move(read.problem)};
}
[[nodiscard]] inline AnalysisInput BuildAnalysisInput(const project::Project& project) {
    return model::BuildModel(project);
}

} // namespace varlen::analysis
