#include "report/docx_report.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <zip.h>

#include "report/report_content.h"
#include "report/results_tables.h"
#include "report/summary_rows.h"
#include "report/xml_writer.h"
#include "report/zip_library.h"

namespace varlen::report {
namespace {

constexpr const char* kWordNs = "http://schemas.openxmlformats.org/wordprocessingml/2006/main";
constexpr const char* kRelNs = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
constexpr const char* kPackageRelNs = "http://schemas.openxmlformats.org/package/2006/relationships";
constexpr const char* kDrawingNs = "http://schemas.openxmlformats.org/drawingml/2006/main";
constexpr const char* kPictureNs = "http://schemas.openxmlformats.org/drawingml/2006/picture";
constexpr const char* kWordDrawingNs =
    "http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing";
constexpr const char* kSvgBlipNs = "http://schemas.microsoft.com/office/drawing/2016/SVG/main";
constexpr const char* kSvgBlipExtension = "{96DAC541-7B7A-43D3-8B79-37D633B846F1}";
constexpr const char* kImageRelType =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/image";

// The page as it has always been set up: US Letter portrait, 72 pt top and bottom, 89.85827 pt left and
// right, headers and footers 36 pt from the edge; in twentieths of a point.
constexpr int kPageWidth = 12240, kPageHeight = 15840;
constexpr int kMarginTopBottom = 1440, kMarginLeftRight = 1797, kHeaderFooter = 720;
constexpr int kTextWidth = kPageWidth - 2 * kMarginLeftRight;
constexpr int kTextHeight = kPageHeight - 2 * kMarginTopBottom;
constexpr long long kEmuPerTwip = 635;
// Each cell has 108 twips of margin either side, and a little room so that rounding never wraps a word.
constexpr int kCellPadding = 2 * 108 + 40;

// Advance widths of Times New Roman from the blank to the tilde, in thousandths of the font size (the
// metrics every Times-compatible face shares, Liberation Serif included).
constexpr short kTimesRoman[95] = {
    250, 333, 408, 500, 500, 833, 778, 180, 333, 333, 500, 564, 250, 333, 250, 278, 500, 500, 500,
    500, 500, 500, 500, 500, 500, 500, 278, 278, 564, 564, 564, 444, 921, 722, 667, 667, 722, 611,
    556, 722, 722, 333, 389, 722, 611, 889, 722, 722, 556, 722, 667, 556, 611, 722, 722, 944, 722,
    722, 611, 333, 278, 333, 469, 500, 333, 444, 500, 444, 500, 444, 333, 500, 500, 278, 278, 500,
    278, 778, 500, 500, 500, 500, 333, 389, 278, 500, 500, 722, 500, 500, 444, 480, 200, 480, 541};
constexpr short kTimesBold[95] = {
    250, 333, 555, 500, 500, 1000, 833, 278, 333, 333, 500, 570, 250, 333, 250, 278, 500, 500,  500,
    500, 500, 500, 500, 500, 500,  500, 333, 333, 570, 570, 570, 500, 930, 722, 667, 722, 722,  667,
    611, 778, 778, 389, 500, 778,  667, 944, 722, 778, 611, 778, 722, 556, 667, 722, 722, 1000, 722,
    722, 667, 333, 278, 333, 581,  500, 333, 500, 556, 444, 556, 444, 333, 500, 556, 278, 333,  556,
    278, 833, 556, 500, 556, 556,  444, 389, 333, 556, 500, 722, 500, 500, 444, 394, 220, 394,  520};

// The width of a text set in 10 pt, in twips (a thousandth of 10 pt is a fifth of a twip). A character
// beyond ASCII counts as a wide lower-case letter.
double TextTwips(std::string_view text, bool bold) {
    double units = 0;
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c >= 0x20 && c < 0x7F)
            units += (bold ? kTimesBold : kTimesRoman)[c - 0x20];
        else if (c >= 0xC0 || c < 0x80)
            units += 556; // the lead byte of a UTF-8 sequence, or a byte read as one character
    }
    return units / 5.0;
}

