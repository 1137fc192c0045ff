// varlen-cli dxf-export and dxf-import: a project's members out to a CAD drawing as lines, and a
// drawing's lines in as the joints and members of a new project, as the desktop program's File menu does.
#include <cstdio>
#include <memory>

#include "command_line.h"
#include "commands.h"
#include "dxf/dxf_import.h"
#include "io/message_text.h"
#include "io/text_file.h"
#include "project/project_file.h"

namespace varlen::cli {
namespace {

struct DxfArgs {
    std::string input;
    std::string output; // empty: the default, where there is one
    dxf::Plane plane = dxf::Plane::XY;
};

const char* PlaneName(dxf::Plane plane) {
    return plane == dxf::Plane::XY ? "X-Y" : "X-Z";
}

void AddPlane(Command& command, DxfArgs& args) {
    CLI::Option* plane =
        command.AddValue("--plane", "xy|xz", "the drawing's plane: X-Y, or X-Z for a truss standing upright",
                         [&args](const std::string& value) {
                             if (value == "xy" || value == "XY")
                                 args.plane = dxf::Plane::XY;
                             else if (value == "xz" || value == "XZ")
                                 args.plane = dxf::Plane::XZ;
                             else
                                 throw UsageError("--plane takes xy or xz, not \"" + value + "\"");
                         });
    command.Require(plane, command.Name() + " needs the drawing's plane: --plane xy or --plane xz");
}

int Export(const DxfArgs& args) {
    const std::string output = args.output.empty() ? dxf::DxfPathFor(args.input).string() : args.output;
    if (output.empty() || SameFile(output, args.input)) {
        PrintError("the drawing would overwrite the project \"" + args.input +
                   "\"; name another file with -o");
        return kExitUsage;
    }
    int status = kExitOk;
    const std::optional<project::Project> read = ReadProjectTables(args.input, status);
    if (!read) return status;
    const dxf::ExportOutcome written = dxf::CreateDXF(*read, args.plane, output);
    if (!written.ok) {
        PrintError("the drawing was not written: " + written.error);
        return kExitStopped;
    }
    const std::string said = "Drawing: " + io::EscapeForMessage(output) + " (" +
                             std::to_string(written.lines) + (written.lines == 1 ? " line" : " lines") +
                             " in the " + PlaneName(args.plane) + " plane, in millimetres)\n";
    std::fwrite(said.data(), 1, said.size(), stdout);
    return kExitOk;
}

int Import(const DxfArgs& args) {
    if (SameFile(args.output, args.input)) {
        PrintError("the project would overwrite the drawing \"" + args.input +
                   "\"; name another file with -o");
        return kExitUsage;
    }
    io::FileText file = io::ReadWholeFile(args.input);
    if (!file.bytes) {
        PrintError(file.outOfMemory ? "not enough memory to read the drawing \"" + args.input + "\""
                                    : "cannot read the drawing \"" + args.input + "\": " + file.error);
        return file.outOfMemory ? kExitStopped : kExitUsage;
    }
    const dxf::ImportOutcome imported = dxf::ImportDXF(*file.bytes, args.plane);
    file.bytes.reset();
    if (!imported.project) {
        const project::Diagnostic& problem = imported.problem;
        PrintError("cannot import the drawing \"" + args.input +
                   "\": " + (problem.line > 0 ? problem.ToString() : problem.message));
        return kExitUsage;
    }
    const project::WriteOutcome written = project::CreateSMA(*imported.project, args.output);
    if (!written.ok) {
        PrintError("the project was not written: " + written.error);
        return kExitStopped;
    }
    const std::string said =
        EscapeLines(imported.message) + "\nProject: " + io::EscapeForMessage(args.output) + "\n";
    std::fwrite(said.data(), 1, said.size(), stdout);
    return kExitOk;
}

} // namespace

void AddDxfExportCommand(CommandLine& line) {
    auto args = std::make_shared<DxfArgs>();
    Command& command =
        line.Add("dxf-export",
                 R"(Write the project's members as LINE entities of a DXF drawing for CAD programs, in
the X-Y plane or turned into the X-Z plane (the truss's Y along the drawing's Z), in
millimetres as the project file holds them, one line a member in the order of the
members table. The drawing goes beside the project with the extension .dxf unless -o
names it; it never replaces the project itself.)",
                 "project file");
    command.AddInput("PROJECT.sma", args->input, "the project whose members are drawn",
                     "dxf-export needs a project file: varlen-cli dxf-export PROJECT.sma --plane xy");
    AddPlane(command, *args);
    command.AddValue("-o,--output", "FILE.dxf", "the drawing (default: the project's path ending in .dxf)",
                     [args](const std::string& value) { args->output = value; });
    command.memory = "write the drawing";
    command.stopped = "the export";
    command.run = [args] { return Export(*args); };
}

void AddDxfImportCommand(CommandLine& line) {
    auto args = std::make_shared<DxfArgs>();
    Command& command =
        line.Add("dxf-import",
                 R"(Make a project from the LINE entities of a DXF drawing: every distinct end point a
joint, every line a member (points within 1e-9 of the drawing's size are one). Only
lines are read: polylines, circles, texts, blocks and paper space are left out and
counted. Co-ordinates are taken in the chosen plane; a drawing in millimetres,
centimetres, inches or feet (its $INSUNITS) is converted to metres, one stating no
units is read as metres. The project holds these joints and members and every other
table as a new project has it. A damaged drawing is refused with its line (status 2).)",
                 "drawing file");
    command.AddInput(
        "DRAWING.dxf", args->input, "the drawing to read",
        "dxf-import needs a drawing: varlen-cli dxf-import DRAWING.dxf --plane xy -o PROJECT.sma");
    AddPlane(command, *args);
    CLI::Option* output = command.AddValue("-o,--output", "PROJECT.sma", "the project to write",
                                           [args](const std::string& value) { args->output = value; });
    command.Require(output, "dxf-import needs the project to write: -o PROJECT.sma");
    command.memory = "import the drawing";
    command.stopped = "the import";
    command.run = [args] { return Import(*args); };
}

} // namespace varlen::cli
