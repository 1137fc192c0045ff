// The commands of varlen-cli. Each returns the process exit status: 0 done, 1 the work stopped (the
// message says why), 2 wrong usage or an input file that cannot be read.
#pragma once

#include <string>
#include <vector>

namespace varlen::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitStopped = 1;
inline constexpr int kExitUsage = 2;

int AnalyseCommand(const std::vector<std::string>& args);
int DesignCommand(const std::vector<std::string>& args);

// Shared argument helpers.
[[nodiscard]] bool ParsePlaces(const std::string& text, int& places);
void PrintError(const std::string& message);
// Two names for one file (the same path, or links to it), so that writing one would destroy the other.
[[nodiscard]] bool SameFile(const std::string& a, const std::string& b);

} // namespace varlen::cli