double LongestWordTwips(std::string_view text, bool bold) {
    double longest = 0;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find(' ', start);
        if (end == std::string_view::npos) end = text.size();
        longest = std::max(longest, TextTwips(text.substr(start, end - start), bold));
        start = end + 1;
    }
    return longest;
}

struct Span {
    std::string text;
    bool bold = false;
    bool underline = false;
    int tabsAfter = 0;
};

enum class Align { Left, Centre };

// A table as the report sets it: the heading rows (repeated at the top of each page) and the body.
struct DocTable {
    std::vector<std::vector<std::string>> rows;
    int headingRows = 1;
    bool bold = false;
};

struct Media {
    std::string name; // "media/picture1.png", relative to word/
    std::string relId;
    const std::string* bytes = nullptr;
};

class Body {
public:
    explicit Body(XmlWriter& w) : m_w(w) {}

    void Paragraph(const std::vector<Span>& spans, Align align = Align::Left, bool keepWithNext = false) {
        m_w.Open("w:p");
        if (align == Align::Centre || keepWithNext) {
            m_w.Open("w:pPr");
            if (keepWithNext) m_w.Empty("w:keepNext");
            if (align == Align::Centre) m_w.Empty("w:jc", {{"w:val", "center"}});
            m_w.Close();
        }
        for (const Span& span : spans)
            Run(span);
        m_w.Close();
    }
    void Empty() { Paragraph({}); }

    void Table(const DocTable& table) {
        std::size_t columns = 0;
        for (const auto& row : table.rows)
            columns = std::max(columns, row.size());
        if (columns == 0) return;
        const std::vector<int> widths = ColumnWidths(table, columns);
        m_w.Open("w:tbl").Open("w:tblPr");
        m_w.Empty("w:tblW", {{"w:w", "0"}, {"w:type", "auto"}});
        m_w.Open("w:tblBorders");
        for (const char* side : {"w:top", "w:left", "w:bottom", "w:right", "w:insideH", "w:insideV"})
            m_w.Empty(side, {{"w:val", "single"}, {"w:sz", "4"}, {"w:space", "0"}, {"w:color", "000000"}});
        m_w.Close();
        m_w.Empty("w:tblLayout", {{"w:type", "fixed"}});
        m_w.Empty("w:tblLook", {{"w:val", "0000"}});
        m_w.Close();
        m_w.Open("w:tblGrid");
        for (const int width : widths)
            m_w.Empty("w:gridCol", {{"w:w", std::to_string(width)}});
        m_w.Close();
        for (std::size_t r = 0; r < table.rows.size(); ++r) {
            const bool heading = static_cast<int>(r) < table.headingRows;
            m_w.Open("w:tr");
            if (heading) m_w.Open("w:trPr").Empty("w:tblHeader").Close();
            for (std::size_t c = 0; c < columns; ++c) {
                const auto& row = table.rows[r];
                m_w.Open("w:tc").Open("w:tcPr");
                m_w.Empty("w:tcW", {{"w:w", std::to_string(widths[c])}, {"w:type", "dxa"}});
                m_w.Close();
                // A heading row stays with the first row of the body on its page.
                m_w.Open("w:p");
                if (heading) m_w.Open("w:pPr").Empty("w:keepNext").Close();
                if (c < row.size() && !row[c].empty()) Run({row[c], table.bold || heading, false, 0});
                m_w.Close().Close();
            }
            m_w.Close();
        }
        m_w.Close();
    }

