#include "model/self_weight.h"

#include <cmath>

#include "project/number_text.h"
#include "project/references.h"

namespace varlen::model {
namespace {

// A message naming a thousand members helps nobody; the first few show what is wrong.
constexpr std::size_t kMaxProblems = 10;

} // namespace

SelfWeightOutcome SelfWeight(const Model& model) {
    SelfWeightOutcome outcome;
    std::vector<double> weight(model.joints.size(), 0.0); // kN per joint
    std::size_t faults = 0;
    auto fault = [&](std::string line) {
        if (++faults <= kMaxProblems) outcome.problems.push_back(std::move(line));
    };
    for (int m = 1; m <= model.MemberCount(); ++m) {
        const Member& member = model.MemberAt(m);
        const std::string who = "Member " + std::to_string(m);
        if (!project::IsRow(member.section, model.sections.size())) {
            fault(project::NotInTable(who, "cross-section", member.section, "cross-sections",
                                      model.sections.size()));
            continue;
        }
        const Section& section = model.SectionAt(static_cast<int>(member.section));
        if (!section.weightPerLength || !std::isfinite(*section.weightPerLength) ||
            *section.weightPerLength < 0) {
            fault(who + ": its cross-section " + project::FormatGeneral(member.section) +
                  " states no weight per length (a number before \"kN/m\" in its description).");
            continue;
        }
        if (!project::IsRow(member.jointI, model.joints.size()) ||
            !project::IsRow(member.jointJ, model.joints.size())) {
            fault(who + " does not join two joints of the joints table.");
            continue;
        }
        const auto i = static_cast<std::size_t>(member.jointI) - 1;
        const auto j = static_cast<std::size_t>(member.jointJ) - 1;
        const double metres =
            std::hypot(model.joints[j].x - model.joints[i].x, model.joints[j].y - model.joints[i].y) / 1000.0;
        const double half = *section.weightPerLength * metres / 2;
        weight[i] += half;
        weight[j] += half;
    }
    if (faults > kMaxProblems)
        outcome.problems.push_back("... and " + std::to_string(faults - kMaxProblems) + " more.");
    if (!outcome.problems.empty()) return outcome;
    for (std::size_t j = 0; j < weight.size(); ++j)
        if (weight[j] != 0) outcome.loads.push_back({static_cast<double>(j + 1), 0.0, -weight[j]});
    return outcome;
}

} // namespace varlen::model
