// The text report ("Notepad.txt"): the title block and the input tables as tab-separated lines, CR LF,
// for a plain text editor. The Print Options window chooses its sections; the same choice drives the
// word-processor report (docx_report.h).
#pragma once

#include <filesystem>
#include <string>

#include "analysis/load_cases.h"
#include "analysis/results.h"
#include "project/project.h"

namespace varlen::report {

// The sections a report holds, one flag for each check box of the Print Options window that has
// something to print, and the load case whose results it gives in full. "Bending Moment Values", "Shear
// Force Values" and "Deflection Values" have no flag: a pin-jointed truss carries no bending, so the
// window greys them.
struct ReportSections {
    bool jointCoordinates = false;         // "Joint Co-ordinates": #, X, Y and the joint's description
    bool jointSupports = false;            // "Joint Supports": #, the fixities and their description
    bool materialProperties = false;       // "Material Properties"
    bool crossSectionalProperties = false; // "Cross Sectional Properties"
    bool memberConnectivity = false;       // "Member Connectivity"
    bool loading = false;                  // "Loading": the joint loads
    bool globalDisplacements = false;      // "Global Displacements": each member's end displacements
    bool localForces = false;              // "Local Forces": each member's end forces in member axes
    bool reactions = false; // "Reactions": the support reactions and each member's end forces in global axes
    // The case or combination, by name, whose results the chosen result sections give when the report has
    // load cases; empty for the first case.
    std::string loadCase{};

    friend bool operator==(const ReportSections&, const ReportSections&) = default;
};

// What each report has always held, so the window's boxes start ticked for them: the text report the
// title block, joints, materials and sections; the word report those, the members, the loads and the
// global displacements.
[[nodiscard]] ReportSections TextReportSections();
[[nodiscard]] ReportSections WordReportSections();

// The name the report is written under in the program's temporary folder.
inline constexpr const char* kTextReportFileName = "Notepad.txt";

// The whole report, each line ended by CR LF. Table cells are shown as the editors show them; a tab,
// CR or LF inside a text becomes a blank so that the columns stay aligned. Result values are rendered
// with `places` decimal places in the results format ("+1.234 E+01"). `results` must come from an
// analysis of `project` as it stands (the caller refuses a report while the results are stale); it may
// be null only when no result section is chosen.
//
// A project with several load cases or any combination has every case's joint loads and the
// combinations in its loading section. `loadCases`, from the same analysis as `results`, adds the
// envelope (each member's greatest tension and compression, each support's extreme reactions, with the
// combinations that give them) and the case or combination `sections.loadCase` in place of `results`,
// headed with its name. A name the report cannot show (ChooseShownCase says why) gives the first case;
// WriteTextReport refuses it instead. Without load cases the report is what it always was.
[[nodiscard]] std::string TextReport(const project::Project& project, const analysis::Results* results,
                                     int places, const ReportSections& sections = TextReportSections(),
                                     const analysis::LoadCaseResults* loadCases = nullptr);

struct ReportWriteOutcome {
    bool ok = false;
    std::string error{}; // for the user: the file and the cause ("cannot write "/tmp/x/Notepad.txt": ...")
};

// Writes the report beside `path` and renames it over `path`: a failure removes the half-written file
// and leaves an earlier report as it was.
[[nodiscard]] ReportWriteOutcome WriteTextReport(const std::filesystem::path& path,
                                                 const project::Project& project,
                                                 const analysis::Results* results, int places,
                                                 const ReportSections& sections = TextReportSections(),
                                                 const analysis::LoadCaseResults* loadCases = nullptr);

// Any bytes written under `path` the same safe way (the word report's package, for one).
[[nodiscard]] ReportWriteOutcome WriteReportFile(const std::filesystem::path& path, const std::string& bytes);

} // namespace varlen::report
