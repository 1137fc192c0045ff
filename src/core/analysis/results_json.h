// The results in full precision as JSON, for scripts and checks: mm and kN, axial force positive in
// tension, reactions at every joint with a restrained direction.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>

#include "analysis/results.h"
#include "analysis/results_file.h"

namespace varlen::analysis {

// Streams the document: a DOM of a million-member result would take gigabytes. Numbers are the
// shortest text that reads back to the same double.
void WriteResultsJson(const Results& results, std::string& out, const std::function<void()>& flush);
[[nodiscard]] std::string ResultsJsonText(const Results& results);
[[nodiscard]] FileOutcome WriteResultsJsonFile(const Results& results, const std::filesystem::path& path);
// To an open stream such as stdout.
[[nodiscard]] FileOutcome WriteResultsJsonStream(const Results& results, std::FILE* stream);

} // namespace varlen::analysis
