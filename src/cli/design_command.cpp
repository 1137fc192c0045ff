// varlen-cli design: analyses a project and runs the three BS 449 checks on the fresh results, printing
// the tables the design window shows.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>

#include "analysis/analysis.h"
#include "cases_file.h"
#include "command_line.h"
#include "commands.h"
#include "design/bs449.h"
#include "io/message_text.h"
#include "io/text_file.h"
#include "model/model.h"
#include "printable_values.h"
#include "project/number_text.h"
#include "project/project_file.h"
#include "report/design_tables.h"

namespace varlen::cli {
namespace {

struct DesignArgs {
    std::string project;
    std::optional<std::string> json;
    double pt = 155; // N/mm², allowable tension stress (Table 19, grade 43)
    double ys = 250; // N/mm², yield stress for the strut curve
    double leg = 4;  // mm, fillet weld leg
    double pw = 215; // N/mm², fillet weld design strength
    int places = 3;
    std::optional<std::string> cases;
};

// A design parameter: one number above 0 and at most `most`. Tiny values that are not normal doubles
// (1e-308, 4e-324) are refused too: dividing by them overflows, and they are no physical quantity.
enum class NumberReading { Read, NotANumber, OutOfRange, TooSmall };
NumberReading ParseInRange(const std::string& text, double most, double& value) {
    const std::optional<double> number = project::ReadWholeNumber(text);
    if (text.find_first_not_of(" \t") == std::string::npos || !number) return NumberReading::NotANumber;
    const double read = *number;
    if (!(read > 0) || read > most) return NumberReading::OutOfRange;
    if (!std::isnormal(read)) return NumberReading::TooSmall;
    value = read;
    return NumberReading::Read;
}

// A table as columns each as wide as its widest cell, two blanks apart. The member numbers carry a
// blank before them, so the "#" over them gets one too.
void AppendGrid(std::string& out, const report::TableRows& table) {
    std::vector<std::vector<std::string>> lines{table.headings};
    std::string number(1, ' ');
    lines.front().front() = number.append(table.headings.front());
    for (const report::Row& row : table.rows) {
        std::vector<std::string>& line = lines.emplace_back();
        for (const report::Cell& cell : row)
            line.push_back(cell.text);
    }
    std::vector<std::size_t> width(table.headings.size(), 0);
    for (const auto& line : lines)
        for (std::size_t c = 0; c < line.size(); ++c)
            width[c] = std::max(width[c], line[c].size());
    for (const auto& line : lines) {
        std::string text;
        for (std::size_t c = 0; c < line.size(); ++c) {
            if (c > 0) text += "  ";
            text += line[c];
            if (c + 1 < line.size()) text.append(width[c] - line[c].size(), ' ');
        }
        out += text + "\n";
    }
}

template <typename Outcome> void AppendStopNote(std::string& out, const Outcome& outcome) {
    if (!outcome.Complete()) out += "(The check stopped here; the reason is on standard error.)\n";
}

std::string DesignTables(const DesignArgs& a, const design::TensionOutcome& tension,
                         const design::CompressionOutcome& compression, const design::WeldOutcome& welds) {
    using project::FormatGeneral;
    std::string out;

    const report::TableRows t = report::TensionRows(tension, a.places);
    out += t.title + "\n";
    out += "pt " + FormatGeneral(a.pt) + " N/mm2; stresses in N/mm2, areas in mm2\n";
    AppendGrid(out, t);
    AppendStopNote(out, tension);

    const report::TableRows c = report::CompressionRows(compression, a.places);
    out += "\n" + c.title + "\n";
    out += "Ys " + FormatGeneral(a.ys) + " N/mm2; stresses in N/mm2\n";
    AppendGrid(out, c);
    AppendStopNote(out, compression);

    const report::TableRows w = report::WeldRows(welds, a.places);
    out += "\n" + w.title + "\n";
    out += "Leg " + FormatGeneral(a.leg) + " mm, pw " + FormatGeneral(a.pw) +
           " N/mm2; weld lengths in metres, needed at each end of the member\n";
    AppendGrid(out, w);
    AppendStopNote(out, welds);
    return out;
}

// Designed for an envelope, a row names the combination its force comes from.
nlohmann::ordered_json Governed(nlohmann::ordered_json row, const std::string& by) {
    if (!by.empty()) row["governing"] = by;
    return row;
}

std::string DesignJson(const design::TensionOutcome& tension, const design::CompressionOutcome& compression,
                       const design::WeldOutcome& welds, const std::optional<std::string>& error) {
    // ordered_json keeps the keys in the order written: tension, compression, welds, error.
    using Json = nlohmann::ordered_json;
    Json doc;
    doc["tension"] = Json::array();
    for (const design::TensionRow& row : tension.rows)
        doc["tension"].push_back(Governed({{"member", row.member},
                                           {"actual_stress", row.actualStress},
                                           {"required_area", row.requiredArea},
                                           {"outcome", report::OutcomeText(row.ok)}},
                                          row.by));
    doc["compression"] = Json::array();
    for (const design::CompressionRow& row : compression.rows)
        doc["compression"].push_back(Governed({{"member", row.member},
                                               {"actual_stress", row.actualStress},
                                               {"allowable_stress", row.allowableStress},
                                               {"slenderness", row.slenderness},
                                               {"outcome", report::OutcomeText(row.ok)}},
                                              row.by));
    doc["welds"] = Json::array();
    for (const design::WeldRow& row : welds.rows)
        doc["welds"].push_back(Governed({{"member", row.member}, {"length", row.length}}, row.by));
    doc["error"] = error ? Json(EscapeLines(*error)) : Json(nullptr);
    return doc.dump(2) + "\n";
}

// True when written; otherwise says why on standard error.
bool WriteJson(const std::string& text, const std::string& target) {
    if (target == "-") {
        if (std::fwrite(text.data(), 1, text.size(), stdout) == text.size() && std::fflush(stdout) == 0)
            return true;
        PrintError("the JSON design could not be written to standard output");
        return false;
    }
    io::AtomicFileWriter writer(target, io::AtomicFileWriter::Durability::NoSync);
    if (writer.IsOpen()) {
        writer.Write(text);
        if (writer.Commit()) return true;
    }
    PrintError("the JSON design could not be written: " + writer.Error());
    return false;
}

int Design(const DesignArgs* parsed) {
    if (parsed->json && SameFile(*parsed->json, parsed->project)) {
        PrintError("the JSON output would overwrite the project \"" + parsed->project +
                   "\"; name another file with --json");
        return kExitUsage;
    }

    int status = kExitOk;
    const std::optional<project::Project> read = ReadProjectTables(parsed->project, status);
    if (!read) return status;
    const project::Project& project = *read;
    model::Model model = model::BuildModel(project);
    if (parsed->cases) {
        if (auto fault = ApplyCasesFile(*parsed->cases, model)) {
            PrintError(*fault);
            return kExitUsage;
        }
    }
    // Several cases or any combination: each member is designed for its envelope.
    const bool loadCases = parsed->cases || model.HasLoadCases();
    const std::optional<analysis::AnalysisOutcome> analysed =
        AnalyseOrSay(std::move(model), loadCases, status);
    if (!analysed) return status;
    const analysis::Results& results = *analysed->results;
    const analysis::LoadCaseResults* envelope = analysed->loadCases ? &*analysed->loadCases : nullptr;

    // The results are fresh, so nothing is stale. The three checks are independent: one that stops does
    // not keep the others from running.
    const design::TensionOutcome tension =
        design::TensionDesign(project, &results, false, parsed->pt, envelope);
    const design::CompressionOutcome compression =
        design::CompressionDesign(project, &results, false, parsed->ys, envelope);
    const design::WeldOutcome welds =
        design::WeldDesign(project, &results, false, parsed->leg, parsed->pw, envelope);
    // One message for every check that stopped: the standard text once, then each check's cause.
    std::optional<std::string> failure;
    if (!tension.Complete() || !compression.Complete() || !welds.Complete())
        failure = design::DesignMessage({tension.fault, compression.fault, welds.fault});

    if (const std::string why = FirstNonFinite(tension, compression, welds); !why.empty()) {
        PrintError("nothing was written: " + why);
        return kExitStopped;
    }

    const bool jsonToStdout = parsed->json && *parsed->json == "-";
    if (!jsonToStdout) {
        const std::string tables = DesignTables(*parsed, tension, compression, welds);
        std::fwrite(tables.data(), 1, tables.size(), stdout);
        // The JSON file is written only when the tables were printed in full.
        if (std::string why; StandardOutputFailed(why)) {
            PrintError("standard output could not be written (" + why + ")" +
                       (parsed->json ? ", so the JSON was not written either" : ""));
            return kExitStopped;
        }
    }
    bool jsonWritten = true;
    if (parsed->json)
        jsonWritten = WriteJson(DesignJson(tension, compression, welds, failure), *parsed->json);
    if (failure) PrintLines(std::string(design::kDesignErrorTitle) + "\n" + *failure);
    return failure || !jsonWritten ? kExitStopped : kExitOk;
}

} // namespace

void AddDesignCommand(CommandLine& line) {
    auto parsed = std::make_shared<DesignArgs>();
    Command& command = line.Add("design",
                                R"(Analyse the project and design its members to BS 449-2: members in tension
against the allowable tension stress pt; members in compression as struts of yield
stress Ys, with the radius of gyration in mm taken from braces in the cross-section's
description, as the catalogue rows carry it: "... (96.129){9.957}"; and the fillet
weld each member needs at each end, in metres, for a leg in mm and a design
strength pw. Values are rendered to N decimal places (0 to 15, default 3); --json
writes the rows in full precision (to FILE, or "-" for standard output, which then
carries the JSON alone). A check that cannot go on (a strut whose section gives no
radius of gyration, for instance) keeps the rows before that member and names it.)",
                                "project file");
    command.AddInput("PROJECT.sma", parsed->project, "the project file to design",
                     "design needs a project file: varlen-cli design PROJECT.sma");
    struct NumberOption {
        const char* name;
        double* value;
        const char* what;
        double most; // beyond any steel (stresses) or any fillet weld (leg)
        const char* unit;
        const char* help;
    };
    const NumberOption numbers[] = {
        {"--pt", &parsed->pt, "an allowable tension stress", 2000, "N/mm2",
         "allowable tension stress in N/mm2 (default 155)"},
        {"--ys", &parsed->ys, "a yield stress", 2000, "N/mm2", "yield stress in N/mm2 (default 250)"},
        {"--leg", &parsed->leg, "a weld leg", 100, "mm", "fillet weld leg in mm (default 4)"},
        {"--pw", &parsed->pw, "a weld design strength", 2000, "N/mm2",
         "fillet weld design strength in N/mm2 (default 215)"},
    };
    for (const NumberOption& n : numbers)
        command.AddValue(n.name, "N", n.help, [n](const std::string& value) {
            const NumberReading reading = ParseInRange(value, n.most, *n.value);
            if (reading == NumberReading::Read) return;
            char most[32];
            std::snprintf(most, sizeof most, "%g", n.most);
            throw UsageError(std::string(n.name) + " takes " + n.what + " in " + n.unit +
                             ", a number above 0 and at most " + most + ", not \"" + value + "\"" +
                             (reading == NumberReading::TooSmall ? " (too small to compute with)" : ""));
        });
    command.AddValue("--places", "N", "decimal places of the printed values, 0 to 15 (default 3)",
                     [parsed](const std::string& value) {
                         if (!ParsePlaces(value, parsed->places))
                             throw UsageError("--places takes a whole number of decimal places from 0 to " +
                                              std::to_string(kMaxPlaces) + ", not \"" + value + "\"");
                     });
    command.AddValue("--json", "FILE|-", "the rows in full precision as JSON, to FILE or standard output",
                     [parsed](const std::string& value) { parsed->json = value; });
    command.AddValue(
        "--cases", "FILE.json",
        "load cases and combinations for this run, as for analyse; each member is designed for its "
        "greatest tension and compression over the combinations",
        [parsed](const std::string& value) { parsed->cases = value; });
    command.memory = "design the members";
    command.stopped = "the design";
    command.run = [parsed] { return Design(parsed.get()); };
    command.analyses = true;
}

} // namespace varlen::cli
