// The members' own weight as a load case: each member's weight per length (from its cross-section's
// description, "... 0.141 kN/m ...") times its length, half to each end joint, downwards.
#pragma once

#include <string>
#include <vector>

#include "model/model.h"

namespace varlen::model {

inline constexpr const char* kSelfWeightCaseName = "Self-weight";

struct SelfWeightOutcome {
    std::vector<Load> loads; // one per joint that carries weight, in joint order; empty when refused
    // Why the case could not be made: the members whose section states no weight, or whose joints or
    // section are not in their tables, one line each (the first few).
    std::vector<std::string> problems;
    [[nodiscard]] bool Made() const { return problems.empty(); }
};

[[nodiscard]] SelfWeightOutcome SelfWeight(const Model& model);

} // namespace varlen::model
