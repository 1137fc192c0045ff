// The project file (".sma"): written by CreateSMA, read back into the tables by ReadProjectFile.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "project/project.h"
#include "project/sma_format.h"

namespace varlen::project {

struct WriteOutcome {
    bool ok = false;
    std::string error; // for the user: which file and why
};

// Writes the whole project to `path`. The file is written beside the target and renamed over it, so a
// failure leaves any old file as it was. Numbers are the numeric values of the cells (joint
// co-ordinates times 1000: the file holds millimetres), texts pass through as bytes.
// A temporary file that is read straight back need not wait for the disk: `synced` false skips the
// fsync (the rename still never leaves a half-written file under the name).
[[nodiscard]] WriteOutcome CreateSMA(const Project& project, const std::filesystem::path& path,
                                     bool synced = true);

// The file's text, for callers that keep it in memory.
[[nodiscard]] std::string ProjectFileText(const Project& project);

struct ReadOutcome {
    std::optional<Project> project; // empty when the file was refused
    Diagnostic problem;             // the line and what was expected, when refused
};

// Reads a whole project file into new tables. Nothing is returned unless the whole file is sound, so
// the caller's project is only ever replaced by a complete one.
[[nodiscard]] ReadOutcome ReadProjectFile(const std::filesystem::path& path);
[[nodiscard]] ReadOutcome ParseProjectText(std::string_view bytes);

} // namespace varlen::project
