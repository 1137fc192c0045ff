// --cases FILE.json: load cases and combinations for one run, in place of the project's own.
//   {"cases": [{"name": "Dead", "loads": [[joint, fx, fy], ...]}, ...],
//    "combinations": [{"name": "D+I", "factors": {"Dead": 1.0, "Imposed": 1.0}}, ...],
//    "self_weight": "SW"}
// "combinations" and "self_weight" may be left out; "self_weight" adds the members' own weight as a
// last case of that name.
#pragma once

#include <optional>
#include <string>

#include "model/model.h"

namespace varlen::cli {

// Replaces the model's cases and combinations with the file's. On any fault (a file that cannot be read
// or is no such document, a combination naming a case that is not there, a duplicate name, a factor
// that is not a finite number, a self-weight no section states) returns what and where, and the model
// is left as it was.
[[nodiscard]] std::optional<std::string> ApplyCasesFile(const std::string& path, model::Model& model);

// With load cases, what is wrong with them (a case with no loads, a combination naming a case that is
// not there...) on standard error, one problem a line; true when there was anything, and the command
// must stop with exit status 2.
[[nodiscard]] bool SayLoadCaseProblems(const model::Model& model);

} // namespace varlen::cli
