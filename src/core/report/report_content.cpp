#include "report/report_content.h"

#include <algorithm>
#include <cmath>

#include "project/number_text.h"
#include "report/summary_rows.h"

namespace varlen::report {
namespace {

// "Dead", "Imposed" and "Wind", each in quotes.
std::string QuotedList(const std::vector<std::string>& names) {
    std::string text;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0) text += i + 1 == names.size() ? " and " : ", ";
        text += "\"" + names[i] + "\"";
    }
    return text;
}

// Over the combinations, or with none defined over the cases themselves: the column says which.
const char* CombinedWord(const analysis::LoadCaseResults& loadCases) {
    return loadCases.combinations.empty() ? "Load case" : "Combination";
}

Cell ExtremeValue(const analysis::Extreme& extreme, int places) {
    return extreme.by > 0 ? SummaryNumberCell(extreme.value, places) : Cell{};
}

} // namespace

std::string OneLineText(std::string_view text) {
    std::string out(text);
    std::replace_if(
        out.begin(), out.end(), [](char c) { return c == '\t' || c == '\r' || c == '\n'; }, ' ');
    return out;
}

int ReportedMembers(const project::Project& project, const analysis::Results& results) {
    return std::min(project.members.EntryCount(), results.MemberCount());
}

std::string MemberHeading(int member) {
    return "Member  " + std::to_string(member);
}

TableRows SupportRows(const project::Project& project, const analysis::Results& results, int places) {
    TableRows joints = SummaryJointRows(project, &results, places);
    TableRows table{"Support reactions", {"#", "Rx (kN)", "Ry (kN)"}, {}};
    const int analysed = std::min(results.JointCount(), static_cast<int>(joints.rows.size()));
    for (int j = 1; j <= analysed; ++j) {
        if (!results.IsSupported(j)) continue;
        Row& row = joints.rows[static_cast<std::size_t>(j - 1)];
        table.rows.push_back({std::move(row[0]), std::move(row[3]), std::move(row[4])});
    }
    return table;
}

bool ReportsLoadCases(const analysis::LoadCaseResults* loadCases) {
    return loadCases && (loadCases->cases.size() > 1 || !loadCases->combinations.empty());
}

std::string UnknownLoadCase(const project::Project& project, std::string_view name) {
    if (name.empty()) return {};
    std::vector<std::string> cases, combinations;
    for (int c = 1; c <= project.CaseCount(); ++c)
        cases.push_back(project.CaseName(c));
    for (const project::Combination& combination : project.combinations)
        combinations.push_back(combination.name);
    if (std::find(cases.begin(), cases.end(), name) != cases.end() ||
        std::find(combinations.begin(), combinations.end(), name) != combinations.end())
        return {};
    std::string text = "no load case or combination is named \"" + std::string(name) + "\"; ";
    text += cases.size() == 1 ? "the only load case is " : "the load cases are ";
    text += QuotedList(cases);
    if (!combinations.empty())
        text += (combinations.size() == 1 ? ", the combination " : ", the combinations ") +
                QuotedList(combinations);
    return text;
}

ShownCase ChooseShownCase(const project::Project& project, const analysis::Results* results,
                          const analysis::LoadCaseResults* loadCases, std::string_view name) {
    const auto missing = [&] {
        std::string problem = UnknownLoadCase(project, name);
        // A name the project has, but results worked out without load cases: the caller's slip, said plainly.
        if (problem.empty())
            problem = "the results of \"" + std::string(name) + "\" were not worked out for the report";
        return ShownCase{nullptr, false, {}, std::move(problem)};
    };
    if (!ReportsLoadCases(loadCases)) {
        if (!name.empty() && name != project.firstCaseName) return missing();
        // Among load cases the first case's results still say whose they are.
        return {results, false, project.HasLoadCases() ? project.firstCaseName : std::string(), {}};
    }
    if (name.empty()) return {&loadCases->cases.front().results, false, loadCases->cases.front().name, {}};
    for (const analysis::NamedResults& c : loadCases->cases)
        if (c.name == name) return {&c.results, false, c.name, {}};
    for (const analysis::NamedResults& c : loadCases->combinations)
        if (c.name == name) return {&c.results, true, c.name, {}};
    return missing();
}

TableRows CombinationRows(const project::Project& project) {
    TableRows table{"Load combinations", {"Combination", "Load case", "Factor"}, {}};
    for (const project::Combination& combination : project.combinations) {
        for (int r = 1; r <= combination.factors.EntryCount(); ++r) {
            const std::string_view typed = combination.factors.Cell(r, project::factor_col::Case);
            // Read as the analysis reads it, so the name is that of the case the factor was applied to.
            const double number = project::ReadNumber(typed);
            const bool names = number >= 1 && number <= project.CaseCount() && number == std::floor(number);
            table.rows.push_back(
                {TextCell(r == 1 ? combination.name : std::string()),
                 TextCell(names ? project.CaseName(static_cast<int>(number)) : std::string(typed)),
                 TextCell(std::string(combination.factors.Cell(r, project::factor_col::Factor)))});
        }
    }
    return table;
}

TableRows MemberEnvelopeRows(const analysis::LoadCaseResults& loadCases, int places) {
    const char* by = CombinedWord(loadCases);
    TableRows table{"Member forces", {"#", "Tension (kN)", by, "Compression (kN)", by}, {}};
    table.rows.reserve(loadCases.members.size());
    for (std::size_t m = 0; m < loadCases.members.size(); ++m) {
        const analysis::MemberEnvelope& e = loadCases.members[m];
        table.rows.push_back({WholeCell(static_cast<int>(m) + 1), ExtremeValue(e.tension, places),
                              TextCell(loadCases.NameOf(e.tension)), ExtremeValue(e.compression, places),
                              TextCell(loadCases.NameOf(e.compression))});
    }
    return table;
}

TableRows ReactionEnvelopeRows(const analysis::LoadCaseResults& loadCases, int places) {
    const char* by = CombinedWord(loadCases);
    TableRows table{"Support reactions", {"#", "Reaction", "Greatest (kN)", by, "Least (kN)", by}, {}};
    if (loadCases.Combined().empty()) return table;
    const analysis::Results& any = loadCases.Combined().front().results;
    // A reaction below kForceNoise of the largest is rounding left by the solve, shown as 0 as the
    // Summary shows it.
    double largest = 0;
    for (const analysis::ReactionEnvelope& e : loadCases.reactions)
        for (const analysis::Extreme* x : {&e.maxRx, &e.minRx, &e.maxRy, &e.minRy})
            largest = std::max(largest, std::abs(x->value));
    const double noise = analysis::kForceNoise * largest;
    const auto value = [&](analysis::Extreme x) {
        if (std::abs(x.value) < noise) x.value = 0;
        return ExtremeValue(x, places);
    };
    for (const analysis::ReactionEnvelope& e : loadCases.reactions) {
        const auto add = [&](const char* reaction, const analysis::Extreme& most,
                             const analysis::Extreme& least) {
            table.rows.push_back({WholeCell(e.joint), TextCell(reaction), value(most),
                                  TextCell(loadCases.NameOf(most)), value(least),
                                  TextCell(loadCases.NameOf(least))});
        };
        if (any.IsRestrainedX(e.joint)) add("Rx", e.maxRx, e.minRx);
        if (any.IsRestrainedY(e.joint)) add("Ry", e.maxRy, e.minRy);
    }
    return table;
}

} // namespace varlen::report
