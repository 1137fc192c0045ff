#include "drawing/svg_writer.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <numbers>

#include "report/xml_writer.h"

namespace varlen::drawing {
namespace {

// Numbers through to_chars: the C locale's point whatever locale the program runs in (Qt sets the
// user's, where printf could write "12,5").
void AppendNumber(std::string& out, double value) {
    if (!std::isfinite(value)) value = 0;
    if (std::abs(value) < 0.005) value = 0; // no "-0"
    std::array<char, 64> buffer{};
    const auto written =
        std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::fixed, 2);
    const char* end = written.ptr;
    while (end[-1] == '0')
        --end;
    if (end[-1] == '.') --end;
    out.append(buffer.data(), static_cast<std::size_t>(end - buffer.data()));
}

void AppendColour(std::string& out, Colour c) {
    static constexpr char kHex[] = "0123456789abcdef";
    out += '#';
    for (const std::uint8_t v : {c.r, c.g, c.b}) {
        out += kHex[v >> 4];
        out += kHex[v & 15];
    }
}

// Texts are the tables' own (descriptions in old files may be Windows-1252): the report's XML escaping
// makes any of them a valid SVG text.
void AppendEscaped(std::string& out, std::string_view text) {
    out += report::EscapeXml(text);
}

class Writer {
public:
    explicit Writer(const SvgOptions& options)
        : m_view(options.view), m_scale(options.widthPx / (options.view.x2 - options.view.x1)) {}

    [[nodiscard]] double Scale() const { return m_scale; }
    // World to picture: pixels from the top-left corner, y down.
    [[nodiscard]] Point ToPx(Point p) const {
        return {(p.x - m_view.x1) * m_scale, (m_view.y2 - p.y) * m_scale};
    }

    void Attr(const char* name, double value) {
        m_out += ' ';
        m_out += name;
        m_out += "=\"";
        AppendNumber(m_out, value);
        m_out += '"';
    }
    void Attr(const char* name, Colour value) {
        m_out += ' ';
        m_out += name;
        m_out += "=\"";
        AppendColour(m_out, value);
        m_out += '"';
    }
    void Attr(const char* name, std::string_view value) {
        m_out += ' ';
        m_out += name;
        m_out += "=\"";
        AppendEscaped(m_out, value);
        m_out += '"';
    }
    void Points(const std::vector<Point>& points) {
        m_out += " points=\"";
        for (std::size_t k = 0; k < points.size(); ++k) {
            if (k) m_out += ' ';
            AppendNumber(m_out, points[k].x);
            m_out += ',';
            AppendNumber(m_out, points[k].y);
        }
        m_out += '"';
    }

    void LineSegment(Point a, Point b, Colour colour, double widthPx) {
        m_out += "<line";
        Attr("x1", a.x);
        Attr("y1", a.y);
        Attr("x2", b.x);
        Attr("y2", b.y);
        Attr("stroke", colour);
        Attr("stroke-width", widthPx);
        m_out += " stroke-linecap=\"round\"/>\n";
    }

    void Polygon(const std::vector<Point>& px, Colour stroke, std::optional<Colour> fill, double widthPx) {
        m_out += "<polygon";
        Points(px);
        if (fill)
            Attr("fill", *fill);
        else
            m_out += " fill=\"none\"";
        Attr("stroke", stroke);
        Attr("stroke-width", widthPx);
        m_out += " stroke-linejoin=\"round\"/>\n";
    }

    void Draw(const Line& l) { LineSegment(ToPx(l.a), ToPx(l.b), l.colour, l.widthPx); }

    void Draw(const Circle& c) {
        const Point p = ToPx(c.centre);
        m_out += "<circle";
        Attr("cx", p.x);
        Attr("cy", p.y);
        // Never thinner than a hair, so a joint still shows when zoomed far out.
        Attr("r", std::max(c.radius * m_scale, 0.5));
        m_out += " fill=\"none\"";
        Attr("stroke", c.colour);
        m_out += "/>\n";
    }

    void Draw(const Symbol& s) {
        const Point at = ToPx(s.at);
        std::vector<Point> px;
        px.reserve(s.outlinePx.size());
        for (const Point& o : s.outlinePx)
            px.push_back({at.x + o.x, at.y - o.y});
        Polygon(px, s.colour, s.fill, 1);
    }

