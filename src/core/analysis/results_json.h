// The results in full precision as JSON, for scripts and checks: mm and kN, axial force positive in
// tension, reactions at every joint with a restrained direction.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>

#include "analysis/load_cases.h"
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

// Several load cases: the first case's results as above, then "cases" and "combinations" (objects of
// such results under each one's name) and "envelope": per member "max_tension" and "max_compression"
// (axial forces, kN, positive in tension) each with the name of the combination that gives it
// ("..._by"), null when none does; per support "max_rx", "min_rx", "max_ry", "min_ry" likewise.
void WriteLoadCasesJson(const Results& first, const LoadCaseResults& all, std::string& out,
                        const std::function<void()>& flush);

// Any of the documents above, streamed to a file (replaced whole or not at all) or an open stream.
using JsonWriter = std::function<void(std::string&, const std::function<void()>&)>;
[[nodiscard]] FileOutcome WriteJsonFile(const JsonWriter& write, const std::filesystem::path& path);
// Written and finished through a writer the caller commits (see WriteResultsFile).
[[nodiscard]] FileOutcome WriteJsonFile(const JsonWriter& write, io::AtomicFileWriter& writer);
[[nodiscard]] FileOutcome WriteJsonStream(const JsonWriter& write, std::FILE* stream);

} // namespace varlen::analysis
