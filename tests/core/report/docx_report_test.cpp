// The word report unzipped and read back: its parts, that each is well-formed XML, the page set-up, every
// table's rows and cells, the texts that must survive escaping, and the pictures' parts and links.
#include <gtest/gtest.h>
#include <map>
#include <optional>
#include <string>
#include <vector>
#include <zip.h>

#include "analysis/analysis.h"
#include "design/bs449.h"
#include "project/project_file.h"
#include "report/design_tables.h"
#include "report/docx_report.h"
#include "report/xml_writer.h"
#include "test_support.h"

namespace varlen::report {
namespace {

// The package's parts by name, read with libzip as any reader would; empty when it is not a zip.
std::map<std::string, std::string> Unzip(const std::string& bytes) {
    std::map<std::string, std::string> parts;
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error);
    if (!source) return parts;
    zip_t* archive = zip_open_from_source(source, ZIP_RDONLY | ZIP_CHECKCONS, &error);
    if (!archive) {
        zip_source_free(source);
        return parts;
    }
    for (zip_int64_t i = 0; i < zip_get_num_entries(archive, 0); ++i) {
        zip_stat_t stat;
        zip_stat_index(archive, static_cast<zip_uint64_t>(i), 0, &stat);
        std::string data(static_cast<std::size_t>(stat.size), '\0');
        zip_file_t* file = zip_fopen_index(archive, static_cast<zip_uint64_t>(i), 0);
        if (!file) continue;
        const zip_int64_t got = zip_fread(file, data.data(), data.size());
        zip_fclose(file);
        if (got == static_cast<zip_int64_t>(data.size())) parts[stat.name] = data;
    }
    zip_close(archive);
    return parts;
}

// A strict little XML reader: elements, attributes in double quotes, the five entities and character
// references, no stray '&' or '<', no control characters XML 1.0 forbids. Enough to tell a well-formed
// part from a broken one and to walk its elements.
struct Node {
    std::string name;
    std::map<std::string, std::string> attributes;
    std::vector<Node> children;
    std::string text; // the character data directly inside, entities resolved

    [[nodiscard]] std::vector<const Node*> All(const std::string& wanted) const {
        std::vector<const Node*> found;
        Collect(wanted, found);
        return found;
    }
    void Collect(const std::string& wanted, std::vector<const Node*>& found) const {
        for (const Node& child : children) {
            if (child.name == wanted) found.push_back(&child);
            child.Collect(wanted, found);
        }
    }
    [[nodiscard]] std::vector<const Node*> Children(const std::string& wanted) const {
        std::vector<const Node*> found;
        for (const Node& child : children)
            if (child.name == wanted) found.push_back(&child);
        return found;
    }
    // Every w:t below, joined: a paragraph's or a cell's words.
    [[nodiscard]] std::string Words() const {
        std::string words;
        for (const Node* t : All("w:t"))
            words += t->text;
        return words;
    }
};

class XmlReader {
public:
    explicit XmlReader(std::string_view text) : m_text(text) {}

