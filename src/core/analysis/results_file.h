// The results file the user reads ("TempGrid.txt" beside the temporary project file): member end
// displacements, member-axis end forces and global end forces, member by member, each number with at
// most 15 significant digits (FormatGeneral15); the JSON carries the full precision.
#pragma once

#include <filesystem>
#include <functional>
#include <string>

#include "analysis/results.h"
#include "io/text_file.h"

namespace varlen::analysis {

struct FileOutcome {
    bool ok = false;
    std::string error;
};

// Writes a file of results through `write` (which finishes the writer) and puts it in place: the old
// file is replaced whole or not at all.
[[nodiscard]] FileOutcome WriteAndCommit(const std::filesystem::path& path,
                                         const std::function<FileOutcome(io::AtomicFileWriter&)>& write);

// The path of the results file of a project or temporary file, the one rule for the desktop and the
// command line: the extension replaced by ".txt" ("TempGrid.sma" gives "TempGrid.txt", "bridge.SMA"
// "bridge.txt"; a name without an extension gains one rather than losing its last letters).
[[nodiscard]] std::filesystem::path ResultsFilePath(const std::filesystem::path& projectPath);

// The three sections, each a heading line and a block per member ended by an empty line (CR LF).
void OutputGlobalDisp(const Results& results, std::string& out, const std::function<void()>& flush);
void OutputLocalForces(const Results& results, std::string& out, const std::function<void()>& flush);
void OutputGlobalForces(const Results& results, std::string& out, const std::function<void()>& flush);

[[nodiscard]] std::string ResultsFileText(const Results& results);
[[nodiscard]] FileOutcome WriteResultsFile(const Results& results, const std::filesystem::path& path);
// The same through a writer the caller commits, when outputs are to be replaced together: written and
// finished (io::AtomicFileWriter::Finish), not yet in place.
[[nodiscard]] FileOutcome WriteResultsFile(const Results& results, io::AtomicFileWriter& writer);

} // namespace varlen::analysis
