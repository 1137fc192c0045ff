// Argument, message and output helpers shared by the commands.
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "analysis/analysis.h"
#include "analysis/solver_library.h"
#include "cases_file.h"
#include "commands.h"
#include "io/message_text.h"
#include "io/text_file.h"
#include "model/model.h"
#include "project/project_file.h"

namespace varlen::cli {

std::optional<std::string> ReadProject(const std::string& path, int& status) {
    io::FileText file = io::ReadWholeFile(path);
    if (file.bytes) return std::move(file.bytes);
    if (file.outOfMemory) {
        PrintError("not enough memory to read the project \"" + path + "\"");
        status = kExitStopped;
    } else {
        PrintError("cannot read the project \"" + path + "\": " + file.error);
        status = kExitUsage;
    }
    return std::nullopt;
}

std::optional<project::Project> ReadProjectTables(const std::string& path, int& status) {
    std::optional<std::string> bytes = ReadProject(path, status);
    if (!bytes) return std::nullopt;
    project::ReadOutcome read = project::ParseProjectText(*bytes);
    bytes.reset();
    if (!read.project) {
        PrintError("cannot read the project \"" + path + "\": " + read.problem.ToString());
        status = kExitUsage;
    }
    return std::move(read.project);
}

std::optional<analysis::AnalysisOutcome> AnalyseOrSay(model::Model model, bool loadCases, int& status) {
    if (loadCases && SayLoadCaseProblems(model)) {
        status = kExitUsage;
        return std::nullopt;
    }
    analysis::AnalysisOutcome analysed =
        analysis::Analyse(std::move(model), {analysis::Ordering::Auto, {}, loadCases});
    analysis::SettleSolver();
    if (!analysed.results) {
        PrintLines(std::string(analysis::kAnalysisErrorTitle) + "\n" + analysed.Message());
        status = kExitStopped;
        return std::nullopt;
    }
    return analysed;
}

bool ParsePlaces(const std::string& text, int& places) {
    if (text.empty() || text.size() > 2) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    const int read = std::stoi(text);
    if (read > kMaxPlaces) return false;
    places = read;
    return true;
}

// fwrite, not printf("%s"): a NUL read from a file must not cut the message short.
void PrintError(const std::string& message) {
    const std::string line = "varlen-cli: " + io::EscapeForMessage(message) + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
}

std::string EscapeLines(const std::string& message) {
    std::string text;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = message.find('\n', start);
        text += io::EscapeForMessage(std::string_view(message).substr(start, end - start));
        if (end == std::string::npos) break;
        text += '\n';
        start = end + 1;
    }
    return text;
}

void PrintLines(const std::string& message) {
    const std::string text = EscapeLines(message) + "\n";
    std::fwrite(text.data(), 1, text.size(), stderr);
}

namespace {

// The path with symbolic links followed (even to a file that does not exist yet), made absolute and
// normal: two spellings of one file give the same path.
std::filesystem::path OutputIdentity(const std::string& path) {
    std::error_code error;
    std::filesystem::path followed = io::FollowLinks(path);
    std::filesystem::path absolute = std::filesystem::absolute(followed, error);
    if (error) absolute = followed;
    std::filesystem::path canonical = std::filesystem::weakly_canonical(absolute, error);
    return error ? absolute.lexically_normal() : canonical;
}

} // namespace

bool SameFile(const std::string& a, const std::string& b) {
    if (a == "-" || b == "-") return false;
    const std::filesystem::path x = OutputIdentity(a), y = OutputIdentity(b);
    // Many outputs may be thrown away at once.
    if (x == "/dev/null" || y == "/dev/null") return false;
    if (x == y) return true;
    // Hard links, and whatever spelling the identities still differ in.
    std::error_code error;
    return std::filesystem::equivalent(x, y, error) && !error;
}

bool StandardOutputFailed(std::string& why) {
    errno = 0;
    const bool failed = std::fflush(stdout) != 0 || std::ferror(stdout) != 0;
    if (failed) why = errno != 0 ? std::strerror(errno) : "the output was lost";
    return failed;
}

std::string NotRepresentable(double value, const std::string& what) {
    if (std::isfinite(value)) return {};
    return what + (std::isnan(value) ? " could not be worked out (it is not a number)"
                                     : " is too large to be represented");
}

} // namespace varlen::cli