    void Picture(const ReportPicture& picture, const std::string& relId, bool svgExtension,
                 const std::string& svgRelId, int number) {
        // As wide as the text, unless that would make it taller than half the page.
        long long cx = kTextWidth * kEmuPerTwip;
        const double aspect = picture.widthPx > 0 && picture.heightPx > 0
                                  ? static_cast<double>(picture.heightPx) / picture.widthPx
                                  : 0.75;
        long long cy = std::llround(static_cast<double>(cx) * aspect);
        const long long most = kTextHeight * kEmuPerTwip / 2;
        if (cy > most) {
            cx = std::llround(static_cast<double>(cx) * static_cast<double>(most) / static_cast<double>(cy));
            cy = most;
        }
        const std::string id = std::to_string(number);
        const std::string name = "Picture " + id;
        m_w.Open("w:p").Open("w:pPr").Empty("w:keepNext").Empty("w:jc", {{"w:val", "center"}}).Close();
        m_w.Open("w:r").Open("w:drawing").Open("wp:inline");
        for (const char* d : {"distT", "distB", "distL", "distR"})
            m_w.Attr(d, "0");
        m_w.Empty("wp:extent", {{"cx", std::to_string(cx)}, {"cy", std::to_string(cy)}});
        m_w.Open("wp:docPr").Attr("id", id).Attr("name", name).Attr("descr", picture.caption).Close();
        m_w.Open("wp:cNvGraphicFramePr")
            .Open("a:graphicFrameLocks")
            .Attr("xmlns:a", kDrawingNs)
            .Attr("noChangeAspect", "1")
            .Close()
            .Close();
        m_w.Open("a:graphic").Attr("xmlns:a", kDrawingNs);
        m_w.Open("a:graphicData").Attr("uri", kPictureNs);
        m_w.Open("pic:pic").Attr("xmlns:pic", kPictureNs);
        m_w.Open("pic:nvPicPr");
        m_w.Empty("pic:cNvPr", {{"id", id}, {"name", name}});
        m_w.Empty("pic:cNvPicPr");
        m_w.Close();
        m_w.Open("pic:blipFill").Open("a:blip").Attr("r:embed", relId);
        if (svgExtension) {
            // Word 2016 and later show the SVG; older readers the PNG.
            m_w.Open("a:extLst").Open("a:ext").Attr("uri", kSvgBlipExtension);
            m_w.Open("asvg:svgBlip").Attr("xmlns:asvg", kSvgBlipNs).Attr("r:embed", svgRelId).Close();
            m_w.Close().Close();
        }
        m_w.Close();
        m_w.Open("a:stretch").Empty("a:fillRect").Close();
        m_w.Close();
        m_w.Open("pic:spPr");
        m_w.Open("a:xfrm");
        m_w.Empty("a:off", {{"x", "0"}, {"y", "0"}});
        m_w.Empty("a:ext", {{"cx", std::to_string(cx)}, {"cy", std::to_string(cy)}});
        m_w.Close();
        m_w.Open("a:prstGeom").Attr("prst", "rect").Empty("a:avLst").Close();
        m_w.Close();
        m_w.Close().Close().Close(); // pic:pic, a:graphicData, a:graphic
        m_w.Close().Close().Close(); // wp:inline, w:drawing, w:r
        m_w.Close();                 // w:p
    }

private:
    void Run(const Span& span) {
        m_w.Open("w:r");
        if (span.bold || span.underline) {
            m_w.Open("w:rPr");
            if (span.bold) m_w.Empty("w:b");
            if (span.underline) m_w.Empty("w:u", {{"w:val", "single"}});
            m_w.Close();
        }
        if (!span.text.empty()) {
            // Blanks at either end ("Member  3", " 3") are kept as typed.
            m_w.Open("w:t").Attr("xml:space", "preserve").Text(OneLineText(span.text)).Close();
        }
        for (int t = 0; t < span.tabsAfter; ++t)
            m_w.Empty("w:tab");
        m_w.Close();
    }

