// varlen-cli design: analyses a project and runs the three BS 449 checks on the fresh results, printing
// the tables the design window shows.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <nlohmann/json.hpp>
#include <optional>

#include "analysis/analysis.h"
#include "commands.h"
#include "printable_values.h"
#include "design/bs449.h"
#include "io/message_text.h"
#include "io/text_file.h"
#include "project/number_text.h"
#include "project/project_file.h"

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
};

// A design parameter: one number above 0 and at most `most`. Tiny values that are not normal doubles
// (1e-308, 4e-324) are refused too: dividing by them overflows, and they are no physical quantity.
enum class NumberReading { Read, NotANumber, OutOfRange, TooSmall };
NumberReading ParseInRange(const std::string& text, double most, double& value) {
    if (text.find_first_not_of(" \t") == std::string::npos || !project::IsWholeNumber(text))
        return NumberReading::NotANumber;
    const double read = project::ReadNumber(text);
    if (!std::isfinite(read)) return NumberReading::NotANumber;
    if (!(read > 0) || read > most) return NumberReading::OutOfRange;
    if (!std::isnormal(read)) return NumberReading::TooSmall;
    value = read;
    return NumberReading::Read;
}

std::optional<DesignArgs> ParseArgs(const std::vector<std::string>& args) {
    DesignArgs parsed;
    struct NumberOption {
        const char* name;
        double* value;
        const char* what;
        double most;   // beyond any steel (stresses) or any fillet weld (leg)
        const char* unit;
    };
    const NumberOption numbers[] = {
        {"--pt", &parsed.pt, "an allowable tension stress", 2000, "N/mm2"},
        {"--ys", &parsed.ys, "a yield stress", 2000, "N/mm2"},
        {"--leg", &parsed.leg, "a weld leg", 100, "mm"},
        {"--pw", &parsed.pw, "a weld design strength", 2000, "N/mm2"},
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](const std::string& option) -> std::optional<std::string> {
            if (i + 1 >= args.size()) {
                PrintError(option + " needs a value");
                return std::nullopt;
            }
            return args[++i];
        };
        const NumberOption* number = nullptr;
        for (const NumberOption& n : numbers)
            if (a == n.name) number = &n;
        if (number != nullptr) {
            auto v = value(a);
            if (!v) return std::nullopt;
            const NumberReading reading = ParseInRange(*v, number->most, *number->value);
            if (reading != NumberReading::Read) {
                char most[32];
                std::snprintf(most, sizeof most, "%g", number->most);
                PrintError(a + " takes " + number->what + " in " + number->unit + ", a number above 0 and at most " +
                           most + ", not \"" + *v + "\"" +
                           (reading == NumberReading::TooSmall ? " (too small to compute with)" : ""));
                return std::nullopt;
            }
        } else if (a == "--json") {
            auto v = value(a);
            if (!v) return std::nullopt;
            parsed.json = *v;
        } else if (a == "--places") {
            auto v = value(a);
            if (!v) return std::nullopt;
            if (!ParsePlaces(*v, parsed.places)) {
                PrintError("--places takes a whole number of decimal places from 0 to " +
                           std::to_string(kMaxPlaces) + ", not \"" + *v + "\"");
                return std::nullopt;
            }
        } else if (!a.empty() && a[0] == '-' && a != "-") {
            PrintError("unknown option \"" + a + "\" for design; see varlen-cli --help");
            return std::nullopt;
        } else if (parsed.project.empty()) {
            parsed.project = a;
        } else {
            PrintError("design takes one project file; \"" + a + "\" is one too many");
            return std::nullopt;
        }
    }
    if (parsed.project.empty()) {
        PrintError("design needs a project file: varlen-cli design PROJECT.sma");
        return std::nullopt;
    }
    return parsed;
}

// A grid of text columns, each as wide as its widest cell, two blanks apart.
class TextGrid {
public:
    explicit TextGrid(std::vector<std::string> headings) : m_rows{std::move(headings)} {}
    void Add(std::vector<std::string> cells) { m_rows.push_back(std::move(cells)); }

    void AppendTo(std::string& out) const {
        std::vector<std::size_t> width(m_rows.front().size(), 0);
        for (const auto& row : m_rows)
            for (std::size_t c = 0; c < row.size(); ++c)
                width[c] = std::max(width[c], row[c].size());
        for (const auto& row : m_rows) {
            std::string line;
            for (std::size_t c = 0; c < row.size(); ++c) {
                if (c > 0) line += "  ";
                line += row[c];
                if (c + 1 < row.size()) line.append(width[c] - row[c].size(), ' ');
            }
            out += line + "\n";
        }
    }

private:
    std::vector<std::vector<std::string>> m_rows;
};

std::string MemberText(int member) { return " " + std::to_string(member); }
const char* OutcomeText(bool ok) { return ok ? "OK" : "Failed"; }

template <typename Outcome> void AppendStopNote(std::string& out, const Outcome& outcome) {
    if (outcome.failure) out += "(The check stopped here; the reason is on standard error.)\n";
}

