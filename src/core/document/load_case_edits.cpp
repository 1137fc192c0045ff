#include "document/load_case_edits.h"

#include <cmath>

#include "model/self_weight.h"
#include "project/number_text.h"
#include "project/sma_format.h"

namespace varlen::document {
namespace {

namespace fc = project::factor_col;

SetLoadCasesEdit Current(const project::Project& p) {
    return {p.firstCaseName, p.moreCases, p.combinations};
}

std::string Trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

int FactorRow(const project::Table& factors, int loadCase) {
    for (int r = 1; r <= factors.EntryCount(); ++r)
        if (project::ReadNumber(factors.Cell(r, fc::Case)) == loadCase) return r;
    return 0;
}

bool ValidCombination(const project::Project& p, int combination) {
    return combination >= 1 && combination <= static_cast<int>(p.combinations.size());
}

} // namespace

std::optional<std::string> NameRefusal(const project::Project& p, const std::string& name, int loadCase,
                                       int combination) {
    const std::string stored = project::StorableText(Trimmed(name));
    if (stored.empty()) return "A load case or combination needs a name.";
    for (int c = 1; c <= p.CaseCount(); ++c)
        if (c != loadCase && project::StorableText(p.CaseName(c)) == stored)
            return "Load case " + std::to_string(c) + " is already named \"" + p.CaseName(c) + "\".";
    for (std::size_t k = 0; k < p.combinations.size(); ++k)
        if (static_cast<int>(k) + 1 != combination && project::StorableText(p.combinations[k].name) == stored)
            return "Combination " + std::to_string(k + 1) + " is already named \"" + p.combinations[k].name +
                   "\".";
    return std::nullopt;
}

LoadCaseAction AddCase(const project::Project& p, const std::string& name) {
    if (auto refusal = NameRefusal(p, name)) return *refusal;
    SetLoadCasesEdit edit = Current(p);
    edit.moreCases.push_back({Trimmed(name), project::EmptyLoadsTable()});
    return edit;
}

LoadCaseAction AddSelfWeightCase(const project::Project& p, const std::string& name) {
    if (auto refusal = NameRefusal(p, name)) return *refusal;
    const model::SelfWeightOutcome weight = model::SelfWeight(model::BuildModel(p));
    if (!weight.Made()) {
        std::string why = "The self-weight case cannot be made:";
        for (const std::string& line : weight.problems)
            why += "\n" + line;
        return why;
    }
    if (weight.loads.empty()) return "The self-weight case cannot be made: there are no members.";
    project::Table loads = project::EmptyLoadsTable();
    loads.SetRowCount(static_cast<int>(weight.loads.size()) + 1);
    for (int r = 1; r <= static_cast<int>(weight.loads.size()); ++r) {
        const model::Load& l = weight.loads[static_cast<std::size_t>(r) - 1];
        loads.SetRow(r,
                     {"", project::FormatGeneral(l.joint), "0", project::FormatGeneral(l.fy), "Self-weight"});
    }
    SetLoadCasesEdit edit = Current(p);
    edit.moreCases.push_back({Trimmed(name), std::move(loads)});
    return edit;
}

LoadCaseAction RenameCase(const project::Project& p, int loadCase, const std::string& name) {
    if (loadCase < 1 || loadCase > p.CaseCount())
        return "There is no load case " + std::to_string(loadCase) + ".";
    if (auto refusal = NameRefusal(p, name, loadCase)) return *refusal;
    SetLoadCasesEdit edit = Current(p);
    (loadCase == 1 ? edit.firstCaseName : edit.moreCases[static_cast<std::size_t>(loadCase) - 2].name) =
        Trimmed(name);
    return edit;
}

LoadCaseAction RemoveCase(const project::Project& p, int loadCase) {
    if (loadCase == 1)
        return "Load case 1 holds the joint loads table: it can be renamed, and its loads removed in the "
               "joint loads editor, but it cannot be removed.";
    if (loadCase < 2 || loadCase > p.CaseCount())
        return "There is no load case " + std::to_string(loadCase) + ".";
    SetLoadCasesEdit edit = Current(p);
    edit.moreCases.erase(edit.moreCases.begin() + (loadCase - 2));
    for (project::Combination& c : edit.combinations) {
        project::Table kept = project::EmptyFactorsTable();
        for (int r = 1; r <= c.factors.EntryCount(); ++r) {
            const double named = project::ReadNumber(c.factors.Cell(r, fc::Case));
            if (named == loadCase) continue;
            const std::string number = named > loadCase && named == std::floor(named)
                                           ? std::to_string(static_cast<long long>(named) - 1)
                                           : std::string(c.factors.Cell(r, fc::Case));
            kept.SetRowCount(kept.RowCount() + 1);
            kept.SetRow(kept.EntryCount(), {"", number, std::string(c.factors.Cell(r, fc::Factor))});
        }
        c.factors = std::move(kept);
    }
    return edit;
}

LoadCaseAction SetCaseLoads(const project::Project& p, int loadCase, project::Table loads) {
    if (loadCase < 2 || loadCase > p.CaseCount())
        return "The joint loads of load case " + std::to_string(loadCase) + " are not kept here.";
    SetLoadCasesEdit edit = Current(p);
    edit.moreCases[static_cast<std::size_t>(loadCase) - 2].loads = std::move(loads);
    return edit;
}

LoadCaseAction AddCombination(const project::Project& p, const std::string& name) {
    if (auto refusal = NameRefusal(p, name)) return *refusal;
    SetLoadCasesEdit edit = Current(p);
    edit.combinations.push_back({Trimmed(name), project::EmptyFactorsTable()});
    return edit;
}

LoadCaseAction RenameCombination(const project::Project& p, int combination, const std::string& name) {
    if (!ValidCombination(p, combination))
        return "There is no combination " + std::to_string(combination) + ".";
    if (auto refusal = NameRefusal(p, name, 0, combination)) return *refusal;
    SetLoadCasesEdit edit = Current(p);
    edit.combinations[static_cast<std::size_t>(combination) - 1].name = Trimmed(name);
    return edit;
}

LoadCaseAction RemoveCombination(const project::Project& p, int combination) {
    if (!ValidCombination(p, combination))
        return "There is no combination " + std::to_string(combination) + ".";
    SetLoadCasesEdit edit = Current(p);
    edit.combinations.erase(edit.combinations.begin() + (combination - 1));
    return edit;
}

LoadCaseAction SetFactor(const project::Project& p, int combination, int loadCase,
                         const std::string& factor) {
    if (!ValidCombination(p, combination))
        return "There is no combination " + std::to_string(combination) + ".";
    if (loadCase < 1 || loadCase > p.CaseCount())
        return "There is no load case " + std::to_string(loadCase) + ".";
    const std::string text = Trimmed(factor);
    if (!text.empty() && (!project::IsWholeNumber(text) || !std::isfinite(project::ReadNumber(text))))
        return "The factor of \"" + p.CaseName(loadCase) + "\" must be one number, not \"" + factor + "\".";
    SetLoadCasesEdit edit = Current(p);
    project::Table& factors = edit.combinations[static_cast<std::size_t>(combination) - 1].factors;
    const int row = FactorRow(factors, loadCase);
    if (text.empty()) {
        if (row > 0) factors.RemoveRow(row);
    } else if (row > 0) {
        factors.SetCell(row, fc::Factor, text);
    } else {
        factors.SetRowCount(factors.RowCount() + 1);
        factors.SetRow(factors.EntryCount(), {"", std::to_string(loadCase), text});
    }
    return edit;
}

std::string FactorOf(const project::Project& p, int combination, int loadCase) {
    if (!ValidCombination(p, combination)) return {};
    const project::Table& factors = p.combinations[static_cast<std::size_t>(combination) - 1].factors;
    const int row = FactorRow(factors, loadCase);
    return row > 0 ? std::string(factors.Cell(row, fc::Factor)) : std::string();
}

} // namespace varlen::document