    // Each column as wide as its longest text. When the table would be wider than the text column, the
    // headings may wrap between words, and then the widest columns give way (their texts wrap) down to a
    // common width that makes it fit, none narrower than its longest word.
    static std::vector<int> ColumnWidths(const DocTable& table, std::size_t columns) {
        std::vector<double> whole(columns, 0.0), body(columns, 0.0), word(columns, 0.0);
        for (std::size_t r = 0; r < table.rows.size(); ++r) {
            const bool bold = table.bold || static_cast<int>(r) < table.headingRows;
            const bool heading = static_cast<int>(r) < table.headingRows;
            const auto& row = table.rows[r];
            for (std::size_t c = 0; c < row.size(); ++c) {
                const double width = TextTwips(row[c], bold);
                const double longestWord = LongestWordTwips(row[c], bold);
                whole[c] = std::max(whole[c], width);
                body[c] = std::max(body[c], heading ? longestWord : width);
                word[c] = std::max(word[c], longestWord);
            }
        }
        const auto sum = [](const std::vector<double>& v) {
            double total = 0;
            for (const double x : v)
                total += x + kCellPadding;
            return total;
        };
        std::vector<double> chosen = whole;
        if (sum(whole) > kTextWidth) {
            chosen = body;
            if (sum(body) > kTextWidth) {
                const auto capped = [&](double cap) {
                    std::vector<double> v(columns);
                    for (std::size_t c = 0; c < columns; ++c)
                        v[c] = std::max(word[c], std::min(body[c], cap));
                    return v;
                };
                double low = 0, high = *std::max_element(body.begin(), body.end());
                for (int step = 0; step < 50; ++step) {
                    const double cap = (low + high) / 2;
                    (sum(capped(cap)) > kTextWidth ? high : low) = cap;
                }
                chosen = capped(low);
            }
        }
        std::vector<int> widths;
        for (const double w : chosen)
            widths.push_back(static_cast<int>(std::ceil(w + kCellPadding)));
        return widths;
    }

    XmlWriter& m_w;
};

DocTable FromProjectTable(const project::Table& table, const std::vector<int>& columns) {
    DocTable out;
    out.bold = true; // bold is still on from the section heading, as it always was
    for (int r = 0; r < table.RowCount(); ++r) {
        auto& row = out.rows.emplace_back();
        for (const int c : columns)
            row.emplace_back(table.Cell(r, c));
    }
    return out;
}

DocTable FromRows(const TableRows& rows) {
    DocTable out;
    out.rows.push_back(rows.headings);
    for (const Row& row : rows.rows) {
        auto& cells = out.rows.emplace_back();
        for (const Cell& cell : row)
            cells.push_back(cell.text);
    }
    return out;
}

std::vector<int> AllColumns(const project::Table& table) {
    std::vector<int> columns;
    for (int c = 1; c < table.ColumnCount(); ++c)
        columns.push_back(c);
    return columns;
}

void SectionHeading(Body& body, const std::string& heading) {
    body.Paragraph({{heading, true, true, 0}}, Align::Left, true);
    body.Paragraph({}, Align::Left, true);
}

void InputTable(Body& body, const std::string& heading, const DocTable& table) {
    SectionHeading(body, heading);
    body.Table(table);
    body.Empty();
}

// Each member as a results window shows it: the "Member  3" line over the row labels and values.
void MemberEndTables(Body& body, const std::string& heading, const project::Project& project,
                     const analysis::Results& results, MemberEnds kind, int places) {
    SectionHeading(body, heading);
    for (int m = 1; m <= ReportedMembers(project, results); ++m) {
        DocTable table;
        table.bold = true;
        table.rows.push_back({MemberHeading(m), ""});
        for (const Row& row : MemberEndRows(results, kind, m, places).rows)
            table.rows.push_back({row[0].text, row[1].text});
        body.Table(table);
        body.Empty();
        body.Empty();
    }
}

void SubHeading(Body& body, const std::string& text) {
    body.Paragraph({{text, true, false, 0}}, Align::Left, true);
}

void LoadsTables(Body& body, const project::Project& p) {
    if (!p.HasLoadCases()) {
        InputTable(body, "Joint Loads", FromProjectTable(p.loads, AllColumns(p.loads)));
        return;
    }
    for (int c = 1; c <= p.CaseCount(); ++c) {
        const project::Table& loads = p.CaseLoads(c);
        InputTable(body, "Joint Loads: " + p.CaseName(c), FromProjectTable(loads, AllColumns(loads)));
    }
    if (p.combinations.empty()) return;
    DocTable combinations = FromRows(CombinationRows(p));
    combinations.bold = true; // as the other input tables
    InputTable(body, "Load Combinations", combinations);
}

void EnvelopeTables(Body& body, const analysis::LoadCaseResults& loadCases, int places) {
    SectionHeading(body, loadCases.combinations.empty() ? "Envelope over the Load Cases"
                                                        : "Envelope over the Combinations");
    SubHeading(body, "Member forces: the greatest tension and the greatest compression");
    body.Table(FromRows(MemberEnvelopeRows(loadCases, places)));
    body.Empty();
    SubHeading(body, "Support reactions: the greatest and the least in each restrained direction");
    body.Table(FromRows(ReactionEnvelopeRows(loadCases, places)));
    body.Empty();
}

