#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <sys/resource.h>

#include "analysis/analysis.h"
#include "analysis/results_file.h"
#include "analysis/results_json.h"
#include "analysis/solver_library.h"
#include "cases_file.h"
#include "command_line.h"
#include "commands.h"
#include "io/helper_thread.h"
#include "io/message_text.h"
#include "io/text_file.h"
#include "model/model_file.h"
#include "printable_values.h"
#include "project/number_text.h"
#include "report/results_tables.h"

namespace varlen::cli {
namespace {

using Clock = std::chrono::steady_clock;
double Since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

struct AnalyseArgs {
    std::string project;
    std::optional<std::string> results;
    std::optional<std::string> json;
    int places = 3;
    bool quiet = false;
    bool timings = false;
    analysis::Ordering ordering = analysis::Ordering::Auto;
    std::optional<std::string> cases;
};

analysis::Ordering ReadOrdering(const std::string& text) {
    if (text == "auto") return analysis::Ordering::Auto;
    if (text == "amd") return analysis::Ordering::Amd;
    if (text == "metis") return analysis::Ordering::Metis;
    if (text == "nesdis") return analysis::Ordering::NestedDissection;
    throw UsageError("--ordering takes auto, amd, metis or nesdis, not \"" + text + "\"");
}

// A table with its leading number columns right-aligned to fixed widths ("%6d") and the values after
// them: each heading over a value is as wide as a rendered value, cells are written as they are and an
// empty last cell (a member without force) is left out.
void AppendTable(std::string& out, const report::TableRows& table, std::initializer_list<int> numberWidths,
                 int places) {
    const std::size_t valueWidth = project::ResultFormat(0.0, places).size();
    const auto widths = std::data(numberWidths);
    const std::size_t numbers = numberWidths.size();
    const auto line = [&](const std::vector<std::string>& cells, bool heading) {
        std::size_t count = cells.size();
        while (count > 0 && cells[count - 1].empty())
            --count;
        std::string text;
        for (std::size_t c = 0; c < count; ++c) {
            if (c > 0) text += "  ";
            if (c < numbers && cells[c].size() < static_cast<std::size_t>(widths[c]))
                text.append(static_cast<std::size_t>(widths[c]) - cells[c].size(), ' ');
            text += cells[c];
            if (heading && c >= numbers && c + 1 < count && cells[c].size() < valueWidth)
                text.append(valueWidth - cells[c].size(), ' ');
        }
        out += text + "\n";
    };
    out += table.title + "\n";
    line(table.headings, true);
    std::vector<std::string> cells;
    for (const report::Row& row : table.rows) {
        cells.clear();
        for (const report::Cell& cell : row)
            cells.push_back(cell.text);
        line(cells, false);
    }
}

// Each member's greatest tension and compression over the combinations, and which gives it.
void AppendEnvelope(std::string& out, const analysis::LoadCaseResults& all, int places) {
    const std::size_t valueWidth = project::ResultFormat(0.0, places).size();
    std::size_t nameWidth = 2;
    for (const analysis::NamedResults& c : all.Combined())
        nameWidth = std::max(nameWidth, io::EscapeForMessage(c.name).size());
    auto cell = [&](std::string text, std::size_t width) {
        if (text.size() < width) text.append(width - text.size(), ' ');
        return text;
    };
    out += std::string("Envelope of member forces over the ") +
           (all.combinations.empty() ? "load cases" : "combinations") + " (kN, tension positive)\n";
    out += cell("Member", 7) + "  " + cell("Max tension", valueWidth) + "  " + cell("by", nameWidth) + "  " +
           "Max compression  by\n";
    for (std::size_t m = 0; m < all.members.size(); ++m) {
        const analysis::MemberEnvelope& e = all.members[m];
        std::string number = std::to_string(m + 1);
        out += std::string(7 - std::min<std::size_t>(7, number.size()), ' ') + number + "  ";
        out += cell(e.tension.by ? project::ResultFormat(e.tension.value, places) : "-", valueWidth) + "  ";
        out += cell(io::EscapeForMessage(all.NameOf(e.tension)), nameWidth) + "  ";
        out += cell(e.compression.by ? project::ResultFormat(e.compression.value, places) : "-",
                    std::max(valueWidth, std::size_t{15})) +
               "  ";
        out += io::EscapeForMessage(all.NameOf(e.compression));
        while (!out.empty() && out.back() == ' ')
            out.pop_back();
        out += "\n";
    }
}

void PrintTables(const analysis::Results& r, const analysis::LoadCaseResults* all, int places,
                 const std::string& resultsPath) {
    std::string out;
    if (all) out += "Load case 1: " + io::EscapeForMessage(all->cases.front().name) + "\n\n";
    AppendTable(out, report::JointDisplacementRows(r, places), {6}, places);
    out += "\n";
    AppendTable(out, report::MemberForceRows(r, places), {7, 7, 7}, places);
    out += "\n";
    AppendTable(out, report::SupportReactionRows(r, places), {6}, places);
    if (all) {
        out += "\n";
        AppendEnvelope(out, *all, places);
    }
    out += "\nResults file: " + io::EscapeForMessage(resultsPath) + "\n";
    std::fwrite(out.data(), 1, out.size(), stdout);
}

long PeakMemoryKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

int Analyse(const AnalyseArgs* parsed) {
    const auto wholeStart = Clock::now();
    int status = kExitOk;

    // The project path with its extension replaced; no output may overwrite the project or another output.
    const std::string resultsPath =
        parsed->results ? *parsed->results : analysis::ResultsFilePath(parsed->project).string();
    const bool jsonToStdout = parsed->json && *parsed->json == "-";
    if (SameFile(resultsPath, parsed->project) ||
        (parsed->json && SameFile(*parsed->json, parsed->project))) {
        PrintError("an output would overwrite the project \"" + parsed->project +
                   "\"; name the outputs with --results and --json");
        return kExitUsage;
    }
    if (parsed->json && SameFile(*parsed->json, resultsPath)) {
        PrintError("the results file and the JSON would both be written to \"" + resultsPath +
                   "\"; name another file with --results or --json");
        return kExitUsage;
    }

    auto start = Clock::now();
    std::optional<std::string> bytes = ReadProject(parsed->project, status);
    if (!bytes) return status;
    model::ModelOutcome read = model::ModelFromText(*bytes);
    bytes.reset(); // as large as the file; the analysis needs the room
    const double readSeconds = Since(start);
    if (!read.model) {
        PrintError("cannot read the project \"" + parsed->project + "\": " + read.problem.ToString());
        return kExitUsage;
    }

    if (parsed->cases) {
        if (auto fault = ApplyCasesFile(*parsed->cases, *read.model)) {
            PrintError(*fault);
            return kExitUsage;
        }
    }
    // Several cases or any combination: every case from the one factorisation, and the envelope.
    const bool loadCases = parsed->cases || read.model->HasLoadCases();
    if (loadCases && SayLoadCaseProblems(*read.model)) return kExitUsage;

    // The solver finishes loading while the truss is checked and assembled.
    const analysis::AnalysisOutcome outcome =
        analysis::Analyse(std::move(*read.model), {parsed->ordering, {}, loadCases});
    analysis::SettleSolver();
    if (!outcome.results) {
        PrintLines(std::string(analysis::kAnalysisErrorTitle) + "\n" + outcome.Message());
        return kExitStopped;
    }
    const analysis::Results& results = *outcome.results;
    if (const std::string why = FirstNonFinite(results); !why.empty()) {
        PrintError("nothing was written: " + why);
        return kExitStopped;
    }

    start = Clock::now();
    // Each output is written in full beside its target, and only when all of them (and standard output)
    // have been are they renamed into place: they are replaced together or not at all.
    io::AtomicFileWriter resultsFile(resultsPath, io::AtomicFileWriter::Durability::NoSync);
    if (!resultsFile.IsOpen()) {
        PrintError("the results file could not be written: " + resultsFile.Error());
        return kExitStopped;
    }
    std::optional<io::AtomicFileWriter> jsonFile;
    if (parsed->json && !jsonToStdout) {
        jsonFile.emplace(*parsed->json, io::AtomicFileWriter::Durability::NoSync);
        if (!jsonFile->IsOpen()) {
            PrintError("the JSON results could not be written: " + jsonFile->Error());
            return kExitStopped;
        }
    }
    // The two files only read the results: on two cores they are written side by side. The JSON for
    // standard output waits for the results file, as it cannot be taken back once printed.
    const analysis::JsonWriter writeJson = [&](std::string& out, const std::function<void()>& flush) {
        if (outcome.loadCases)
            analysis::WriteLoadCasesJson(results, *outcome.loadCases, out, flush);
        else
            analysis::WriteResultsJson(results, out, flush);
    };
    analysis::FileOutcome jsonWritten{true, {}};
    std::optional<io::HelperThread> jsonWriter;
    if (jsonFile) jsonWriter.emplace([&] { jsonWritten = analysis::WriteJsonFile(writeJson, *jsonFile); });
    const analysis::FileOutcome written = analysis::WriteResultsFile(results, resultsFile);
    if (jsonWriter) jsonWriter->Join();
    if (!written.ok) {
        PrintError("the results file could not be written, so no output was replaced: " + written.error);
        return kExitStopped;
    }
    if (!jsonWritten.ok) {
        PrintError("the JSON results could not be written, so no output was replaced: " + jsonWritten.error);
        return kExitStopped;
    }
    if (jsonToStdout) {
        if (!analysis::WriteJsonStream(writeJson, stdout).ok) {
            PrintError(
                "the JSON results could not be written to standard output, so the results file was not "
                "replaced");
            return kExitStopped;
        }
    } else if (!parsed->quiet) {
        PrintTables(results, outcome.loadCases ? &*outcome.loadCases : nullptr, parsed->places, resultsPath);
    }
    if (std::string why; StandardOutputFailed(why)) {
        PrintError("standard output could not be written (" + why + "), so no output file was replaced");
        return kExitStopped;
    }
    if (!resultsFile.Commit()) {
        PrintError("the results file could not be written: " + resultsFile.Error());
        return kExitStopped;
    }
    if (jsonFile && !jsonFile->Commit()) {
        PrintError("the JSON results could not be written (the results file was): " + jsonFile->Error());
        return kExitStopped;
    }
    const double outputSeconds = Since(start);

    if (parsed->timings) {
        const analysis::PhaseTimes& t = outcome.times;
        std::fprintf(
            stderr,
            "timings: joints %d, members %d, free DOF %d, matrix non-zeros %lld\n"
            "timings: read %.3f s, check %.3f s, assemble %.3f s, order %.3f s, factor %.3f s, "
            "solve %.3f s, forces %.3f s, output %.3f s, whole %.3f s\n"
            "timings: smallest relative pivot %.3e, L non-zeros %.3g, factor %.3g flop (%.2f GFLOP/s), "
            "peak memory %.1f MiB\n",
            results.JointCount(), results.MemberCount(), outcome.freeDofs, outcome.nonZeros, readSeconds,
            t.check, t.assemble, t.order, t.factor, t.solve, t.forces, outputSeconds, Since(wholeStart),
            outcome.smallestRelativePivot, outcome.factorNonZeros, outcome.factorFlops,
            t.factor > 0 ? outcome.factorFlops / t.factor * 1e-9 : 0.0,
            static_cast<double>(PeakMemoryKiB()) / 1024.0);
    }
    return kExitOk;
}

} // namespace

void AddAnalyseCommand(CommandLine& line) {
    auto parsed = std::make_shared<AnalyseArgs>();
    Command& command =
        line.Add("analyse",
                 R"(Analyse a plane truss project by the stiffness method. Writes the results file
(default: PROJECT.txt beside the project), prints joint displacements, member
forces and support reactions rendered to N decimal places (0 to 15, default 3), and with
--json the full-precision results as JSON (to FILE, or "-" for standard output,
which then carries the JSON alone). The outputs are replaced together or not at
all, and none may name the project or another output.)",
                 "project file", {"analyze"});
    command.AddInput("PROJECT.sma", parsed->project, "the project file to analyse",
                     "analyse needs a project file: varlen-cli analyse PROJECT.sma");
    command.AddValue("--results", "FILE", "the results file (default: the project's path ending in .txt)",
                     [parsed](const std::string& value) { parsed->results = value; });
    command.AddValue("--json", "FILE|-", "the full-precision results as JSON, to FILE or standard output",
                     [parsed](const std::string& value) { parsed->json = value; });
    command.AddValue("--places", "N", "decimal places of the printed values, 0 to 15 (default 3)",
                     [parsed](const std::string& value) {
                         if (!ParsePlaces(value, parsed->places))
                             throw UsageError("--places takes a whole number of decimal places from 0 to " +
                                              std::to_string(kMaxPlaces) + ", not \"" + value + "\"");
                     });
    command.AddValue(
        "--cases", "FILE.json",
        "load cases and combinations for this run, in place of the project's: {\"cases\": [{\"name\": "
        "..., \"loads\": [[joint, fx, fy], ...]}], \"combinations\": [{\"name\": ..., \"factors\": "
        "{case: factor}}], \"self_weight\": name}",
        [parsed](const std::string& value) { parsed->cases = value; });
    command.AddFlag("--quiet", parsed->quiet, "print nothing on success");
    command.AddFlag("--timings", parsed->timings, "report the phases and the peak memory on standard error");
    command.AddValue("--ordering", "auto|amd|metis|nesdis", "the fill-reducing ordering (default auto)",
                     [parsed](const std::string& value) { parsed->ordering = ReadOrdering(value); });
    command.memory = "analyse the project";
    command.stopped = "the analysis";
    command.run = [parsed] { return Analyse(parsed.get()); };
    command.analyses = true;
}

} // namespace varlen::cli
