// One complete linear-elastic analysis of a plane pin-jointed truss by the stiffness method.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "analysis/analysis_input.h"
#include "analysis/results.h"
#include "analysis/sparse_solver.h"

namespace varlen::analysis {

// What the user is shown when a run stops: this title, these two lines, then the causes.
inline constexpr const char* kAnalysisErrorTitle = "Program Unable to Continue!";
inline constexpr const char* kAnalysisErrorText = "An Error Just Occurred.\nDid you input your structure correctly?";

struct AnalysisOptions {
    Ordering ordering = Ordering::Auto;
    double pivotTolerance = kRelativePivotTolerance;
};

struct PhaseTimes {   // seconds
    double check = 0, assemble = 0, order = 0, factor = 0, solve = 0, forces = 0;
};

struct AnalysisOutcome {
    std::optional<Results> results;     // empty when the run stopped
    std::vector<std::string> causes;    // one line each: the member, load or joint at fault and why
    PhaseTimes times;
    double smallestRelativePivot = 0;   // of the factorisation, for the curious and the benchmarks
    double factorFlops = 0, factorNonZeros = 0;
    int freeDofs = 0;
    long long nonZeros = 0;             // of the upper triangle of the structure matrix

    // The whole message: the two lines above and the causes.
    [[nodiscard]] std::string Message() const;
};

// Checks the input (references, lengths, moduli, areas), assembles, solves and forms the results.
[[nodiscard]] AnalysisOutcome Analyse(const AnalysisInput& input, const AnalysisOptions& options = {});
// The same, releasing the input as soon as it has been checked (it is as large as the matrix).
[[nodiscard]] AnalysisOutcome Analyse(AnalysisInput&& input, const AnalysisOptions& options = {});

} // namespace varlen::analysis