std::string DocumentXml(const project::Project& p, const ShownCase& shown, int places,
                        const ReportSections& s, const analysis::LoadCaseResults* loadCases,
                        const WordReportExtras& extras,
                        const std::vector<std::pair<std::string, std::string>>& pictureRels) {
    const analysis::Results& results = *shown.results;
    XmlWriter w;
    w.Open("w:document").Attr("xmlns:w", kWordNs).Attr("xmlns:r", kRelNs).Attr("xmlns:wp", kWordDrawingNs);
    w.Open("w:body");
    Body body(w);

    body.Paragraph({{"Varlen Analysis", true, true, 0}}, Align::Centre);
    body.Paragraph({{"Title", true, false, 0}});
    const std::pair<const char*, int> labels[] = {
        {"Project:", 2}, {"Title:", 2}, {"Designer:", 1}, {"Date:", 2}, {"Drawing No:", 1}};
    const std::string* values[] = {&p.title.project, &p.title.title, &p.title.designer, &p.title.date,
                                   &p.title.drawingNo};
    for (std::size_t i = 0; i < 5; ++i)
        body.Paragraph({{labels[i].first, true, false, labels[i].second}, {*values[i], false, false, 0}});
    // A line between the title block and the first table, which would otherwise sit right under it.
    body.Empty();

    namespace jc = project::joint_col;
    if (s.jointCoordinates && s.jointSupports)
        InputTable(body, "Joint Co-ordinates and Supports", FromProjectTable(p.joints, AllColumns(p.joints)));
    else if (s.jointCoordinates)
        InputTable(body, "Joint Co-ordinates",
                   FromProjectTable(p.joints, {jc::Number, jc::X, jc::Y, jc::Description}));
    else if (s.jointSupports)
        InputTable(
            body, "Joint Supports",
            FromProjectTable(p.joints, {jc::Number, jc::FixedX, jc::FixedY, jc::RestraintDescription}));
    if (s.materialProperties)
        InputTable(body, "Material Properties", FromProjectTable(p.materials, AllColumns(p.materials)));
    if (s.crossSectionalProperties)
        InputTable(body, "Cross Sectional Properties", FromProjectTable(p.sections, AllColumns(p.sections)));
    if (s.memberConnectivity)
        InputTable(body, "Member Connectivity and Material and Cross Sectional Groups",
                   FromProjectTable(p.members, AllColumns(p.members)));
    if (s.loading) LoadsTables(body, p);

    if (ReportsLoadCases(loadCases)) EnvelopeTables(body, *loadCases, places);
    if (!shown.name.empty()) {
        body.Paragraph(
            {{(shown.combination ? "Results of Combination: " : "Results of Load Case: ") + shown.name, true,
              true, 0}},
            Align::Centre, true);
        body.Empty();
    }

    if (s.globalDisplacements)
        MemberEndTables(body, "Global Displacements", p, results, MemberEnds::GlobalDisplacements, places);
    if (s.localForces)
        MemberEndTables(body, MemberEndsTitle(MemberEnds::LocalForces), p, results, MemberEnds::LocalForces,
                        places);
    if (s.reactions)
        MemberEndTables(body, MemberEndsTitle(MemberEnds::GlobalForces), p, results, MemberEnds::GlobalForces,
                        places);

    // What an approving engineer looks for first: every member's force, and the reactions against the loads.
    SectionHeading(body, "Member Forces and Support Reactions");
    SubHeading(body, "Axial forces (tension positive: T tension, C compression)");
    body.Table(FromRows(SummaryMemberRows(p, &results, places)));
    body.Empty();
    SubHeading(body, "Support reactions (the forces the supports exert on the truss)");
    body.Table(FromRows(SupportRows(p, results, places)));
    body.Empty();
    SubHeading(body, "Equilibrium (applied loads against reactions)");
    body.Table(FromRows(SummaryEquilibriumRows(p, &results, places)));
    body.Empty();

    if (!extras.pictures.empty() || !extras.picturesNote.empty()) {
        SectionHeading(body, "Truss Pictures");
        if (!extras.picturesNote.empty()) {
            body.Paragraph({{extras.picturesNote, false, false, 0}});
            body.Empty();
        }
        for (std::size_t i = 0; i < extras.pictures.size(); ++i) {
            const ReportPicture& picture = extras.pictures[i];
            const auto& [main, svg] = pictureRels[i];
            body.Picture(picture, main, !svg.empty() && svg != main, svg, static_cast<int>(i) + 1);
            if (!picture.caption.empty()) body.Paragraph({{picture.caption, false, false, 0}}, Align::Centre);
            body.Empty();
        }
    }

    if (!extras.designTables.empty()) {
        SectionHeading(body, "Design to BS 449");
        for (const TableRows& table : extras.designTables) {
            SubHeading(body, table.title);
            body.Table(FromRows(table));
            body.Empty();
        }
    }

    w.Open("w:sectPr");
    w.Empty("w:type", {{"w:val", "nextPage"}});
    w.Empty("w:pgSz", {{"w:w", std::to_string(kPageWidth)}, {"w:h", std::to_string(kPageHeight)}});
    const std::string tb = std::to_string(kMarginTopBottom), lr = std::to_string(kMarginLeftRight),
                      hf = std::to_string(kHeaderFooter);
    w.Empty("w:pgMar", {{"w:top", tb},
                        {"w:right", lr},
                        {"w:bottom", tb},
                        {"w:left", lr},
                        {"w:header", hf},
                        {"w:footer", hf},
                        {"w:gutter", "0"}});
    w.Empty("w:vAlign", {{"w:val", "top"}});
    w.Close();
    return w.Finish();
}

