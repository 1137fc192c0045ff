// A project file read straight into a Model, without the tables: the command line's fast path for
// trusses of a million joints. It gives the very Model that opening the file and BuildModel would.
#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

#include "model/model.h"
#include "project/sma_format.h"

namespace varlen::model {

struct ModelOutcome {
    std::optional<Model> model;
    project::Diagnostic problem; // when the file cannot be read: which line and what was expected
};

// Refuses exactly what opening the file refuses, with the same words. Co-ordinates come as opening
// the file and BuildModel make them: through the tables' metres, which can move a 17-digit number by a
// unit in the last place.
[[nodiscard]] ModelOutcome ReadModelFile(const std::filesystem::path& path);
[[nodiscard]] ModelOutcome ModelFromText(std::string_view bytes);

} // namespace varlen::model
