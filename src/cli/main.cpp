// varlen-cli: batch analysis of plane truss projects, on the same core as the desktop program.
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "commands.h"
#include "io/runtime_environment.h"

namespace {

constexpr const char* kUsage = R"(Usage: varlen-cli COMMAND [OPTIONS]

Commands:
  analyse PROJECT.sma [--results FILE] [--json FILE|-] [--places N] [--quiet] [--timings]
      Analyse a plane truss project by the stiffness method. Writes the results file
      (default: PROJECT.txt beside the project), prints joint displacements, member
      forces and support reactions rendered to N decimal places (default 3), and with
      --json the full-precision results as JSON (to FILE, or "-" for standard output,
      which then carries the JSON alone). --quiet prints nothing on success;
      --timings reports the phases and the peak memory on standard error;
      --ordering auto|amd|metis|nesdis chooses the fill-reducing ordering.
  design PROJECT.sma [--pt N] [--ys N] [--leg N] [--pw N] [--places N] [--json FILE|-]
      Analyse the project and design its members to BS 449-2: members in tension
      against the allowable tension stress pt (default 155 N/mm2); members in compression
      as struts of yield stress Ys (default 250 N/mm2), with the radius of gyration in mm
      taken from braces in the cross-section's description, as the catalogue rows carry
      it: "... (96.129){9.957}"; and the fillet weld each member needs at each end, in
      metres, for a leg in mm (default 4) and a design strength pw (default 215 N/mm2).
      Values are rendered to N decimal places (default 3); --json writes the rows in
      full precision (to FILE, or "-" for standard output, which then carries the JSON
      alone). A check that cannot go on (a strut whose section gives no radius of
      gyration, for instance) keeps the rows before that member and names it.

Options:
  --help       this text
  --version    the program's version

Exit status: 0 done; 1 the analysis or a design check stopped (the reason is on
standard error) or an output could not be written; 2 wrong usage or a project file that
cannot be read.
Units: co-ordinates in the project file in mm, E in kN/mm2, areas in mm2, forces in
kN; displacements come out in mm.
)";

} // namespace

int main(int argc, char** argv) {
    varlen::io::RestartWithSolverEnvironment(argv);
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        std::fputs(kUsage, stderr);
        return varlen::cli::kExitUsage;
    }
    const std::string command = args.front();
    if (command == "--help" || command == "-h" || command == "help") {
        std::fputs(kUsage, stdout);
        return varlen::cli::kExitOk;
    }
    if (command == "--version") {
        std::printf("varlen-cli %s\n", VARLEN_VERSION);
        return varlen::cli::kExitOk;
    }
    args.erase(args.begin());
    if (command == "analyse" || command == "analyze") return varlen::cli::AnalyseCommand(args);
    if (command == "design") return varlen::cli::DesignCommand(args);
    varlen::cli::PrintError("unknown command \"" + command + "\"; see varlen-cli --help");
    return varlen::cli::kExitUsage;
}
