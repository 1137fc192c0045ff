#include "analysis/load_cases.h"

#include <cmath>
#include <utility>

namespace varlen::analysis {

Results Superpose(const std::vector<std::pair<const Results*, double>>& terms) {
    if (terms.empty()) return {};
    const Results& first = *terms.front().first;
    const auto dofs = 2 * static_cast<std::size_t>(first.JointCount());
    std::vector<double> displacement(dofs, 0.0), load(dofs, 0.0);
    for (const auto& [results, factor] : terms) {
        for (int j = 1; j <= first.JointCount(); ++j) {
            const auto d = 2 * static_cast<std::size_t>(j) - 2;
            displacement[d] += factor * results->Dx(j);
            displacement[d + 1] += factor * results->Dy(j);
            load[d] += factor * results->LoadX(j);
            load[d + 1] += factor * results->LoadY(j);
        }
    }
    return Results(first.SharedStructure(), std::move(displacement), std::move(load));
}

namespace {

void Greater(Extreme& extreme, double value, int by) {
    if (extreme.by == 0 || value > extreme.value) extreme = {value, by};
}
void Smaller(Extreme& extreme, double value, int by) {
    if (extreme.by == 0 || value < extreme.value) extreme = {value, by};
}

} // namespace

void FormEnvelope(LoadCaseResults& results) {
    const std::vector<NamedResults>& combined = results.Combined();
    results.members.clear();
    results.reactions.clear();
    if (combined.empty()) return;
    const Results& first = combined.front().results;
    results.members.assign(static_cast<std::size_t>(first.MemberCount()), {});
    for (int j = 1; j <= first.JointCount(); ++j)
        if (first.IsSupported(j)) results.reactions.push_back({j, {}, {}, {}, {}});
    for (std::size_t c = 0; c < combined.size(); ++c) {
        const Results& r = combined[c].results;
        const int by = static_cast<int>(c) + 1;
        for (int m = 1; m <= r.MemberCount(); ++m) {
            MemberEnvelope& e = results.members[static_cast<std::size_t>(m) - 1];
            const double force = r.AxialForce(m);
            // A member with no force is neither in tension nor in compression.
            if (force > 0) Greater(e.tension, force, by);
            if (force < 0) Smaller(e.compression, force, by);
            if (e.absolute.by == 0 || std::abs(force) > std::abs(e.absolute.value)) e.absolute = {force, by};
        }
        for (ReactionEnvelope& e : results.reactions) {
            const Reaction reaction = r.SupportReaction(e.joint);
            Greater(e.maxRx, reaction.rx, by);
            Smaller(e.minRx, reaction.rx, by);
            Greater(e.maxRy, reaction.ry, by);
            Smaller(e.minRy, reaction.ry, by);
        }
    }
}

} // namespace varlen::analysis
