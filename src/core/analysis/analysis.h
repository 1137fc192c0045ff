// One complete linear-elastic analysis of a plane pin-jointed truss by the stiffness method.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "analysis/load_cases.h"
#include "analysis/results.h"
#include "analysis/sparse_solver.h"
#include "model/model.h"

namespace varlen::analysis {

// What the user is shown when a run stops: this title, these two lines, then the causes.
inline constexpr const char* kAnalysisErrorTitle = "Program Unable to Continue!";
inline constexpr const char* kAnalysisErrorText =
    "An Error Just Occurred.\nDid you input your structure correctly?";

// The steps of a run, in order, for a progress display.
enum class AnalysisPhase { Assembling, Ordering, Factorising, Solving };
[[nodiscard]] const char* PhaseName(AnalysisPhase phase); // "ordering", ...

struct AnalysisOptions {
    Ordering ordering = Ordering::Auto;
    // Told as each step starts, on the thread the analysis runs on.
    std::function<void(AnalysisPhase)> onPhase{};
    // Every load case and combination (AnalysisOutcome::loadCases), not the first case alone. The cases
    // and combinations are checked as well: a case with no loads, a combination without factors or naming
    // a case that does not exist, a factor that is not a finite number, or two with one name stop the run.
    bool loadCases = false;
};

// Why a run stopped, with the objects at fault, for whoever wants more than the words (a drawing
// marking the joint that moves, a test).
enum class StopReason {
    None,
    Input,      // references, lengths, moduli, areas or loads: see the causes
    Supports,   // the supports as a whole let the truss move or turn
    Mechanism,  // the truss can move without straining its members: `joint` and `axis` move
    Unreliable, // not a mechanism, but the stiffnesses are too far apart for an answer: `members`
    Overflow,   // a displacement, force or reaction beyond the largest number: `joint` or `members`
    OutOfMemory,
    SolverFailed, // CHOLMOD refused for another reason: `cholmodStatus`
};

struct PhaseTimes { // seconds
    double check = 0, assemble = 0, order = 0, factor = 0, solve = 0, forces = 0;
};

struct AnalysisOutcome {
    std::optional<Results> results;           // of the first load case; empty when the run stopped
    std::optional<LoadCaseResults> loadCases; // with AnalysisOptions::loadCases, when the run did not stop
    std::vector<std::string> causes;          // one line each: the member, load or joint at fault and why
    StopReason reason = StopReason::None;
    int joint = 0;            // 1-based, when the reason names one
    char axis = 0;            // 'X' or 'Y', with `joint`
    std::vector<int> members; // 1-based, when the reason names members
    int cholmodStatus = 0;
    PhaseTimes times;
    double smallestRelativePivot = 0; // of the factorisation, against its diagonal, for the curious
    double smallestGeometryPivot = 0; // of the geometry's factor, when the mechanism test needed it
    double equilibriumError = 0;      // worst joint imbalance against the largest load or member force
    double energyError = 0;           // |work of the loads - strain energy| against their scale
    double factorFlops = 0, factorNonZeros = 0;
    int freeDofs = 0;
    long long nonZeros = 0; // of the upper triangle of the structure matrix

    // The whole message: the two lines above and the causes.
    [[nodiscard]] std::string Message() const;
};

// What is wrong with the load cases and combinations as a whole, one line each: a case with no loads
// (when there are several), a combination without factors or naming a case that does not exist, a
// factor that is not a finite number, a name missing or given twice. Empty when they can be analysed.
[[nodiscard]] std::vector<std::string> LoadCaseProblems(const model::Model& model);

// Checks the model (references, lengths, moduli, areas, loads, supports), assembles, solves and forms the
// results. Cell problems the model notes do not stop it: each cell counts as its leading number.
[[nodiscard]] AnalysisOutcome Analyse(const model::Model& model, const AnalysisOptions& options = {});
// The same, releasing the model as soon as it has been checked (it is as large as the matrix).
[[nodiscard]] AnalysisOutcome Analyse(model::Model&& model, const AnalysisOptions& options = {});

} // namespace varlen::analysis
