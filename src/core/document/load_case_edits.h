// The load cases editor's actions as edits of the whole set of cases and combinations: each builds the
// SetLoadCasesEdit that carries it out (undone as one step), or says why it cannot be done.
#pragma once

#include <string>
#include <variant>

#include "document/edit.h"

namespace varlen::document {

// The edit, or why not, in words for the user.
using LoadCaseAction = std::variant<SetLoadCasesEdit, std::string>;

// A name for a new or renamed case (`loadCase`, 1-based, or 0) or combination (`combination`, 1-based,
// or 0): not blank, and not the name of another case or combination, judged as a save stores it.
[[nodiscard]] std::optional<std::string> NameRefusal(const project::Project& project, const std::string& name,
                                                     int loadCase = 0, int combination = 0);

[[nodiscard]] LoadCaseAction AddCase(const project::Project& project, const std::string& name);
// A new case holding the members' own weight (model::SelfWeight), one load row a joint; refused, naming
// them, when a member's section states no weight per length.
[[nodiscard]] LoadCaseAction AddSelfWeightCase(const project::Project& project, const std::string& name);
[[nodiscard]] LoadCaseAction RenameCase(const project::Project& project, int loadCase,
                                        const std::string& name);
// The first case holds the joint loads table and stays. Factors of the case go with it; the later
// cases' numbers in the factors move down by one.
[[nodiscard]] LoadCaseAction RemoveCase(const project::Project& project, int loadCase);
// The joint loads of a case after the first (the joint loads editor holds the first's).
[[nodiscard]] LoadCaseAction SetCaseLoads(const project::Project& project, int loadCase,
                                          project::Table loads);

[[nodiscard]] LoadCaseAction AddCombination(const project::Project& project, const std::string& name);
[[nodiscard]] LoadCaseAction RenameCombination(const project::Project& project, int combination,
                                               const std::string& name);
[[nodiscard]] LoadCaseAction RemoveCombination(const project::Project& project, int combination);
// The factor of `loadCase` in `combination`, as typed; a blank text takes the case out of it. A text
// that is not one finite number is refused.
[[nodiscard]] LoadCaseAction SetFactor(const project::Project& project, int combination, int loadCase,
                                       const std::string& factor);
// The factor a combination gives a case, as its cell holds it ("" when the case is not in it).
[[nodiscard]] std::string FactorOf(const project::Project& project, int combination, int loadCase);

} // namespace varlen::document
