// The results of several load cases from one factorisation, the combinations formed from them, and
// each member's and support's extremes over the combinations (the envelope) that the design works to.
#pragma once

#include <string>
#include <vector>

#include "analysis/results.h"

namespace varlen::analysis {

struct NamedResults {
    std::string name;
    Results results;
};

// One extreme of the envelope and the combination that gives it (1-based in Combined(); 0 when none
// gives such a value, as a member never in compression has no greatest compression).
struct Extreme {
    double value = 0;
    int by = 0;
    friend bool operator==(const Extreme&, const Extreme&) = default;
};

// Axial forces in kN, positive in tension, as Results::AxialForce gives them.
struct MemberEnvelope {
    Extreme tension;     // the greatest positive axial force
    Extreme compression; // the most negative axial force
    Extreme absolute;    // the force of greatest magnitude, with its sign
};

// kN, the force the support exerts on the truss, as Results::SupportReaction gives it.
struct ReactionEnvelope {
    int joint = 0;
    Extreme maxRx, minRx, maxRy, minRy;
};

struct LoadCaseResults {
    std::vector<NamedResults> cases;         // every load case, the first first
    std::vector<NamedResults> combinations;  // as defined; empty when none is
    std::vector<MemberEnvelope> members;     // element 0 is member 1
    std::vector<ReactionEnvelope> reactions; // the supported joints in joint order

    // What the envelope is taken over: the combinations, or with none defined the cases themselves
    // (each with a factor of 1).
    [[nodiscard]] const std::vector<NamedResults>& Combined() const {
        return combinations.empty() ? cases : combinations;
    }
    // The name of the combination an Extreme names ("" for none).
    [[nodiscard]] std::string NameOf(const Extreme& extreme) const {
        return extreme.by > 0 ? Combined()[static_cast<std::size_t>(extreme.by) - 1].name : std::string();
    }
};

// sum factor x case, over the displacements and the applied loads: a linear truss's forces and
// reactions then follow as the same sums.
[[nodiscard]] Results Superpose(const std::vector<std::pair<const Results*, double>>& terms);

// The envelope over Combined(); fills `members` and `reactions`.
void FormEnvelope(LoadCaseResults& results);

} // namespace varlen::analysis