    std::optional<Node> Document() {
        if (m_text.substr(0, 5) == "<?xml") {
            const std::size_t end = m_text.find("?>");
            if (end == std::string_view::npos) {
                Fail("unclosed declaration");
                return std::nullopt;
            }
            m_at = end + 2;
        }
        SkipBlanks();
        Node root;
        if (!Element(root)) return std::nullopt;
        SkipBlanks();
        if (m_at != m_text.size()) {
            Fail("text after the root element");
            return std::nullopt;
        }
        return root;
    }
    [[nodiscard]] const std::string& Error() const { return m_error; }

private:
    bool Fail(const std::string& why) {
        if (m_error.empty()) m_error = why + " at byte " + std::to_string(m_at);
        return false;
    }
    void SkipBlanks() {
        while (m_at < m_text.size() && std::isspace(static_cast<unsigned char>(m_text[m_at])))
            ++m_at;
    }
    std::string Name() {
        const std::size_t start = m_at;
        while (m_at < m_text.size() &&
               (std::isalnum(static_cast<unsigned char>(m_text[m_at])) ||
                std::string_view(":_-.").find(m_text[m_at]) != std::string_view::npos))
            ++m_at;
        return std::string(m_text.substr(start, m_at - start));
    }
    bool CharData(std::string_view raw, std::string& out) {
        for (std::size_t i = 0; i < raw.size(); ++i) {
            const auto c = static_cast<unsigned char>(raw[i]);
            if (c == '<') return Fail("'<' in text");
            if (c < 0x20 && c != '\t' && c != '\n' && c != '\r') return Fail("control character");
            if (c != '&') {
                out += static_cast<char>(c);
                continue;
            }
            const std::size_t end = raw.find(';', i);
            if (end == std::string_view::npos) return Fail("'&' without an entity");
            const std::string_view entity = raw.substr(i + 1, end - i - 1);
            static const std::map<std::string_view, char> named{
                {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}};
            if (const auto it = named.find(entity); it != named.end())
                out += it->second;
            else if (!entity.empty() && entity[0] == '#')
                out += '?';
            else
                return Fail("unknown entity &" + std::string(entity) + ";");
            i = end;
        }
        return true;
    }
    bool Element(Node& node) {
        if (m_at >= m_text.size() || m_text[m_at] != '<') return Fail("expected an element");
        ++m_at;
        node.name = Name();
        if (node.name.empty()) return Fail("element without a name");
        for (;;) {
            SkipBlanks();
            if (m_text.substr(m_at, 2) == "/>") {
                m_at += 2;
                return true;
            }
            if (m_at < m_text.size() && m_text[m_at] == '>') {
                ++m_at;
                break;
            }
            const std::string attribute = Name();
            if (attribute.empty() || m_text.substr(m_at, 2) != "=\"") return Fail("bad attribute");
            m_at += 2;
            const std::size_t end = m_text.find('"', m_at);
            if (end == std::string_view::npos) return Fail("unclosed attribute");
            std::string value;
            if (!CharData(m_text.substr(m_at, end - m_at), value)) return false;
            if (!node.attributes.emplace(attribute, value).second) return Fail("attribute twice");
            m_at = end + 1;
        }
        for (;;) {
            const std::size_t next = m_text.find('<', m_at);
            if (next == std::string_view::npos) return Fail("unclosed <" + node.name + ">");
            if (!CharData(m_text.substr(m_at, next - m_at), node.text)) return false;
            m_at = next;
            if (m_text.substr(m_at, 2) == "</") {
                m_at += 2;
                if (Name() != node.name) return Fail("</...> does not close <" + node.name + ">");
                if (m_at >= m_text.size() || m_text[m_at] != '>') return Fail("bad end tag");
                ++m_at;
                return true;
            }
            if (!Element(node.children.emplace_back())) return false;
        }
    }

