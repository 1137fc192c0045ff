// The SVG picture: a document an XML reader takes, the world drawn the right way up in the view's
// proportions, texts turned and escaped, only what the view shows.
#include <gtest/gtest.h>

#include <clocale>
#include <string>
#include <vector>

#include "drawing/svg_writer.h"
#include "project/project_file.h"
#include "test_support.h"

namespace varlen::drawing {
namespace {

int Count(const std::string& text, const std::string& what) {
    int n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size()))
        ++n;
    return n;
}

// A small well-formedness check: every element closed in order, attribute values quoted, no bare '<' or
// '&' in text. Returns what is wrong, or "" when nothing is.
std::string XmlProblem(const std::string& xml) {
    std::vector<std::string> open;
    std::size_t i = 0;
    if (xml.rfind("<?xml", 0) == 0) i = xml.find("?>") + 2;
    while (i < xml.size()) {
        if (xml[i] == '&') {
            const std::size_t semi = xml.find(';', i);
            const std::string entity = xml.substr(i, semi == std::string::npos ? 1 : semi - i + 1);
            if (entity != "&amp;" && entity != "&lt;" && entity != "&gt;" && entity != "&quot;" &&
                entity != "&apos;")
                return "bare & at " + std::to_string(i);
            i = semi + 1;
            continue;
        }
        if (xml[i] != '<') {
            ++i;
            continue;
        }
        const bool closing = xml[i + 1] == '/';
        std::size_t j = i + (closing ? 2 : 1);
        const std::size_t nameStart = j;
        while (j < xml.size() && (std::isalnum(static_cast<unsigned char>(xml[j])) || xml[j] == ':'))
            ++j;
        const std::string name = xml.substr(nameStart, j - nameStart);
        if (name.empty()) return "a '<' without a name at " + std::to_string(i);
        bool inQuote = false;
        while (j < xml.size() && (inQuote || xml[j] != '>')) {
            if (xml[j] == '"') inQuote = !inQuote;
            if (inQuote && xml[j] == '<') return "'<' in an attribute at " + std::to_string(j);
            ++j;
        }
        if (j >= xml.size()) return "unclosed tag " + name;
        const bool empty = xml[j - 1] == '/';
        if (closing) {
            if (open.empty() || open.back() != name) return "</" + name + "> closes nothing open";
            open.pop_back();
        } else if (!empty) {
            open.push_back(name);
        }
        i = j + 1;
    }
    if (!open.empty()) return "<" + open.back() + "> never closed";
    return "";
}

TEST(SvgWriter, WellFormedCheckerCatchesMistakes) {
    EXPECT_EQ(XmlProblem("<a><b/></a>"), "");
    EXPECT_NE(XmlProblem("<a><b></a>"), "");
    EXPECT_NE(XmlProblem("<a>x & y</a>"), "");
    EXPECT_NE(XmlProblem("<a>"), "");
}

// A 10 m x 5 m view at 1000 px wide: 100 px a metre, the picture 500 px high, Y pointing down.
TEST(SvgWriter, WorldIsDrawnTheRightWayUpInTheViewsProportions) {
    Scene s;
    s.lines.push_back({{0, 0}, {10, 5}, kMemberColour, 1, Role::Member, 1});
    s.lines.push_back({{20, 20}, {30, 20}, kMemberColour, 1, Role::Member, 2}); // off the view
    s.circles.push_back({{2, 1}, 0.05, kJointColour, Role::Joint, 1});
    const std::string svg = WriteSvg(s, {{0, 0, 10, 5}, 1000, {255, 255, 255}});
    EXPECT_EQ(XmlProblem(svg), "");
    EXPECT_NE(svg.find("width=\"1000\" height=\"500\""), std::string::npos) << svg;
    EXPECT_NE(svg.find("<line x1=\"0\" y1=\"500\" x2=\"1000\" y2=\"0\""), std::string::npos) << svg;
    EXPECT_EQ(Count(svg, "<line"), 1);
    EXPECT_NE(svg.find("<circle cx=\"200\" cy=\"400\" r=\"5\""), std::string::npos) << svg;
    EXPECT_NE(svg.find("stroke=\"#0b0000\""), std::string::npos); // the members' very dark red
}