    // The head is a filled triangle 10 px long; the shaft stops at its base so a wide line does not poke
    // through the point.
    void Draw(const Arrow& a) {
        const Point tip = ToPx(a.tip);
        const double length = std::hypot(a.direction.x, a.direction.y);
        if (!(length > 0)) return;
        const Point d{a.direction.x / length, -a.direction.y / length}; // screen, y down
        const Point n{-d.y, d.x};
        const double head = std::min(10.0, a.lengthPx), half = 4 + a.widthPx;
        const Point base{tip.x - d.x * head, tip.y - d.y * head};
        const Point tail{tip.x - d.x * a.lengthPx, tip.y - d.y * a.lengthPx};
        if (a.lengthPx > head) LineSegment(tail, base, a.colour, a.widthPx);
        Polygon({tip, {base.x + n.x * half, base.y + n.y * half}, {base.x - n.x * half, base.y - n.y * half}},
                a.colour, a.colour, 1);
    }

    void Draw(const Text& t) {
        const Point at = ToPx(t.at);
        // The anchor picks the text's horizontal alignment and where its baseline sits below its top
        // (0.8 of the height), its middle (0.35) or above its bottom (0.2, the descent).
        const char* align = "start";
        double baseline = 0.8 * t.heightPx;
        switch (t.anchor) {
        case Anchor::TopLeft:
            break;
        case Anchor::BottomLeft:
            baseline = -0.2 * t.heightPx;
            break;
        case Anchor::Centre:
            align = "middle";
            baseline = 0.35 * t.heightPx;
            break;
        case Anchor::BottomCentre:
            align = "middle";
            baseline = -0.2 * t.heightPx;
            break;
        case Anchor::TopRight:
            align = "end";
            break;
        case Anchor::BottomRight:
            align = "end";
            baseline = -0.2 * t.heightPx;
            break;
        }
        m_out += "<text x=\"0\"";
        Attr("y", baseline);
        m_out += " transform=\"translate(";
        AppendNumber(m_out, at.x + t.offsetPx.x);
        m_out += ',';
        AppendNumber(m_out, at.y - t.offsetPx.y);
        m_out += ") rotate(";
        AppendNumber(m_out, -t.angleDegrees); // SVG turns clockwise, y being down
        m_out += ")\"";
        Attr("font-size", t.heightPx);
        if (t.bold) m_out += " font-weight=\"bold\"";
        Attr("text-anchor", align);
        Attr("fill", t.colour);
        m_out += " xml:space=\"preserve\">";
        AppendEscaped(m_out, t.text);
        m_out += "</text>\n";
    }

    struct NoteSize {
        double width = 0, height = 0, textLeft = 0;
    };
    static constexpr double kNoteLine = 16, kNotePad = 8, kSwatch = 12, kNoteFont = 12;
    static NoteSize SizeOf(const CornerNote& note) {
        bool anySwatch = false;
        std::size_t longest = 0;
        for (std::size_t k = 0; k < note.lines.size(); ++k) {
            longest = std::max(longest, note.lines[k].size());
            anySwatch = anySwatch || (k < note.swatches.size() && note.swatches[k]);
        }
        const double textLeft = anySwatch ? kSwatch + 6 : 0;
        return {textLeft + static_cast<double>(longest) * kNoteFont * 0.6 + 2 * kNotePad,
                static_cast<double>(note.lines.size()) * kNoteLine + 2 * kNotePad, textLeft};
    }

    // A note in a box whose top-left corner is at (left, upper), in pixels.
    void Draw(const CornerNote& note, double left, double upper) {
        constexpr double kLine = kNoteLine, kPad = kNotePad, kFont = kNoteFont;
        const NoteSize size = SizeOf(note);
        const double textLeft = size.textLeft, boxWidth = size.width, boxHeight = size.height;
        m_out += "<g>\n<rect";
        Attr("x", left);
        Attr("y", upper);
        Attr("width", boxWidth);
        Attr("height", boxHeight);
        m_out += " fill=\"#ffffff\" fill-opacity=\"0.85\" stroke=\"#808080\"/>\n";
        for (std::size_t k = 0; k < note.lines.size(); ++k) {
            const double rowTop = upper + kPad + static_cast<double>(k) * kLine;
            if (k < note.swatches.size() && note.swatches[k]) {
                m_out += "<rect";
                Attr("x", left + kPad);
                Attr("y", rowTop + (kLine - kSwatch) / 2);
                Attr("width", kSwatch);
                Attr("height", kSwatch);
                Attr("fill", *note.swatches[k]);
                m_out += "/>\n";
            }
            m_out += "<text";
            Attr("x", left + kPad + textLeft);
            Attr("y", rowTop + kLine * 0.75);
            Attr("font-size", kFont);
            m_out += " fill=\"#000000\" xml:space=\"preserve\">";
            AppendEscaped(m_out, note.lines[k]);
            m_out += "</text>\n";
        }
        m_out += "</g>\n";
    }