    std::string_view m_text;
    std::size_t m_at = 0;
    std::string m_error;
};

Node ParseOrFail(const std::string& part, const std::string& name) {
    XmlReader reader(part);
    std::optional<Node> root = reader.Document();
    EXPECT_TRUE(root) << name << ": " << reader.Error();
    return root ? *root : Node{};
}

// A 4 m x 2 m triangle, 10 kN down at its apex, pinned at 1, on a roller at 2, with texts that test the
// escaping: XML's special characters, a control character, a tab, a comma that must not split its cell.
project::Project Triangle() {
    project::Project p = test::MakeProject({{0, 0, true, true}, {4, 0, false, true}, {2, 2, false, false}},
                                           {{1, 2, 1, 2}, {2, 3}, {3, 1}}, {{3, 0, -10}}, {205}, {1000, 500});
    p.title = {"Bolts & <nuts>", "\"Quoted\" 'title'", "A.\tEngineer\x01", "01/02/2026", "VAR/9"};
    p.sections.SetCell(2, project::section_col::Description, "50 x 50, S355 (500){19.4}");
    p.members.SetCell(1, project::member_col::Description, "Tie <bottom> & chord");
    return p;
}

struct Package {
    std::map<std::string, std::string> parts;
    Node document;
    std::vector<std::vector<std::vector<std::string>>> tables; // each table's rows of cell words
};

Package Open(const DocxOutcome& built) {
    Package p;
    EXPECT_TRUE(built.error.empty()) << built.error;
    p.parts = Unzip(built.bytes);
    for (const auto& [name, bytes] : p.parts)
        if (name.ends_with(".xml") || name.ends_with(".rels")) ParseOrFail(bytes, name);
    p.document = ParseOrFail(p.parts["word/document.xml"], "word/document.xml");
    for (const Node* table : p.document.All("w:tbl")) {
        auto& rows = p.tables.emplace_back();
        for (const Node* tr : table->Children("w:tr")) {
            auto& cells = rows.emplace_back();
            for (const Node* tc : tr->Children("w:tc"))
                cells.push_back(tc->Words());
        }
    }
    return p;
}

TEST(DocxReport, PartsArePresentWellFormedAndLinked) {
    const project::Project project = Triangle();
    const analysis::Results results = test::AnalyseOrFail(project);
    const Package p = Open(BuildDocxReport(project, results, 3));
    for (const char* name : {"[Content_Types].xml", "_rels/.rels", "word/document.xml", "word/styles.xml",
                             "word/_rels/document.xml.rels", "docProps/core.xml"})
        EXPECT_TRUE(p.parts.count(name)) << name;
    const Node types = ParseOrFail(p.parts.at("[Content_Types].xml"), "types");
    std::map<std::string, std::string> overrides;
    for (const Node* o : types.Children("Override"))
        overrides[o->attributes.at("PartName")] = o->attributes.at("ContentType");
    EXPECT_EQ(overrides["/word/document.xml"],
              "application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml");
    // Every relationship points at a part that is there.
    const Node rels = ParseOrFail(p.parts.at("word/_rels/document.xml.rels"), "rels");
    for (const Node* r : rels.Children("Relationship"))
        EXPECT_TRUE(p.parts.count("word/" + r->attributes.at("Target"))) << r->attributes.at("Target");
    const Node styles = ParseOrFail(p.parts.at("word/styles.xml"), "styles");
    const std::vector<const Node*> fonts = styles.All("w:rFonts");
    ASSERT_FALSE(fonts.empty());
    EXPECT_EQ(fonts[0]->attributes.at("w:ascii"), "Times New Roman");
    EXPECT_EQ(styles.All("w:sz")[0]->attributes.at("w:val"), "20"); // half-points: 10 pt
}

// US Letter portrait, 72 pt top and bottom, 89.85827 pt left and right, headers 36 pt from the edge, in
// twentieths of a point: points mistaken for twips would give a page the size of a stamp.
TEST(DocxReport, PageSetUp) {
    const project::Project project = Triangle();
    const Package p = Open(BuildDocxReport(project, test::AnalyseOrFail(project), 3));
    const std::vector<const Node*> size = p.document.All("w:pgSz"), margins = p.document.All("w:pgMar");
    ASSERT_EQ(size.size(), 1u);
    ASSERT_EQ(margins.size(), 1u);
    EXPECT_EQ(size[0]->attributes.at("w:w"), "12240");
    EXPECT_EQ(size[0]->attributes.at("w:h"), "15840");
    EXPECT_FALSE(size[0]->attributes.count("w:orient")); // portrait
    const auto& m = margins[0]->attributes;
    EXPECT_EQ(m.at("w:top"), "1440");
    EXPECT_EQ(m.at("w:bottom"), "1440");
    EXPECT_EQ(m.at("w:left"), "1797");
    EXPECT_EQ(m.at("w:right"), "1797");
    EXPECT_EQ(m.at("w:header"), "720");
    EXPECT_EQ(m.at("w:gutter"), "0");
}

using Cells = std::vector<std::string>;

// The tables in order, each with the rows and cells it must have: a table whose rows had different cell
// counts, a lost heading row or a comma that split a cell would show here.
TEST(DocxReport, EveryTableWithItsRowsAndCells) {
    const project::Project project = Triangle();
    const analysis::Results results = test::AnalyseOrFail(project);
    const Package p = Open(BuildDocxReport(project, results, 3));
    struct Shape {
        std::size_t rows, cells;
    };
    const std::vector<Shape> shapes = {
        {4, 7}, {2, 3}, {3, 3}, {4, 6}, {2, 4}, // joints, materials, sections, members, loads
        {5, 2}, {5, 2}, {5, 2},                 // each member's displacements
        {4, 8}, {3, 3}, {9, 3},                 // axial forces, support reactions, equilibrium
    };
    ASSERT_EQ(p.tables.size(), shapes.size());
    for (std::size_t t = 0; t < shapes.size(); ++t) {
        ASSERT_EQ(p.tables[t].size(), shapes[t].rows) << "table " << t + 1;
        for (const auto& row : p.tables[t])
            EXPECT_EQ(row.size(), shapes[t].cells) << "table " << t + 1;
    }
    EXPECT_EQ(p.tables[0][0],
              (Cells{"#", "X", "Y", "Joint Description", "Fixed Fx", "Fixed Fy", "Restraint Description"}));
    EXPECT_EQ(p.tables[2][2], (Cells{"2", "500", "50 x 50, S355 (500){19.4}"}));
    EXPECT_EQ(p.tables[3][1], (Cells{"1", "1", "2", "1", "2", "Tie <bottom> & chord"}));
    // Member 1, the tie from joint 1 (pinned) to joint 2 (roller): 5 kN x 4000 mm / (205 kN/mm² x 500 mm²).
    EXPECT_EQ(p.tables[5], (std::vector<Cells>{{"Member  1", ""},
                                               {"Joint i - dx", "+0.000 E+00"},
                                               {"Joint i - dy", "+0.000 E+00"},
                                               {"Joint j - dx", "+1.951 E-01"},
                                               {"Joint j - dy", "+0.000 E+00"}}));
    EXPECT_EQ(p.tables[8][1][4], "5.000");
    EXPECT_EQ(p.tables[8][1][5], "T");
    EXPECT_EQ(p.tables[9][2], (Cells{"2", "", "5.000"})); // the roller exerts nothing along X
    // Every table's first row is its heading, repeated on each page it runs onto.
    for (const Node* table : p.document.All("w:tbl")) {
        const std::vector<const Node*> rows = table->Children("w:tr");
        ASSERT_FALSE(rows.empty());
        EXPECT_EQ(rows[0]->All("w:tblHeader").size(), 1u);
        EXPECT_EQ(rows.back()->All("w:tblHeader").size(), 0u);
        EXPECT_EQ(table->All("w:tblBorders").size(), 1u);
    }
}

TEST(DocxReport, TextsOfEveryKindSurviveEscaping) {
    const project::Project project = Triangle();
    const Package p = Open(BuildDocxReport(project, test::AnalyseOrFail(project), 3));
    std::vector<std::string> paragraphs;
    for (const Node* paragraph : p.document.Children("w:body")[0]->Children("w:p"))
        paragraphs.push_back(paragraph->Words());
    ASSERT_GE(paragraphs.size(), 7u);
    EXPECT_EQ(paragraphs[0], "Varlen Analysis");
    EXPECT_EQ(paragraphs[1], "Title");
    EXPECT_EQ(paragraphs[2], "Project:Bolts & <nuts>");
    EXPECT_EQ(paragraphs[3], "Title:\"Quoted\" 'title'");
    EXPECT_EQ(paragraphs[4], "Designer:A. Engineer"); // the tab a blank, the control character gone
    // The labels reach the values' column by tabs, and only the labels are bold.
    const Node* projectLine = p.document.Children("w:body")[0]->Children("w:p")[2];
    EXPECT_EQ(projectLine->All("w:tab").size(), 2u);
    EXPECT_EQ(projectLine->All("w:b").size(), 1u);
}

TEST(DocxReport, PicturesAreEmbeddedAndLinked) {
    const project::Project project = Triangle();
    const analysis::Results results = test::AnalyseOrFail(project);
    WordReportExtras extras;
    const std::string png = std::string("\x89PNG\r\n\x1a\n", 8) + "not really";
    const std::string svg = R"(<svg xmlns="http://www.w3.org/2000/svg" width="40" height="30"/>)";
    extras.pictures = {
        {png, svg, 400, 300, "Both"}, {{}, svg, 400, 200, "SVG alone"}, {{}, {}, 10, 10, "None"}};
    extras.designTables.push_back(
        {"Design of Tension Members", {"#", "Outcome"}, {{TextCell(" 1"), TextCell("OK")}}});
    const Package p = Open(BuildDocxReport(project, results, 3, WordReportSections(), extras));
    EXPECT_EQ(p.parts.at("word/media/picture1.png"), png);
    EXPECT_EQ(p.parts.at("word/media/picture1.svg"), svg);
    EXPECT_EQ(p.parts.at("word/media/picture2.svg"), svg);
    EXPECT_FALSE(p.parts.count("word/media/picture3.png")); // a picture without bytes is left out

    std::map<std::string, std::string> target;
    const Node rels = ParseOrFail(p.parts.at("word/_rels/document.xml.rels"), "rels");
    for (const Node* r : rels.Children("Relationship"))
        target[r->attributes.at("Id")] = r->attributes.at("Target");
    const std::vector<const Node*> blips = p.document.All("a:blip");
    ASSERT_EQ(blips.size(), 2u);
    EXPECT_EQ(target[blips[0]->attributes.at("r:embed")], "media/picture1.png");
    const std::vector<const Node*> svgBlip = blips[0]->All("asvg:svgBlip");
    ASSERT_EQ(svgBlip.size(), 1u);
    EXPECT_EQ(target[svgBlip[0]->attributes.at("r:embed")], "media/picture1.svg");
    EXPECT_EQ(target[blips[1]->attributes.at("r:embed")], "media/picture2.svg");
    // Kept in proportion: 400 x 200 pixels across the text column (8646 twips = 5,490,210 EMU).
    const std::vector<const Node*> extents = p.document.All("wp:extent");
    ASSERT_EQ(extents.size(), 2u);
    EXPECT_EQ(extents[1]->attributes.at("cx"), "5490210");
    EXPECT_EQ(extents[1]->attributes.at("cy"), "2745105");
    const std::string types = p.parts.at("[Content_Types].xml");
    EXPECT_NE(types.find("image/png"), std::string::npos);
    EXPECT_NE(types.find("image/svg+xml"), std::string::npos);
    // The design table after the pictures.
    ASSERT_FALSE(p.tables.empty());
    EXPECT_EQ(p.tables.back(), (std::vector<Cells>{{"#", "Outcome"}, {" 1", "OK"}}));
}

TEST(DocxReport, ChosenSectionsOnly) {
    const project::Project project = Triangle();
    const analysis::Results results = test::AnalyseOrFail(project);
    ReportSections sections;
    sections.jointSupports = true;
    sections.localForces = true;
    const Package p = Open(BuildDocxReport(project, results, 1, sections));
    // Supports (4 columns), three members' local forces, then the forces and reactions that always follow.
    ASSERT_EQ(p.tables.size(), 1u + 3u + 3u);
    EXPECT_EQ(p.tables[0][0], (Cells{"#", "Fixed Fx", "Fixed Fy", "Restraint Description"}));
    EXPECT_EQ(p.tables[1][3], (Cells{"Joint j - Fx'", "+5.0 E+00"}));
}

TEST(DocxReport, WrittenSafelyAndFailureNamesTheFile) {
    const project::Project project = Triangle();
    const analysis::Results results = test::AnalyseOrFail(project);
    test::TempDir dir;
    const auto path = dir / kWordReportFileName;
    test::WriteFile(path, "an earlier report");
    const ReportWriteOutcome written = WriteDocxReport(path, project, results, 3);
    ASSERT_TRUE(written.ok) << written.error;
    EXPECT_TRUE(Unzip(test::ReadFile(path)).count("word/document.xml"));
    const auto missing = dir / "gone" / kWordReportFileName;
    const ReportWriteOutcome failed = WriteDocxReport(missing, project, results, 3);
    EXPECT_FALSE(failed.ok);
    EXPECT_NE(failed.error.find("gone"), std::string::npos) << failed.error;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
}

project::Project ReadExample(const char* name) {
    project::ReadOutcome read =
        project::ReadProjectFile(std::string(VARLEN_EXAMPLES_DIR) + "/" + name + ".sma");
    EXPECT_TRUE(read.project) << read.problem.ToString();
    return read.project ? std::move(*read.project) : project::NewProject();
}

ReportSections EverySection() {
    ReportSections s;
    s.jointCoordinates = s.jointSupports = s.materialProperties = s.crossSectionalProperties =
        s.memberConnectivity = s.loading = s.globalDisplacements = s.localForces = s.reactions = true;
    return s;
}

// The three design tables at the design command's defaults, for the envelope when one is given.
std::vector<TableRows> DesignTables(const project::Project& p, const analysis::Results& r,
                                    const analysis::LoadCaseResults* envelope) {
    return {TensionRows(design::TensionDesign(p, &r, false, 155, envelope), 3),
            CompressionRows(design::CompressionDesign(p, &r, false, 250, envelope), 3),
            WeldRows(design::WeldDesign(p, &r, false, 4, 215, envelope), 3)};
}

// The document of a project of one load case, every section chosen and the design tables given, as it
// was made before load cases came to the reports (272,653 bytes). Results of one case worked out as a
// set of load cases, or that case named, change nothing.
TEST(DocxReport, SingleCaseProjectAsBeforeLoadCases) {
    const project::Project p = ReadExample("bridge_girder");
    const analysis::Results results = test::AnalyseOrFail(p);
    const analysis::AnalysisOutcome one =
        analysis::Analyse(model::BuildModel(p), {analysis::Ordering::Auto, {}, true});
    ASSERT_TRUE(one.loadCases);
    WordReportExtras extras;
    extras.designTables = DesignTables(p, results, nullptr);
    ReportSections named = EverySection();
    named.loadCase = p.firstCaseName;
    for (const auto& [sections, loadCases] :
         {std::pair{EverySection(), static_cast<const analysis::LoadCaseResults*>(nullptr)},
          std::pair{EverySection(), &*one.loadCases}, std::pair{named, &*one.loadCases}}) {
        const std::string document =
            Unzip(BuildDocxReport(p, results, 3, sections, extras, loadCases).bytes)["word/document.xml"];
        EXPECT_EQ(document.size(), 272653u);
        EXPECT_EQ(test::Digest(document), 0x4e9191656519864bull);
    }
}

std::vector<std::string> Paragraphs(const Package& p) {
    std::vector<std::string> paragraphs;
    for (const Node* paragraph : p.document.Children("w:body")[0]->Children("w:p"))
        paragraphs.push_back(paragraph->Words());
    return paragraphs;
}

const std::vector<std::vector<std::string>>* TableStarting(const Package& p, const Cells& headings) {
    for (const auto& table : p.tables)
        if (!table.empty() && table[0] == headings) return &table;
    return nullptr;
}

// The roof truss's three cases and two combinations: the loads of each case, the combinations by case
// name, the envelope (member 1's figures worked by hand in text_report_test.cpp), the chosen combination
// under its name, and the design for the envelope naming what governs each member.
TEST(DocxReport, LoadCasesTheEnvelopeAndTheChosenCombination) {
    const project::Project p = ReadExample("roof_truss");
    const analysis::AnalysisOutcome analysed =
        analysis::Analyse(model::BuildModel(p), {analysis::Ordering::Auto, {}, true});
    ASSERT_TRUE(analysed.loadCases) << analysed.Message();
    const analysis::LoadCaseResults& cases = *analysed.loadCases;
    ReportSections sections = WordReportSections();
    sections.loadCase = "D+W";
    WordReportExtras extras;
    extras.designTables = DesignTables(p, *analysed.results, &cases);
    const Package doc = Open(BuildDocxReport(p, *analysed.results, 3, sections, extras, &cases));
    const std::vector<std::string> paragraphs = Paragraphs(doc);
    const auto has = [&](const std::string& text) {
        return std::find(paragraphs.begin(), paragraphs.end(), text) != paragraphs.end();
    };
    for (const char* heading :
         {"Joint Loads: Dead", "Joint Loads: Imposed", "Joint Loads: Wind", "Load Combinations",
          "Envelope over the Combinations", "Results of Combination: D+W"})
        EXPECT_TRUE(has(heading)) << heading;
    EXPECT_FALSE(has("Joint Loads"));

    const auto* combinations = TableStarting(doc, {"Combination", "Load case", "Factor"});
    ASSERT_TRUE(combinations);
    EXPECT_EQ(*combinations, (std::vector<Cells>{{"Combination", "Load case", "Factor"},
                                                 {"D+I", "Dead", "1"},
                                                 {"", "Imposed", "1"},
                                                 {"D+W", "Dead", "1"},
                                                 {"", "Wind", "1"}}));
    const auto* members =
        TableStarting(doc, {"#", "Tension (kN)", "Combination", "Compression (kN)", "Combination"});
    ASSERT_TRUE(members);
    ASSERT_EQ(members->size(), 30u);
    EXPECT_EQ((*members)[1], (Cells{"1", "137.300", "D+I", "-61.500", "D+W"}));
    const auto* supports =
        TableStarting(doc, {"#", "Reaction", "Greatest (kN)", "Combination", "Least (kN)", "Combination"});
    ASSERT_TRUE(supports);
    EXPECT_EQ((*supports)[1], (Cells{"1", "Rx", "12.000", "D+W", "0.000", "D+I"}));

    // The forces table of the chosen combination: member 1 in D+W.
    const auto* forces = TableStarting(doc, {"#", "Joint i", "Joint j", "Length (m)", "Axial force (kN)",
                                             "T/C", "Stress (N/mm\u00b2)", "Section"});
    ASSERT_TRUE(forces);
    EXPECT_EQ((*forces)[1][4], "-61.500");
    EXPECT_EQ((*forces)[1][5], "C");

    // Bottom chord member 1 is designed for its tension in D+I and top chord member 9 as a strut for its
    // compression in D+I.
    const auto* tension =
        TableStarting(doc, {"#", "Actual Stress", "Required Area", "Outcome", "Combination"});
    ASSERT_TRUE(tension);
    EXPECT_EQ((*tension)[1][0], " 1");
    EXPECT_EQ((*tension)[1][4], "D+I");
    const auto* compression =
        TableStarting(doc, {"#", "Actual Stress", "Allow. Stress", "Outcome", "Combination"});
    ASSERT_TRUE(compression);
    const auto member9 = std::find_if(compression->begin(), compression->end(),
                                      [](const Cells& row) { return row[0] == " 9"; });
    ASSERT_NE(member9, compression->end());
    EXPECT_EQ((*member9)[4], "D+I");
}

TEST(DocxReport, UnknownCaseIsRefusedWithTheNames) {
    const project::Project p = ReadExample("roof_truss");
    const analysis::AnalysisOutcome analysed =
        analysis::Analyse(model::BuildModel(p), {analysis::Ordering::Auto, {}, true});
    ASSERT_TRUE(analysed.loadCases);
    ReportSections sections = WordReportSections();
    sections.loadCase = "Snow";
    const DocxOutcome built = BuildDocxReport(p, *analysed.results, 3, sections, {}, &*analysed.loadCases);
    EXPECT_TRUE(built.bytes.empty());
    EXPECT_NE(built.error.find("\"Snow\""), std::string::npos) << built.error;
    EXPECT_NE(built.error.find("\"D+I\" and \"D+W\""), std::string::npos) << built.error;
}

struct EscapeCase {
    const char* name;
    std::string in, out;
};

class EscapeXmlCase : public ::testing::TestWithParam<EscapeCase> {};

TEST_P(EscapeXmlCase, Escapes) {
    EXPECT_EQ(EscapeXml(GetParam().in), GetParam().out);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, EscapeXmlCase,
    ::testing::Values(EscapeCase{"Specials", "a&b<c>d\"e'f", "a&amp;b&lt;c&gt;d&quot;e&apos;f"},
                      EscapeCase{"EntityLookAlikeIsEscapedToo", "&amp;", "&amp;amp;"},
                      EscapeCase{"ControlCharactersDropped", std::string("a\x01\x08\x0B\x0C\x1F", 6) + "b",
                                 "ab"},
                      EscapeCase{"NulDropped", std::string("a\0b", 3), "ab"},
                      EscapeCase{"TabAndLineEndsKept", "a\tb\r\nc", "a\tb\r\nc"},
                      EscapeCase{"Utf8Kept", "mm\xC2\xB2 \xC3\xB8", "mm\xC2\xB2 \xC3\xB8"},
                      EscapeCase{"Latin1ByteReadAsWindows1252", "mm\xB2", "mm\xC2\xB2"},
                      EscapeCase{"Windows1252Euro", "\x80", "\xE2\x82\xAC"},
                      EscapeCase{"OverlongIsNotUtf8", "\xC0\xAF", "\xC3\x80\xC2\xAF"},
                      EscapeCase{"TruncatedSequence", "\xE2\x82", "\xC3\xA2\xE2\x80\x9A"},
                      EscapeCase{"NonCharacterDropped",
                                 "a\xEF\xBF\xBF"
                                 "b",
                                 "ab"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(XmlWriter, EmptyElementsAttributesAndNesting) {
    XmlWriter w;
    w.Open("a").Attr("x", "1 < 2").Open("b").Close().Open("c").Text("& more").Close();
    w.Empty("d", {{"v", "\"q\""}});
    const std::string xml = w.Finish(); // closes <a>
    EXPECT_EQ(xml.substr(xml.find("<a")),
              "<a x=\"1 &lt; 2\"><b/><c>&amp; more</c><d v=\"&quot;q&quot;\"/></a>");
}

} // namespace
} // namespace varlen::report