std::string DesignTables(const DesignArgs& a, const design::TensionOutcome& tension,
                         const design::CompressionOutcome& compression, const design::WeldOutcome& welds) {
    using project::FormatGeneral;
    const auto value = [&](double v) { return project::ResultFormat(v, a.places); };
    std::string out;

    out += "Design of Tension Members\n";
    out += "pt " + FormatGeneral(a.pt) + " N/mm2; stresses in N/mm2, areas in mm2\n";
    TextGrid t({" #", "Actual Stress", "Required Area", "Outcome"});
    for (const design::TensionRow& row : tension.rows)
        t.Add(
            {MemberText(row.member), value(row.actualStress), value(row.requiredArea), OutcomeText(row.ok)});
    t.AppendTo(out);
    AppendStopNote(out, tension);

    out += "\nDesign of Compression Members\n";
    out += "Ys " + FormatGeneral(a.ys) + " N/mm2; stresses in N/mm2\n";
    TextGrid c({" #", "Actual Stress", "Allow. Stress", "Outcome"});
    for (const design::CompressionRow& row : compression.rows)
        c.Add({MemberText(row.member), value(row.actualStress), value(row.allowableStress),
               OutcomeText(row.ok)});
    c.AppendTo(out);
    AppendStopNote(out, compression);

    out += "\nFillet Weld Design\n";
    out += "Leg " + FormatGeneral(a.leg) + " mm, pw " + FormatGeneral(a.pw) +
           " N/mm2; weld lengths in metres, needed at each end of the member\n";
    TextGrid w({" #", "Required at Both Ends"});
    for (const design::WeldRow& row : welds.rows)
        w.Add({MemberText(row.member), value(row.length)});
    w.AppendTo(out);
    AppendStopNote(out, welds);
    return out;
}

// One message for every check that stopped: the standard text once, then each check's cause line.
std::optional<std::string> CombinedFailure(const std::vector<const std::optional<std::string>*>& failures) {
    std::optional<std::string> combined;
    const std::size_t standard = std::strlen(design::kDesignErrorText);
    for (const std::optional<std::string>* failure : failures) {
        if (!*failure) continue;
        if (!combined) combined = design::kDesignErrorText;
        if ((*failure)->size() > standard) *combined += (*failure)->substr(standard); // "\n" and the cause
    }
    return combined;
}

std::string DesignJson(const design::TensionOutcome& tension, const design::CompressionOutcome& compression,
                       const design::WeldOutcome& welds, const std::optional<std::string>& error) {
    // ordered_json keeps the keys in the order written: tension, compression, welds, error.
    using Json = nlohmann::ordered_json;
    Json doc;
    doc["tension"] = Json::array();
    for (const design::TensionRow& row : tension.rows)
        doc["tension"].push_back({{"member", row.member},
                                  {"actual_stress", row.actualStress},
                                  {"required_area", row.requiredArea},
                                  {"outcome", OutcomeText(row.ok)}});
    doc["compression"] = Json::array();
    for (const design::CompressionRow& row : compression.rows)
        doc["compression"].push_back({{"member", row.member},
                                      {"actual_stress", row.actualStress},
                                      {"allowable_stress", row.allowableStress},
                                      {"slenderness", row.slenderness},
                                      {"outcome", OutcomeText(row.ok)}});
    doc["welds"] = Json::array();
    for (const design::WeldRow& row : welds.rows)
        doc["welds"].push_back({{"member", row.member}, {"length", row.length}});
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

} // namespace

int DesignCommand(const std::vector<std::string>& args) {
    const auto parsed = ParseArgs(args);
    if (!parsed) return kExitUsage;
    if (parsed->json && SameFile(*parsed->json, parsed->project)) {
        PrintError("the JSON output would overwrite the project \"" + parsed->project +
                   "\"; name another file with --json");
        return kExitUsage;
    }

    int status = kExitOk;
    std::optional<std::string> bytes = ReadProject(parsed->project, status);
    if (!bytes) return status;
    const project::ReadOutcome read = project::ParseProjectText(*bytes);
    bytes.reset();
    if (!read.project) {
        PrintError("cannot read the project \"" + parsed->project + "\": " + read.problem.ToString());
        return kExitUsage;
    }
    const project::Project& project = *read.project;

    const analysis::AnalysisOutcome analysed = analysis::Analyse(analysis::BuildAnalysisInput(project));
    if (!analysed.results) {
        PrintLines(std::string(analysis::kAnalysisErrorTitle) + "\n" + analysed.Message());
        return kExitStopped;
    }
    const analysis::Results& results = *analysed.results;

    // The results are fresh, so nothing is stale. The three checks are independent: one that stops does
    // not keep the others from running.
    const design::TensionOutcome tension = design::Design(project, &results, false, parsed->pt);
    const design::CompressionOutcome compression =
        design::CompressionDesign(project, &results, false, parsed->ys);
    const design::WeldOutcome welds = design::WeldDesign(project, &results, false, parsed->leg, parsed->pw);
    const std::optional<std::string> failure =
        CombinedFailure({&tension.failure, &compression.failure, &welds.failure});

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

} // namespace varlen::cli
