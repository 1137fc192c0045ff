// varlen-cli: batch analysis of plane truss projects, on the same core as the desktop program.
#include <csignal>
#include <cstdio>
#include <exception>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "analysis/solver_library.h"
#include "command_line.h"
#include "commands.h"

namespace {

constexpr const char* kDescription =
    "varlen-cli: batch analysis, BS 449 design, reports and DXF exchange of plane truss projects.";

constexpr const char* kFooter =
    R"(Exit status: 0 done; 1 the analysis, a design check or an export stopped (the reason is
on standard error), a value came out too large to be represented, an output (standard
output included) could not be written, or memory ran out; 2 wrong usage, outputs that
would overwrite the project or each other, or a project file or drawing that cannot be
read (a folder, a device, a pipe or a file over 2 GiB is refused at once).
Units: co-ordinates in the project file in mm, E in kN/mm2, areas in mm2, forces in
kN; displacements come out in mm.
`varlen-cli COMMAND --help` describes each command's options.)";

// Runs the command; lack of memory or any other failure that escaped it stops the run with a message
// instead of an abort. What the command wrote to standard output is checked at the end, so a full disk
// or a closed pipe never passes for success.
int Run(const std::vector<std::string>& args) {
    using namespace varlen::cli;
    CommandLine line(kDescription, kFooter);
    AddAnalyseCommand(line);
    AddDesignCommand(line);
    AddDxfExportCommand(line);
    AddDxfImportCommand(line);
    AddReportCommand(line);
    if (const std::optional<int> status = line.Parse(args)) return *status;
    const Command& command = *line.Chosen();
    if (command.analyses) varlen::analysis::StartLoadingSolver();
    try {
        return command.run();
    } catch (const std::bad_alloc&) {
        PrintError("not enough memory to " + command.memory);
    } catch (const std::exception& error) {
        PrintError(command.stopped + " stopped: " + error.what());
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