std::string StylesXml() {
    XmlWriter w;
    w.Open("w:styles").Attr("xmlns:w", kWordNs);
    w.Open("w:docDefaults");
    w.Open("w:rPrDefault").Open("w:rPr");
    w.Empty("w:rFonts", {{"w:ascii", "Times New Roman"},
                         {"w:hAnsi", "Times New Roman"},
                         {"w:eastAsia", "Times New Roman"},
                         {"w:cs", "Times New Roman"}});
    w.Empty("w:sz", {{"w:val", "20"}});
    w.Empty("w:szCs", {{"w:val", "20"}});
    w.Empty("w:lang", {{"w:val", "en-GB"}});
    w.Close().Close();
    w.Open("w:pPrDefault").Open("w:pPr");
    w.Empty("w:spacing", {{"w:after", "0"}, {"w:line", "240"}, {"w:lineRule", "auto"}});
    w.Close().Close();
    w.Close();
    w.Open("w:style").Attr("w:type", "paragraph").Attr("w:default", "1").Attr("w:styleId", "Normal");
    w.Empty("w:name", {{"w:val", "Normal"}});
    w.Empty("w:qFormat");
    w.Close();
    w.Open("w:style").Attr("w:type", "table").Attr("w:default", "1").Attr("w:styleId", "TableNormal");
    w.Empty("w:name", {{"w:val", "Normal Table"}});
    w.Open("w:tblPr").Open("w:tblCellMar");
    w.Empty("w:top", {{"w:w", "0"}, {"w:type", "dxa"}});
    w.Empty("w:left", {{"w:w", "108"}, {"w:type", "dxa"}});
    w.Empty("w:bottom", {{"w:w", "0"}, {"w:type", "dxa"}});
    w.Empty("w:right", {{"w:w", "108"}, {"w:type", "dxa"}});
    w.Close().Close();
    w.Close();
    return w.Finish();
}

