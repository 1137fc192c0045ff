// The word-processor report ("Report.docx"): the title block, the input tables, the results and the
// truss pictures as an Office Open XML document that Word and LibreOffice Writer open, in Times New Roman
// 10 on a portrait US Letter page, every table a real table with borders and its heading row repeated on
// each page.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "analysis/load_cases.h"
#include "analysis/results.h"
#include "project/project.h"
#include "report/table_rows.h"
#include "report/text_report.h"

namespace varlen::report {

inline constexpr const char* kWordReportFileName = "Report.docx";

// A picture for the report, already drawn: the core cannot rasterise, so the caller brings the bytes.
// The desktop program gives the PNG (and the SVG, which Word shows sharper where it can); a caller
// without a rasteriser may give the SVG alone.
struct ReportPicture {
    std::string png{}; // the bytes of a PNG file; empty when there is none
    std::string svg{}; // the same picture as an SVG document; empty when there is none
    int widthPx = 0;   // the picture's size in pixels, for its proportions on the page
    int heightPx = 0;
    std::string caption{}; // under the picture: "Figure 1: Wireframe Model"
};

// What the word report holds beyond the tables of the project and the results.
struct WordReportExtras {
    std::vector<ReportPicture> pictures{}; // in the order shown, after the results tables
    // One line printed where the pictures would be when they could not be made ("The truss pictures
    // are left out: ..."); empty when there is nothing to say.
    std::string picturesNote{};
    // The BS 449 tables (TensionRows, CompressionRows, WeldRows) when the design checks ran without
    // refusal; empty leaves the design out.
    std::vector<TableRows> designTables{};
};

struct DocxOutcome {
    std::string bytes{}; // the .docx package; empty when it could not be built
    std::string error{}; // why, for the user
};

// The document: "Varlen Analysis", the title block, each chosen input table with its heading row, the
// chosen per-member results ("Member  3" over the results windows' row labels and values), then a table
// of every member's axial force (tension positive, T or C) and the support reactions with their sums
// against the applied loads, the pictures and the design tables. Result values are rendered with
// `places` decimal places; `results` must come from an analysis of `project` as it stands.
//
// Load cases as in TextReport: every case's joint loads and the combinations with the loading; with
// `loadCases` (of the same analysis) the envelope before the results, and the results those of
// `sections.loadCase`, under its name. A name the report cannot show is refused with the reason.
// The design tables are the caller's: designed for the envelope, their rows name the combinations.
[[nodiscard]] DocxOutcome BuildDocxReport(const project::Project& project, const analysis::Results& results,
                                          int places, const ReportSections& sections = WordReportSections(),
                                          const WordReportExtras& extras = {},
                                          const analysis::LoadCaseResults* loadCases = nullptr);

// Builds the document and writes it beside `path`, renamed over it when complete: a failure removes the
// half-written file, leaves an earlier report as it was and names the file and the cause.
[[nodiscard]] ReportWriteOutcome WriteDocxReport(const std::filesystem::path& path,
                                                 const project::Project& project,
                                                 const analysis::Results& results, int places,
                                                 const ReportSections& sections = WordReportSections(),
                                                 const WordReportExtras& extras = {},
                                                 const analysis::LoadCaseResults* loadCases = nullptr);

} // namespace varlen::report