TEST(SvgWriter, TextsAreTurnedEscapedAndKeepTheirBlanks) {
    Scene s;
    Text label;
    label.at = {5, 2};
    label.text = " 12";
    label.angleDegrees = 90;
    label.anchor = Anchor::BottomCentre;
    label.role = Role::MemberLabel;
    s.texts.push_back(label);
    Text odd;
    odd.at = {1, 1};
    odd.text = "a<b & \"c\"";
    odd.role = Role::Mechanism;
    s.texts.push_back(odd);
    s.notes.push_back({{"Tension", "x > y"}, {kTensionColour, std::nullopt}, Anchor::BottomLeft});
    const std::string svg = WriteSvg(s, {{0, 0, 10, 5}, 1000, {255, 255, 255}});
    EXPECT_EQ(XmlProblem(svg), "");
    // Anticlockwise in the world is clockwise-negative on a screen whose Y points down.
    EXPECT_NE(svg.find("translate(500,300) rotate(-90)"), std::string::npos) << svg;
    EXPECT_NE(svg.find("text-anchor=\"middle\""), std::string::npos);
    EXPECT_NE(svg.find("xml:space=\"preserve\"> 12</text>"), std::string::npos) << svg;
    EXPECT_NE(svg.find("a&lt;b &amp; &quot;c&quot;"), std::string::npos) << svg;
    EXPECT_NE(svg.find(">x &gt; y</text>"), std::string::npos) << svg;
    EXPECT_NE(svg.find("fill=\"#0040c0\""), std::string::npos); // the legend's swatch
    // The note goes in a strip under the 500 px picture (two lines of 16 px, padded), not over the truss.
    EXPECT_NE(svg.find("width=\"1000\" height=\"564\""), std::string::npos) << svg;
    EXPECT_NE(svg.find("<rect x=\"8\" y=\"508\""), std::string::npos) << svg;
}

// Qt sets the user's locale; a writer using printf would then write "12,5" and break every number.
TEST(SvgWriter, NumbersUseAPointInAnyLocale) {
    const std::string before = std::setlocale(LC_NUMERIC, nullptr);
    bool switched = false;
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "C.UTF-8"})
        if (std::setlocale(LC_NUMERIC, name)) {
            switched = true;
            break;
        }
    Scene s;
    s.lines.push_back({{0.25, 0}, {1, 1}, kMemberColour, 1.5, Role::Member, 1});
    const std::string svg = WriteSvg(s, {{0, 0, 10, 5}, 1000, {255, 255, 255}});
    std::setlocale(LC_NUMERIC, before.c_str());
    EXPECT_NE(svg.find("x1=\"25\" y1=\"500\" x2=\"100\" y2=\"400\" stroke=\"#0b0000\" stroke-width=\"1.5\""),
              std::string::npos)
        << svg;
    if (!switched) GTEST_LOG_(INFO) << "no other locale installed; checked in the C locale only";
}

// Every example in every view: a document that reads, with the items the view shows and the notes.
TEST(SvgWriter, ExamplesInEveryView) {
    for (const char* name :
         {"simple_bridge.sma", "roof_truss.sma", "bridge_girder.sma", "braced_frame.sma"}) {
        const project::ReadOutcome read =
            project::ReadProjectFile(std::string(VARLEN_EXAMPLES_DIR) + "/" + std::string(name));
        ASSERT_TRUE(read.project) << name;
        const analysis::Results r = test::AnalyseOrFail(*read.project);
        for (const View view : {View::Model, View::Deflected, View::Forces}) {
            const Scene s = BuildScene(*read.project, &r, view);
            const World w = WorldOf(*read.project);
            const std::string svg = WriteSvg(s, {{w.xMin, w.yMin, w.xMax, w.yMax}, 1200, kBackground});
            EXPECT_EQ(XmlProblem(svg), "") << name;
            // Every member and every arrow's shaft (the whole world is in view), and the rule above the
            // notes' strip.
            EXPECT_EQ(Count(svg, "<line"),
                      static_cast<int>(s.lines.size() + s.arrows.size()) + (s.notes.empty() ? 0 : 1))
                << name;
            EXPECT_EQ(Count(svg, "<circle"), static_cast<int>(s.circles.size()));
            if (view == View::Deflected) {
                EXPECT_NE(svg.find("Displacements x "), std::string::npos);
            }
            if (view == View::Forces) {
                EXPECT_NE(svg.find(">Compression</text>"), std::string::npos);
            }
        }
    }
}

TEST(SvgWriter, DegenerateViewsStillGiveADocument) {
    const Scene s = BuildScene(project::NewProject(), nullptr, View::Model);
    for (const ViewRect view : {ViewRect{0, 0, 0, 0}, ViewRect{1, 1, 0, 0}, ViewRect{0, 0, 1e300, 1e-300}}) {
        const std::string svg = WriteSvg(s, {view, 0, {255, 255, 255}});
        EXPECT_EQ(XmlProblem(svg), "");
        EXPECT_NE(svg.find("</svg>"), std::string::npos);
    }
}

} // namespace
} // namespace varlen::drawing
