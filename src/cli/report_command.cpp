// varlen-cli report: analyses a project and writes the text report or the word report (.docx) the
// desktop program's Print Using menu makes, with the sections each report holds by default.
#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>

#include "analysis/analysis.h"
#include "cases_file.h"
#include "command_line.h"
#include "commands.h"
#include "design/bs449.h"
#include "drawing/scene.h"
#include "drawing/svg_writer.h"
#include "drawing/viewport.h"
#include "io/message_text.h"
#include "model/model.h"
#include "printable_values.h"
#include "project/number_text.h"
#include "project/project_file.h"
#include "report/design_tables.h"
#include "report/docx_report.h"
#include "report/report_content.h"
#include "report/text_report.h"

namespace varlen::cli {
namespace {

struct ReportArgs {
    std::string project;
    std::optional<std::string> text;
    std::optional<std::string> docx;
    int places = 3;
    std::string loadCase; // the case or combination given in full; empty for the first case
};

// BS 449 design parameters of a grade 43 steel with 4 mm fillet welds, as the design command's defaults.
constexpr double kPt = 155, kYs = 250, kLeg = 4, kPw = 215;

// One report a run: each is a file of its own, and naming both is more likely a slip than a wish.
constexpr const char* kOneReport = "report writes one report: give --text FILE or --docx FILE, not both";

// A whole-truss picture as SVG, the only kind the core draws without a window.
report::ReportPicture SvgPicture(const project::Project& project, const analysis::Results& results,
                                 drawing::View view, std::string caption) {
    const drawing::Scene scene = drawing::BuildScene(project, &results, view);
    drawing::Viewport viewport(drawing::Enclose(drawing::WorldOf(project), scene));
    const drawing::World& world = viewport.GetWorld();
    viewport.SetAspect(std::clamp(world.Height() / world.Width(), 0.25, 2.0));
    viewport.ShowFullScale();
    // 800 pixels across the text column set the labels at about 6 pt.
    constexpr int kWidth = 800;
    // A margin of 40 pixels all round for the arrows, values and symbols that reach beyond the joints.
    const drawing::ViewRect shown = viewport.View();
    const double margin = 40.0 * (shown.x2 - shown.x1) / (kWidth - 80);
    drawing::SvgOptions options;
    options.view = {shown.x1 - margin, shown.y1 - margin, shown.x2 + margin, shown.y2 + margin};
    options.widthPx = kWidth;
    report::ReportPicture picture;
    picture.svg = drawing::WriteSvg(scene, options);
    picture.widthPx = kWidth;
    // The SVG's own height holds the notes' strip under the drawing.
    const std::size_t at = picture.svg.find("height=\"");
    picture.heightPx = at == std::string::npos ? kWidth * 3 / 4 : std::atoi(picture.svg.c_str() + at + 8);
    picture.caption = std::move(caption);
    return picture;
}

// The design tables, when all three checks ran without refusal; none otherwise, as the desktop program
// leaves them out after a refusal. With load cases each member is designed for its envelope.
std::vector<report::TableRows> DesignTables(const project::Project& project, const analysis::Results& results,
                                            const analysis::LoadCaseResults* envelope, int places) {
    const design::TensionOutcome tension = design::TensionDesign(project, &results, false, kPt, envelope);
    const design::CompressionOutcome compression =
        design::CompressionDesign(project, &results, false, kYs, envelope);
    const design::WeldOutcome welds = design::WeldDesign(project, &results, false, kLeg, kPw, envelope);
    if (!tension.Complete() || !compression.Complete() || !welds.Complete()) return {};
    return {report::TensionRows(tension, places), report::CompressionRows(compression, places),
            report::WeldRows(welds, places)};
}

int Report(const ReportArgs* parsed) {
    const std::string& output = parsed->text ? *parsed->text : *parsed->docx;
    if (SameFile(output, parsed->project)) {
        PrintError("the report would overwrite the project \"" + parsed->project + "\"; name another file");
        return kExitUsage;
    }
    int status = kExitOk;
    const std::optional<project::Project> read = ReadProjectTables(parsed->project, status);
    if (!read) return status;
    const project::Project& project = *read;
    // Refused before the analysis, which may take long, and before anything is written.
    if (const std::string why = report::UnknownLoadCase(project, parsed->loadCase); !why.empty()) {
        PrintError("--case: " + why);
        return kExitUsage;
    }

    model::Model model = model::BuildModel(project);
    // Several cases or any combination: every case from the one factorisation, and the envelope.
    const bool loadCases = model.HasLoadCases();
    const std::optional<analysis::AnalysisOutcome> analysed =
        AnalyseOrSay(std::move(model), loadCases, status);
    if (!analysed) return status;
    const analysis::Results& results = *analysed->results;
    const analysis::LoadCaseResults* envelope = analysed->loadCases ? &*analysed->loadCases : nullptr;
    std::string why = FirstNonFinite(results);
    // A combination's factors can carry finite cases beyond the largest number.
    if (envelope)
        for (const auto* all : {&envelope->cases, &envelope->combinations})
            for (const analysis::NamedResults& named : *all)
                if (why.empty()) why = FirstNonFinite(named.results);
    if (!why.empty()) {
        PrintError("the report was not written: " + why);
        return kExitStopped;
    }

    report::ReportWriteOutcome written;
    if (parsed->text) {
        report::ReportSections sections = report::TextReportSections();
        sections.loadCase = parsed->loadCase;
        // The envelope and the results named by --case would mean little without the loads they come from,
        // and the envelope alone would leave --case nothing to show.
        if (report::ReportsLoadCases(envelope)) sections.loading = sections.reactions = true;
        written = report::WriteTextReport(output, project, &results, parsed->places, sections, envelope);
    } else {
        report::ReportSections sections = report::WordReportSections();
        sections.loadCase = parsed->loadCase;
        const report::ShownCase shown =
            report::ChooseShownCase(project, &results, envelope, parsed->loadCase);
        report::WordReportExtras extras;
        if (report::ReportsLoadCases(envelope)) {
            // The model view draws the first case's loads; the forces view those of the results it shows.
            extras.pictures.push_back(SvgPicture(project, results, drawing::View::Model,
                                                 "Wireframe Model, Loads of " + project.firstCaseName));
            extras.pictures.push_back(
                SvgPicture(project, *shown.results, drawing::View::Forces,
                           "Axial Forces of " + shown.name + " (kN; tension blue, compression orange)"));
        } else {
            extras.pictures.push_back(SvgPicture(project, results, drawing::View::Model, "Wireframe Model"));
            extras.pictures.push_back(SvgPicture(project, results, drawing::View::Forces,
                                                 "Axial Forces (kN; tension blue, compression orange)"));
        }
        extras.designTables = DesignTables(project, results, envelope, parsed->places);
        written =
            report::WriteDocxReport(output, project, results, parsed->places, sections, extras, envelope);
    }
    if (!written.ok) {
        PrintError("the report was not written: " + written.error);
        return kExitStopped;
    }
    const std::string said = "Report: " + io::EscapeForMessage(output) + "\n";
    std::fwrite(said.data(), 1, said.size(), stdout);
    return kExitOk;
}

} // namespace

void AddReportCommand(CommandLine& line) {
    auto parsed = std::make_shared<ReportArgs>();
    Command& command = line.Add("report",
                                R"(Analyse the project and write its report: with --text the plain-text report
(the title block and the joints, materials and cross-sections tables, tab-separated
lines ending in CR LF), with --docx the word-processor report (Office Open XML): the
title block, the input tables, each member's global displacements, the members' axial
forces, the support reactions against the loads, the truss drawn (model and axial
forces) and the BS 449 checks at the design command's defaults. A project with several
load cases or combinations gets every case's loads and the combinations, each member's
greatest tension and compression and each support's extreme reactions with the
combinations that give them, the results of one case or combination in full (--case,
the first case by default; the text report gives its support reactions and member end
forces) and a design for the envelope. Values are rendered to N decimal places (0 to 15,
default 3). The report is replaced whole or not at all.)",
                                "project file");
    command.AddInput("PROJECT.sma", parsed->project, "the project file to report",
                     "report needs a project file: varlen-cli report PROJECT.sma --text FILE");
    command.AddValue("--text", "FILE", "write the plain-text report to FILE",
                     [parsed](const std::string& value) {
                         if (parsed->docx) throw UsageError(kOneReport);
                         parsed->text = value;
                     });
    command.AddValue("--docx", "FILE", "write the word-processor report (.docx) to FILE",
                     [parsed](const std::string& value) {
                         if (parsed->text) throw UsageError(kOneReport);
                         parsed->docx = value;
                     });
    command.AddValue("--case", "NAME",
                     "with load cases, the load case or combination whose results are given in full "
                     "(default the first case)",
                     [parsed](const std::string& value) { parsed->loadCase = value; });
    command.AddValue("--places", "N", "decimal places of the result values, 0 to 15 (default 3)",
                     [parsed](const std::string& value) {
                         if (!ParsePlaces(value, parsed->places))
                             throw UsageError("--places takes a whole number of decimal places from 0 to " +
                                              std::to_string(kMaxPlaces) + ", not \"" + value + "\"");
                     });
    command.memory = "write the report";
    command.stopped = "the report";
    command.run = [parsed] {
        if (!parsed->text && !parsed->docx) {
            PrintError("report needs the report to write: --text FILE or --docx FILE");
            return kExitUsage;
        }
        return Report(parsed.get());
    };
    command.analyses = true;
}

} // namespace varlen::cli