std::string ContentTypesXml(bool png, bool svg) {
    XmlWriter w;
    w.Open("Types").Attr("xmlns", "http://schemas.openxmlformats.org/package/2006/content-types");
    w.Empty("Default", {{"Extension", "rels"},
                        {"ContentType", "application/vnd.openxmlformats-package.relationships+xml"}});
    w.Empty("Default", {{"Extension", "xml"}, {"ContentType", "application/xml"}});
    if (png) w.Empty("Default", {{"Extension", "png"}, {"ContentType", "image/png"}});
    if (svg) w.Empty("Default", {{"Extension", "svg"}, {"ContentType", "image/svg+xml"}});
    w.Empty("Override",
            {{"PartName", "/word/document.xml"},
             {"ContentType",
              "application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml"}});
    w.Empty("Override",
            {{"PartName", "/word/styles.xml"},
             {"ContentType", "application/vnd.openxmlformats-officedocument.wordprocessingml.styles+xml"}});
    w.Empty("Override", {{"PartName", "/docProps/core.xml"},
                         {"ContentType", "application/vnd.openxmlformats-package.core-properties+xml"}});
    return w.Finish();
}

std::string PackageRelsXml() {
    XmlWriter w;
    w.Open("Relationships").Attr("xmlns", kPackageRelNs);
    w.Empty("Relationship", {{"Id", "rId1"},
                             {"Type", "http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
                                      "officeDocument"},
                             {"Target", "word/document.xml"}});
    w.Empty(
        "Relationship",
        {{"Id", "rId2"},
         {"Type", "http://schemas.openxmlformats.org/package/2006/relationships/metadata/core-properties"},
         {"Target", "docProps/core.xml"}});
    return w.Finish();
}

std::string DocumentRelsXml(const std::vector<Media>& media) {
    XmlWriter w;
    w.Open("Relationships").Attr("xmlns", kPackageRelNs);
    w.Empty("Relationship",
            {{"Id", "rIdStyles"},
             {"Type", "http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles"},
             {"Target", "styles.xml"}});
    for (const Media& m : media)
        w.Empty("Relationship", {{"Id", m.relId}, {"Type", kImageRelType}, {"Target", m.name}});
    return w.Finish();
}

// The document's properties: its title and author, as Word's File > Properties shows them.
std::string CorePropertiesXml(const project::TitleBlock& title) {
    XmlWriter w;
    w.Open("cp:coreProperties")
        .Attr("xmlns:cp", "http://schemas.openxmlformats.org/package/2006/metadata/core-properties")
        .Attr("xmlns:dc", "http://purl.org/dc/elements/1.1/");
    w.Open("dc:title").Text(OneLineText(title.title)).Close();
    w.Open("dc:subject").Text(OneLineText(title.project)).Close();
    w.Open("dc:creator").Text(OneLineText(title.designer)).Close();
    return w.Finish();
}

struct ZipCloser {
    void operator()(zip_t* archive) const { zip_discard(archive); }
};
struct SourceFree {
    void operator()(zip_source_t* source) const { zip_source_free(source); }
};

// The parts zipped in memory; the texts must outlive the call.
DocxOutcome Zip(const std::vector<std::pair<std::string, const std::string*>>& parts) {
    if (const std::string& problem = ZipProblem(); !problem.empty())
        return {{}, "the document could not be put together: " + problem};
    zip_error_t error;
    zip_error_init(&error);
    std::unique_ptr<zip_source_t, SourceFree> buffer(zip_source_buffer_create(nullptr, 0, 0, &error));
    if (!buffer)
        return {{}, "the document could not be put together: " + std::string(zip_error_strerror(&error))};
    std::unique_ptr<zip_t, ZipCloser> archive(zip_open_from_source(buffer.get(), ZIP_TRUNCATE, &error));
    if (!archive)
        return {{}, "the document could not be put together: " + std::string(zip_error_strerror(&error))};
    zip_source_keep(buffer.get()); // the archive releases its hold on close; the bytes are read after
    const auto failed = [&] {
        return DocxOutcome{
            {}, "the document could not be put together: " + std::string(zip_strerror(archive.get()))};
    };
    for (const auto& [name, bytes] : parts) {
        zip_source_t* source = zip_source_buffer(archive.get(), bytes->data(), bytes->size(), 0);
        if (!source) return failed();
        const zip_int64_t index = zip_file_add(archive.get(), name.c_str(), source, ZIP_FL_ENC_UTF_8);
        if (index < 0) {
            zip_source_free(source);
            return failed();
        }
        // Pictures are compressed already.
        const bool picture = name.ends_with(".png");
        if (zip_set_file_compression(archive.get(), static_cast<zip_uint64_t>(index),
                                     picture ? ZIP_CM_STORE : ZIP_CM_DEFLATE, 0) != 0)
            return failed();
    }
    if (zip_close(archive.get()) != 0) return failed();
    archive.release();

    zip_source_t* src = buffer.get();
    if (zip_source_open(src) != 0 || zip_source_seek(src, 0, SEEK_END) != 0)
        return {{}, "the document could not be read back from memory"};
    const zip_int64_t size = zip_source_tell(src);
    DocxOutcome out;
    if (size < 0 || zip_source_seek(src, 0, SEEK_SET) != 0) {
        zip_source_close(src);
        return {{}, "the document could not be read back from memory"};
    }
    out.bytes.resize(static_cast<std::size_t>(size));
    const zip_int64_t got = zip_source_read(src, out.bytes.data(), static_cast<zip_uint64_t>(size));
    zip_source_close(src);
    if (got != size) return {{}, "the document could not be read back from memory"};
    return out;
}

} // namespace

