// The commands of varlen-cli. Each returns the process exit status: 0 done, 1 the work stopped (the
// message says why), 2 wrong usage or an input file that cannot be read.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "analysis/analysis.h"
#include "analysis/results.h"
#include "model/model.h"
#include "project/project.h"

namespace varlen::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitStopped = 1;
inline constexpr int kExitUsage = 2;

// Decimal places of the rendered tables: a double carries 15 to 17 significant digits, so more than 15
// places would print digits that mean nothing.
inline constexpr int kMaxPlaces = 15;

class CommandLine;
// Each declares its command, options and help on the command line.
void AddAnalyseCommand(CommandLine& line);
void AddDesignCommand(CommandLine& line);
void AddDxfExportCommand(CommandLine& line);
void AddDxfImportCommand(CommandLine& line);
void AddReportCommand(CommandLine& line);

// The bytes of the project file; when it cannot be read, says why and sets status: 2 for a file that
// cannot be used (missing, a folder, a device, a pipe, over 2 GiB), 1 for lack of memory.
[[nodiscard]] std::optional<std::string> ReadProject(const std::string& path, int& status);
// The project file read and parsed whole; when it cannot be, says why and sets status as ReadProject
// does (2 for a damaged file).
[[nodiscard]] std::optional<project::Project> ReadProjectTables(const std::string& path, int& status);
// The model analysed, for the commands that need results: every load case and the envelope with it when
// `loadCases` (the model's cases checked first: what is wrong said one a line, status 2). When the
// analysis stops, its message goes to standard error and status is 1.
[[nodiscard]] std::optional<analysis::AnalysisOutcome> AnalyseOrSay(model::Model model, bool loadCases,
                                                                    int& status);

// Shared argument helpers.
[[nodiscard]] bool ParsePlaces(const std::string& text, int& places);
// "varlen-cli: " and the message on standard error, control characters and stray bytes escaped.
void PrintError(const std::string& message);
// The message with each line escaped as PrintError does and the line ends kept. The project file is
// read line by line, so a text quoted from it never holds a line end of its own.
[[nodiscard]] std::string EscapeLines(const std::string& message);
// A message of several lines (a title, the standard text, the causes) on standard error: each line
// escaped as PrintError does, the line ends kept.
void PrintLines(const std::string& message);
// Two names for one file (spellings, symbolic or hard links), so that writing one would destroy the
// other. "-" (standard output) and /dev/null are never the same file as anything.
[[nodiscard]] bool SameFile(const std::string& a, const std::string& b);
// Flushes standard output; true when anything written to it since the start was lost, with the reason
// in `why`.
[[nodiscard]] bool StandardOutputFailed(std::string& why);
// "the X of Y is too large to be represented" when value is not finite; empty when it is.
[[nodiscard]] std::string NotRepresentable(double value, const std::string& what);

} // namespace varlen::cli
