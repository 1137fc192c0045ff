// varlen-cli: batch analysis of plane truss projects, on the same core as the desktop program.
#include <csignal>
#include <cstdio>
#include <exception>
#include <new>
#include <string>
#include <vector>

#include "commands.h"

namespace {

constexpr const char* kUsage = R"(Usage: varlen-cli COMMAND [OPTIONS]

Commands:
  analyse PROJECT.sma [--results FILE] [--json FILE|-] [--places N] [--quiet] [--timings]
      Analyse a plane truss project by the stiffness method. Writes the results file
      (default: PROJECT.txt beside the project), prints joint displacements, member
      forces and support reactions rendered to N decimal places (0 to 15, default 3), and with
      --json the full-precision results as JSON (to FILE, or "-" for standard output,
      which then carries the JSON alone). The outputs are replaced together or not at
      all, and none may name the project or another output. --quiet prints nothing on success;
      --timings reports the phases and the peak memory on standard error;
      --ordering auto|amd|metis|nesdis chooses the fill-reducing ordering.
  design PROJECT.sma [--pt N] [--ys N] [--leg N] [--pw N] [--places N] [--json FILE|-]
      Analyse the project and design its members to BS 449-2: members in tension
      against the allowable tension stress pt (default 155 N/mm2); members in compression
      as struts of yield stress Ys (default 250 N/mm2), with the radius of gyration in mm
      taken from braces in the cross-section's description, as the catalogue rows carry
      it: "... (96.129){9.957}"; and the fillet weld each member needs at each end, in
      metres, for a leg in mm (default 4) and a design strength pw (default 215 N/mm2).
      pt, Ys and pw are above 0 and at most 2000 N/mm2, the leg above 0 and at most 100 mm.
      Values are rendered to N decimal places (0 to 15, default 3); --json writes the rows in
      full precision (to FILE, or "-" for standard output, which then carries the JSON
      alone). A check that cannot go on (a strut whose section gives no radius of
      gyration, for instance) keeps the rows before that member and names it.

Options:
  --help       this text
  --version    the program's version

Exit status: 0 done; 1 the analysis or a design check stopped (the reason is on
standard error), a value came out too large to be represented, an output (standard
output included) could not be written, or memory ran out; 2 wrong usage, outputs that
would overwrite the project or each other, or a project file that cannot be read (a
folder, a device, a pipe or a file over 2 GiB is refused at once).
Units: co-ordinates in the project file in mm, E in kN/mm2, areas in mm2, forces in
kN; displacements come out in mm.
)";

// Runs the command; lack of memory or any other failure that escaped it stops the run with a message
// instead of an abort. What the command wrote to standard output is checked at the end, so a full disk
// or a closed pipe never passes for success.
int Run(const std::vector<std::string>& args) {
    using namespace varlen::cli;
    if (args.empty()) {
        std::fputs(kUsage, stderr);
        return kExitUsage;
    }
    const std::string& command = args.front();
    if (command == "--help" || command == "-h" || command == "help") {
        std::fputs(kUsage, stdout);
        return kExitOk;
    }
    if (command == "--version") {
        std::printf("varlen-cli %s\n", VARLEN_VERSION);
        return kExitOk;
    }
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    const bool analyse = command == "analyse" || command == "analyze";
    if (!analyse && command != "design") {
        PrintError("unknown command \"" + command + "\"; see varlen-cli --help");
        return kExitUsage;
    }
    try {
        return analyse ? AnalyseCommand(rest) : DesignCommand(rest);
    } catch (const std::bad_alloc&) {
        PrintError(analyse ? "not enough memory to analyse the project"
                           : "not enough memory to design the members");
    } catch (const std::exception& error) {
        PrintError(std::string(analyse ? "the analysis" : "the design") + " stopped: " + error.what());
    }
    return kExitStopped;
}

} // namespace

int main(int argc, char** argv) {
    // A reader that goes away (varlen-cli ... | head) makes the write fail instead of killing the
    // program, so the outputs not yet published are taken back and the status says what happened.
    std::signal(SIGPIPE, SIG_IGN);
    int status = varlen::cli::kExitStopped;
    try {
        status = Run(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::bad_alloc&) {
        varlen::cli::PrintError("not enough memory to start");
        return varlen::cli::kExitStopped;
    }
    // A command that failed has said why already, standard output included.
    if (std::string why; status == varlen::cli::kExitOk && varlen::cli::StandardOutputFailed(why)) {
        varlen::cli::PrintError("standard output could not be written: " + why);
        status = varlen::cli::kExitStopped;
    }
    return status;
}