DocxOutcome BuildDocxReport(const project::Project& project, const analysis::Results& results, int places,
                            const ReportSections& sections, const WordReportExtras& extras,
                            const analysis::LoadCaseResults* loadCases) {
    const ShownCase shown = ChooseShownCase(project, &results, loadCases, sections.loadCase);
    if (!shown.problem.empty()) return {{}, shown.problem};
    std::vector<Media> media;
    std::vector<std::pair<std::string, std::string>> pictureRels; // the blip's part, and the SVG's
    bool anyPng = false, anySvg = false;
    for (std::size_t i = 0; i < extras.pictures.size(); ++i) {
        const ReportPicture& picture = extras.pictures[i];
        const std::string n = std::to_string(i + 1);
        std::string main, svg;
        if (!picture.png.empty()) {
            media.push_back({"media/picture" + n + ".png", "rIdPng" + n, &picture.png});
            main = "rIdPng" + n;
            anyPng = true;
        }
        if (!picture.svg.empty()) {
            media.push_back({"media/picture" + n + ".svg", "rIdSvg" + n, &picture.svg});
            svg = "rIdSvg" + n;
            if (main.empty()) main = svg;
            anySvg = true;
        }
        pictureRels.emplace_back(main, svg);
    }
    // A picture without bytes cannot be shown; it is left out rather than left as a broken frame.
    WordReportExtras shownExtras = extras;
    shownExtras.pictures.clear();
    std::vector<std::pair<std::string, std::string>> shownRels;
    for (std::size_t i = 0; i < extras.pictures.size(); ++i) {
        if (pictureRels[i].first.empty()) continue;
        shownExtras.pictures.push_back(extras.pictures[i]);
        shownRels.push_back(pictureRels[i]);
    }

    const std::string contentTypes = ContentTypesXml(anyPng, anySvg);
    const std::string packageRels = PackageRelsXml();
    const std::string document =
        DocumentXml(project, shown, places, sections, loadCases, shownExtras, shownRels);
    const std::string styles = StylesXml();
    const std::string documentRels = DocumentRelsXml(media);
    const std::string core = CorePropertiesXml(project.title);
    std::vector<std::pair<std::string, const std::string*>> parts{
        {"[Content_Types].xml", &contentTypes}, {"_rels/.rels", &packageRels},
        {"docProps/core.xml", &core},           {"word/document.xml", &document},
        {"word/styles.xml", &styles},           {"word/_rels/document.xml.rels", &documentRels}};
    for (const Media& m : media)
        parts.emplace_back("word/" + m.name, m.bytes);
    return Zip(parts);
}

ReportWriteOutcome WriteDocxReport(const std::filesystem::path& path, const project::Project& project,
                                   const analysis::Results& results, int places,
                                   const ReportSections& sections, const WordReportExtras& extras,
                                   const analysis::LoadCaseResults* loadCases) {
    const DocxOutcome built = BuildDocxReport(project, results, places, sections, extras, loadCases);
    if (built.bytes.empty()) return {false, "cannot write \"" + path.string() + "\": " + built.error};
    return WriteReportFile(path, built.bytes);
}

} // namespace varlen::report
