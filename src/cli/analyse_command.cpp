#include <chrono>
#include <filesystem>
#include <cstdio>
#include <future>
#include <optional>
#include <sys/resource.h>

#include "analysis/analysis.h"
#include "analysis/results_file.h"
#include "analysis/results_json.h"
#include "commands.h"
#include "project/number_text.h"

namespace varlen::cli {
namespace {

using Clock = std::chrono::steady_clock;
double Since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

struct AnalyseArgs {
    std::string project;
    std::optional<std::string> results;
    std::optional<std::string> json;
    int places = 3;
    bool quiet = false;
    bool timings = false;
    analysis::Ordering ordering = analysis::Ordering::Auto;
};

std::optional<AnalyseArgs> ParseArgs(const std::vector<std::string>& args) {
    AnalyseArgs parsed;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](const char* option) -> std::optional<std::string> {
            if (i + 1 >= args.size()) {
                PrintError(std::string(option) + " needs a value");
                return std::nullopt;
            }
            return args[++i];
        };
        if (a == "--results") {
            auto v = value("--results");
            if (!v) return std::nullopt;
            parsed.results = *v;
        } else if (a == "--json") {
            auto v = value("--json");
            if (!v) return std::nullopt;
            parsed.json = *v;
        } else if (a == "--places") {
            auto v = value("--places");
            if (!v) return std::nullopt;
            if (!ParsePlaces(*v, parsed.places)) {
                PrintError("--places takes a whole number of decimal places from 0 to 99, not \"" + *v + "\"");
                return std::nullopt;
            }
        } else if (a == "--ordering") {
            auto v = value("--ordering");
            if (!v) return std::nullopt;
            if (*v == "auto") parsed.ordering = analysis::Ordering::Auto;
            else if (*v == "amd") parsed.ordering = analysis::Ordering::Amd;
            else if (*v == "metis") parsed.ordering = analysis::Ordering::Metis;
            else if (*v == "nesdis") parsed.ordering = analysis::Ordering::NestedDissection;
            else {
                PrintError("--ordering takes auto, amd, metis or nesdis, not \"" + *v + "\"");
                return std::nullopt;
            }
        } else if (a == "--quiet") {
            parsed.quiet = true;
        } else if (a == "--timings") {
            parsed.timings = true;
        } else if (!a.empty() && a[0] == '-' && a != "-") {
            PrintError("unknown option \"" + a + "\" for analyse; see varlen-cli --help");
            return std::nullopt;
        } else if (parsed.project.empty()) {
            parsed.project = a;
        } else {
            PrintError("analyse takes one project file; \"" + a + "\" is one too many");
            return std::nullopt;
        }
    }
    if (parsed.project.empty()) {
        PrintError("analyse needs a project file: varlen-cli analyse PROJECT.sma");
        return std::nullopt;
    }
    return parsed;
}

void PrintTables(const analysis::Results& r, int places, const std::string& resultsPath) {
    using project::ResultFormat;
    std::string out;
    out += "Joint displacements (mm)\n";
    out += " Joint  " + std::string(places + 8, ' ').replace(0, 2, "dx") + "  dy\n";
    for (int j = 1; j <= r.JointCount(); ++j) {
        char number[16];
        std::snprintf(number, sizeof number, "%6d  ", j);
        out += number + ResultFormat(r.Dx(j), places) + "  " + ResultFormat(r.Dy(j), places) + "\n";
    }
    out += "\nMember forces (kN, tension positive)\n";
    out += " Member  Joint i  Joint j  Axial force\n";
    for (int m = 1; m <= r.MemberCount(); ++m) {
        const auto& s = r.Member(m);
        const double n = r.AxialForce(m);
        char head[48];
        std::snprintf(head, sizeof head, "%7d  %7d  %7d  ", m, s.jointI, s.jointJ);
        out += head + ResultFormat(n, places) + (n > 0 ? "  tension" : n < 0 ? "  compression" : "") + "\n";
    }
    out += "\nSupport reactions (kN)\n";
    out += " Joint  Rx" + std::string(places + 8, ' ') + "Ry\n";
    for (int j = 1; j <= r.JointCount(); ++j) {
        if (!r.IsSupported(j)) continue;
        const analysis::Reaction reaction = r.SupportReaction(j);
        char number[16];
        std::snprintf(number, sizeof number, "%6d  ", j);
        out += number + ResultFormat(reaction.rx, places) + "  " + ResultFormat(reaction.ry, places) + "\n";
    }
    out += "\nResults file: " + resultsPath + "\n";
    std::fwrite(out.data(), 1, out.size(), stdout);
}

long PeakMemoryKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace

bool ParsePlaces(const std::string& text, int& places) {
    if (text.empty() || text.size() > 2) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    places = std::stoi(text);
    return true;
}

bool SameFile(const std::string& a, const std::string& b) {
    if (a == "-" || b == "-") return false;
    std::error_code error;
    if (std::filesystem::equivalent(a, b, error)) return true;
    return std::filesystem::weakly_canonical(a, error) == std::filesystem::weakly_canonical(b, error);
}

void PrintError(const std::string& message) { std::fprintf(stderr, "varlen-cli: %s\n", message.c_str()); }

int AnalyseCommand(const std::vector<std::string>& args) {
    const auto parsed = ParseArgs(args);
    if (!parsed) return kExitUsage;
    const auto wholeStart = Clock::now();

    // The project path with its extension replaced; an output must never overwrite the project itself.
    const std::string resultsPath =
        parsed->results ? *parsed->results
                        : std::filesystem::path(parsed->project).replace_extension(".txt").string();
    if (SameFile(resultsPath, parsed->project) || (parsed->json && SameFile(*parsed->json, parsed->project)) ||
        (parsed->json && SameFile(*parsed->json, resultsPath))) {
        PrintError("the outputs would overwrite the project or each other; name them with --results and --json");
        return kExitUsage;
    }

    auto start = Clock::now();
    analysis::InputOutcome read = analysis::InputData(parsed->project, analysis::InputMode::ProjectFile);
    const double readSeconds = Since(start);
    if (!read.input) {
        PrintError("cannot read the project \"" + parsed->project + "\": " + read.problem.ToString());
        return kExitUsage;
    }

    const analysis::AnalysisOutcome outcome = analysis::Analyse(std::move(*read.input), {parsed->ordering});
    if (!outcome.results) {
        std::fprintf(stderr, "%s\n%s\n", analysis::kAnalysisErrorTitle, outcome.Message().c_str());
        return kExitStopped;
    }
    const analysis::Results& results = *outcome.results;

    start = Clock::now();
    const bool jsonToStdout = parsed->json && *parsed->json == "-";
    // The two outputs only read the results: on two cores they are written side by side.
    std::future<analysis::FileOutcome> json;
    if (parsed->json) {
        json = std::async(std::launch::async, [&] {
            return jsonToStdout ? analysis::WriteResultsJsonStream(results, stdout)
                                : analysis::WriteResultsJsonFile(results, *parsed->json);
        });
    }
    const analysis::FileOutcome written = analysis::WriteResultsFile(results, resultsPath);
    const analysis::FileOutcome jsonWritten = json.valid() ? json.get() : analysis::FileOutcome{true, {}};
    const double outputSeconds = Since(start);
    if (!written.ok) {
        PrintError("the results file could not be written: " + written.error);
        return kExitStopped;
    }
    if (!jsonWritten.ok) {
        PrintError("the JSON results could not be written: " + jsonWritten.error);
        return kExitStopped;
    }
    if (!parsed->quiet && !jsonToStdout) PrintTables(results, parsed->places, resultsPath);

    if (parsed->timings) {
        const analysis::PhaseTimes& t = outcome.times;
        std::fprintf(stderr,
                     "timings: joints %d, members %d, free DOF %d, matrix non-zeros %lld\n"
                     "timings: read %.3f s, check %.3f s, assemble %.3f s, order %.3f s, factor %.3f s, "
                     "solve %.3f s, forces %.3f s, output %.3f s, whole %.3f s\n"
                     "timings: smallest relative pivot %.3e, L non-zeros %.3g, factor %.3g flop (%.2f GFLOP/s), "
                     "peak memory %.1f MiB\n",
                     results.JointCount(), results.MemberCount(), outcome.freeDofs, outcome.nonZeros, readSeconds,
                     t.check, t.assemble, t.order, t.factor, t.solve, t.forces, outputSeconds, Since(wholeStart),
                     outcome.smallestRelativePivot, outcome.factorNonZeros, outcome.factorFlops,
                     t.factor > 0 ? outcome.factorFlops / t.factor * 1e-9 : 0.0, static_cast<double>(PeakMemoryKiB()) / 1024.0);
    }
    return kExitOk;
}

} // namespace varlen::cli
