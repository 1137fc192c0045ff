#include "cases_file.h"

#include <cmath>
#include <nlohmann/json.hpp>

#include "analysis/analysis.h"
#include "commands.h"
#include "io/text_file.h"
#include "model/self_weight.h"

namespace varlen::cli {
namespace {

using Json = nlohmann::json;

struct CasesFault {
    std::string what;
};

const Json& Member(const Json& object, const char* key, const std::string& where) {
    const auto found = object.find(key);
    if (found == object.end()) throw CasesFault{where + " has no \"" + key + "\""};
    return *found;
}

double Number(const Json& value, const std::string& where) {
    if (!value.is_number()) throw CasesFault{where + " must be a number, not " + value.dump()};
    const double number = value.get<double>();
    if (!std::isfinite(number)) throw CasesFault{where + " is not a finite number"};
    return number;
}

std::string Name(const Json& value, const std::string& where) {
    if (!value.is_string()) throw CasesFault{where + " must be a text, not " + value.dump()};
    std::string name = value.get<std::string>();
    if (name.find_first_not_of(" \t") == std::string::npos) throw CasesFault{where + " is empty"};
    return name;
}

struct Cases {
    std::string firstName;
    std::vector<model::Load> firstLoads;
    std::vector<model::LoadCase> more;
    std::vector<model::Combination> combinations;
    std::vector<std::string> names; // of the cases, in order
};

void AddCase(Cases& cases, std::string name, std::vector<model::Load> loads, const std::string& where) {
    for (const std::string& earlier : cases.names)
        if (earlier == name)
            throw CasesFault{where + ": the name \"" + name + "\" is given to two load cases"};
    cases.names.push_back(name);
    if (cases.names.size() == 1) {
        cases.firstName = std::move(name);
        cases.firstLoads = std::move(loads);
    } else {
        cases.more.push_back({std::move(name), std::move(loads)});
    }
}

Cases Read(const Json& doc, const model::Model& model) {
    if (!doc.is_object()) throw CasesFault{"the document must be an object with \"cases\""};
    for (const auto& [key, value] : doc.items())
        if (key != "cases" && key != "combinations" && key != "self_weight")
            throw CasesFault{"\"" + key +
                             "\" is not a key of the document (cases, combinations, self_weight)"};
    Cases cases;
    const Json& list = Member(doc, "cases", "the document");
    if (!list.is_array()) throw CasesFault{"\"cases\" must be a list"};
    for (std::size_t c = 0; c < list.size(); ++c) {
        const std::string where = "cases[" + std::to_string(c) + "]";
        const Json& entry = list[c];
        if (!entry.is_object()) throw CasesFault{where + " must be an object with \"name\" and \"loads\""};
        std::string name = Name(Member(entry, "name", where), where + ".name");
        const Json& loads = Member(entry, "loads", where);
        if (!loads.is_array()) throw CasesFault{where + ".loads must be a list of [joint, fx, fy]"};
        if (loads.empty()) throw CasesFault{where + " (\"" + name + "\") has no loads"};
        std::vector<model::Load> read;
        for (std::size_t l = 0; l < loads.size(); ++l) {
            const std::string at = where + ".loads[" + std::to_string(l) + "]";
            if (!loads[l].is_array() || loads[l].size() != 3)
                throw CasesFault{at + " must be [joint, fx, fy]"};
            read.push_back({Number(loads[l][0], at + "[0]"), Number(loads[l][1], at + "[1]"),
                            Number(loads[l][2], at + "[2]")});
        }
        AddCase(cases, std::move(name), std::move(read), where);
    }
    if (const auto sw = doc.find("self_weight"); sw != doc.end()) {
        std::string name = Name(*sw, "\"self_weight\"");
        model::SelfWeightOutcome weight = model::SelfWeight(model);
        if (!weight.Made()) {
            std::string why = "the self-weight case \"" + name + "\" cannot be made:";
            for (const std::string& line : weight.problems)
                why += "\n" + line;
            throw CasesFault{why};
        }
        if (weight.loads.empty())
            throw CasesFault{"the self-weight case \"" + name + "\" has no loads (no members)"};
        AddCase(cases, std::move(name), std::move(weight.loads), "\"self_weight\"");
    }
    if (cases.names.empty()) throw CasesFault{"\"cases\" is empty and there is no \"self_weight\""};
    if (const auto combos = doc.find("combinations"); combos != doc.end()) {
        if (!combos->is_array()) throw CasesFault{"\"combinations\" must be a list"};
        for (std::size_t k = 0; k < combos->size(); ++k) {
            const std::string where = "combinations[" + std::to_string(k) + "]";
            const Json& entry = (*combos)[k];
            if (!entry.is_object())
                throw CasesFault{where + " must be an object with \"name\" and \"factors\""};
            std::string name = Name(Member(entry, "name", where), where + ".name");
            for (const std::string& other : cases.names)
                if (other == name)
                    throw CasesFault{where + ": \"" + name + "\" is already the name of a load case"};
            for (const model::Combination& other : cases.combinations)
                if (other.name == name)
                    throw CasesFault{where + ": the name \"" + name + "\" is given to two combinations"};
            const Json& factors = Member(entry, "factors", where);
            if (!factors.is_object() || factors.empty())
                throw CasesFault{where + " (\"" + name +
                                 "\") needs \"factors\": {\"case name\": factor, ...}"};
            model::Combination combination{name, {}};
            for (const auto& [caseName, factor] : factors.items()) {
                std::size_t found = 0;
                while (found < cases.names.size() && cases.names[found] != caseName)
                    ++found;
                if (found == cases.names.size()) {
                    std::string known;
                    for (const std::string& n : cases.names)
                        known += (known.empty() ? "" : ", ") + n;
                    throw CasesFault{where + " (\"" + name + "\") names the load case \"" + caseName +
                                     "\", which is not one of the cases (" + known + ")"};
                }
                combination.factors.push_back({static_cast<double>(found + 1),
                                               Number(factor, where + ".factors[\"" + caseName + "\"]")});
            }
            cases.combinations.push_back(std::move(combination));
        }
    }
    return cases;
}

} // namespace

std::optional<std::string> ApplyCasesFile(const std::string& path, model::Model& model) {
    const io::FileText file = io::ReadWholeFile(path);
    if (!file.bytes) return "the load cases file: " + file.error;
    const Json doc = Json::parse(*file.bytes, nullptr, false);
    if (doc.is_discarded()) return "the load cases file \"" + path + "\" is not a JSON document";
    try {
        Cases cases = Read(doc, model);
        model.firstCaseName = std::move(cases.firstName);
        model.loads = std::move(cases.firstLoads);
        model.moreCases = std::move(cases.more);
        model.combinations = std::move(cases.combinations);
        return std::nullopt;
    } catch (const CasesFault& fault) {
        return "the load cases file \"" + path + "\": " + fault.what;
    }
}

bool SayLoadCaseProblems(const model::Model& model) {
    const std::vector<std::string> problems = analysis::LoadCaseProblems(model);
    if (problems.empty()) return false;
    // One problem a line: PrintError would escape the line ends.
    std::string lines;
    for (const std::string& line : problems)
        lines += (lines.empty() ? "" : "\n") + line;
    PrintError("the load cases cannot be analysed:");
    PrintLines(lines);
    return true;
}

} // namespace varlen::cli