    std::string& Out() { return m_out; }

private:
    ViewRect m_view;
    double m_scale;
    std::string m_out;
};

} // namespace

std::string WriteSvg(const Scene& scene, const SvgOptions& options) {
    SvgOptions o = options;
    if (!(o.view.x2 > o.view.x1) || !(o.view.y2 > o.view.y1) || !std::isfinite(o.view.x2 - o.view.x1) ||
        !std::isfinite(o.view.y2 - o.view.y1))
        o.view = {0, 0, 1, 1};
    o.widthPx = std::clamp(o.widthPx, 1, 100000);
    const double aspect = (o.view.y2 - o.view.y1) / (o.view.x2 - o.view.x1);
    const int height = static_cast<int>(std::clamp(std::lround(o.widthPx * aspect), 1L, 100000L));
    // The notes (the deflection scale, the force legend) go side by side in a strip under the picture,
    // where they cannot hide a support or a member in a corner of the truss.
    double strip = 0;
    for (const CornerNote& note : scene.notes)
        strip = std::max(strip, Writer::SizeOf(note).height + 2 * Writer::kNotePad);
    const double total = height + strip;

    Writer w(o);
    std::string& out = w.Out();
    out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    out += "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\"";
    w.Attr("width", o.widthPx);
    w.Attr("height", total);
    out += " viewBox=\"0 0 ";
    AppendNumber(out, o.widthPx);
    out += ' ';
    AppendNumber(out, total);
    out += "\" font-family=\"sans-serif\">\n<rect x=\"0\" y=\"0\"";
    w.Attr("width", o.widthPx);
    w.Attr("height", total);
    w.Attr("fill", o.background);
    // In <defs>, so that a renderer without clipping (Qt's SVG Tiny) skips it rather than painting it.
    out += "/>\n<defs><clipPath id=\"view\"><rect x=\"0\" y=\"0\"";
    w.Attr("width", o.widthPx);
    w.Attr("height", height);
    out += "/></clipPath></defs>\n<g clip-path=\"url(#view)\">\n";

    const Visible visible = VisibleItems(scene, o.view, w.Scale());
    out += "<g id=\"members\">\n";
    for (const int k : visible.lines)
        w.Draw(scene.lines[static_cast<std::size_t>(k)]);
    out += "</g>\n<g id=\"joints\">\n";
    for (const int k : visible.circles)
        w.Draw(scene.circles[static_cast<std::size_t>(k)]);
    out += "</g>\n<g id=\"symbols\">\n";
    for (const int k : visible.symbols)
        w.Draw(scene.symbols[static_cast<std::size_t>(k)]);
    out += "</g>\n<g id=\"arrows\">\n";
    for (const int k : visible.arrows)
        w.Draw(scene.arrows[static_cast<std::size_t>(k)]);
    out += "</g>\n<g id=\"texts\">\n";
    for (const int k : visible.texts)
        w.Draw(scene.texts[static_cast<std::size_t>(k)]);
    out += "</g>\n</g>\n";
    if (!scene.notes.empty()) {
        out += "<line x1=\"0\"";
        w.Attr("y1", height);
        w.Attr("x2", o.widthPx);
        w.Attr("y2", height);
        out += " stroke=\"#808080\"/>\n";
    }
    double left = Writer::kNotePad;
    for (const CornerNote& note : scene.notes) {
        w.Draw(note, left, height + Writer::kNotePad);
        left += Writer::SizeOf(note).width + Writer::kNotePad;
    }
    out += "</svg>\n";
    return std::move(out);
}

} // namespace varlen::drawing
