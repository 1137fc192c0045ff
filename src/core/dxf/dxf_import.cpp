#include "dxf/dxf_import.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <unordered_map>
#include <vector>

#include "io/text_file.h"
#include "project/number_text.h"

namespace varlen::dxf {
namespace {

// What an imported joint is called until the user names it ("Gridline ??/??"; escaped, as "??/" is a
// trigraph to the compiler's warnings).
constexpr const char* kJointText = "Gridline ?\?/?\?";
// Metres across beyond which a drawing that states no units is more likely millimetres than a truss.
constexpr double kLargeDrawing = 1000;

// The length the header's $INSUNITS names, in metres: value x multiplier x 10^power, the power done
// on the decimal digits so that 2500 mm gives exactly 2.5 and 100 inches exactly 2.54.
struct Units {
    const char* name = "metres";
    double multiplier = 1;
    int power = 0;
    bool known = true;
    [[nodiscard]] bool Converted() const { return known && (multiplier != 1 || power != 0); }
};

Units UnitsOf(const std::optional<int>& code) {
    if (!code || *code == 0) return {"no units (taken as metres)"};
    switch (*code) {
    case 1:
        return {"inches", 254, -4};
    case 2:
        return {"feet", 3048, -4};
    case 4:
        return {"millimetres", 1, -3};
    case 5:
        return {"centimetres", 1, -2};
    case 6:
        return {"metres"};
    case 7:
        return {"kilometres", 1, 3};
    case 10:
        return {"yards", 9144, -4};
    case 14:
        return {"decimetres", 1, -1};
    default:
        return {"a unit Varlen does not convert (taken as metres)", 1, 0, false};
    }
}

// Infinite when the length in metres is beyond the largest double (kilometres near it).
double InMetres(double value, const Units& units) {
    const double scaled = value * units.multiplier;
    if (!std::isfinite(scaled)) // 1e307 inches: the multiplier overflows where the metres would not
        return project::ScaleByPowerOfTen(value, units.power) * units.multiplier;
    return units.power == 0 ? scaled : project::ScaleByPowerOfTen(scaled, units.power);
}

// Cells to the first joint of their chain, in one open-addressed array: a look-up is one or two reads
// of adjacent memory, where a node-based map costs a cache miss a node.
class CellMap {
public:
    explicit CellMap(std::size_t entries) {
        std::size_t size = 16;
        while (size < 2 * entries)
            size *= 2;
        m_keys.resize(size);
        m_heads.resize(size, 0);
        m_mask = size - 1;
    }
    // The chain's first joint, or 0 when the cell holds none.
    [[nodiscard]] int Head(std::uint64_t key) const {
        for (std::size_t at = Slot(key);; at = (at + 1) & m_mask) {
            if (m_heads[at] == 0) return 0;
            if (m_keys[at] == key) return m_heads[at];
        }
    }
    // The chain's first joint, to be set; grows the array when half full.
    int& Head(std::uint64_t key) {
        if (2 * (m_used + 1) > m_keys.size()) Grow();
        for (std::size_t at = Slot(key);; at = (at + 1) & m_mask) {
            if (m_heads[at] == 0) {
                m_keys[at] = key;
                ++m_used;
                return m_heads[at];
            }
            if (m_keys[at] == key) return m_heads[at];
        }
    }

private:
    [[nodiscard]] std::size_t Slot(std::uint64_t key) const {
        key ^= key >> 31; // the finaliser of splitmix64
        key *= 0xBF58476D1CE4E5B9ull;
        key ^= key >> 27;
        return static_cast<std::size_t>(key) & m_mask;
    }
    void Grow() {
        CellMap bigger(m_keys.size());
        for (std::size_t at = 0; at < m_keys.size(); ++at)
            if (m_heads[at] != 0) bigger.Head(m_keys[at]) = m_heads[at];
        *this = std::move(bigger);
    }

    std::vector<std::uint64_t> m_keys;
    std::vector<int> m_heads; // 0: an empty slot (joints are numbered from 1)
    std::size_t m_mask = 0;
    std::size_t m_used = 0;
};

// The joints made so far, found by position: a grid of cells much wider than the tolerance, so a point's
// matches lie in its own cell, or also in a neighbour when the point is within the tolerance of that
// side, which is rare: most points cost one look-up.
class JointIndex {
public:
    JointIndex(double tolerance, double largest, std::size_t points)
        : m_tolerance(tolerance), m_heads(points) {
        // Cell numbers stay well inside 64 bits whatever the co-ordinates' size.
        m_cell = std::max({16 * tolerance, largest * 0x1p-40, std::numeric_limits<double>::min()});
        m_u.reserve(points + 1);
        m_v.reserve(points + 1);
        m_next.reserve(points + 1);
    }

    // The lowest-numbered joint within the tolerance in both co-ordinates, or 0.
    int Find(double u, double v) const {
        const double su = u / m_cell, sv = v / m_cell;
        const double fu = std::floor(su), fv = std::floor(sv);
        const auto cu = static_cast<std::int64_t>(fu), cv = static_cast<std::int64_t>(fv);
        // Twice the tolerance, so that rounding in the division never hides a neighbour.
        const double near = 2 * m_tolerance / m_cell;
        const std::int64_t fromU = su - fu <= near ? -1 : 0, toU = fu + 1 - su <= near ? 1 : 0;
        const std::int64_t fromV = sv - fv <= near ? -1 : 0, toV = fv + 1 - sv <= near ? 1 : 0;
        int found = 0;
        for (std::int64_t du = fromU; du <= toU; ++du)
            for (std::int64_t dv = fromV; dv <= toV; ++dv) {
                for (int j = m_heads.Head(Key(cu + du, cv + dv)); j != 0;
                     j = m_next[static_cast<std::size_t>(j)]) {
                    const auto at = static_cast<std::size_t>(j);
                    if (std::fabs(m_u[at] - u) <= m_tolerance && std::fabs(m_v[at] - v) <= m_tolerance &&
                        (found == 0 || j < found))
                        found = j;
                }
            }
        return found;
    }

    int Add(double u, double v) {
        const int joint = static_cast<int>(m_u.size());
        m_u.push_back(u);
        m_v.push_back(v);
        int& head = m_heads.Head(Key(Cell(u), Cell(v)));
        m_next.push_back(head);
        head = joint;
        return joint;
    }

    [[nodiscard]] int Count() const { return static_cast<int>(m_u.size()) - 1; }

private:
    std::int64_t Cell(double value) const { return static_cast<std::int64_t>(std::floor(value / m_cell)); }
    static std::uint64_t Key(std::int64_t u, std::int64_t v) {
        return static_cast<std::uint64_t>(u) * 0x9E3779B97F4A7C15ull ^ static_cast<std::uint64_t>(v);
    }

    double m_tolerance = 0;
    double m_cell = 1;
    CellMap m_heads;
    // Joint j at index j; index 0 is no joint and ends every chain.
    std::vector<double> m_u{0.0}, m_v{0.0};
    std::vector<int> m_next{0};
};

std::string Counted(int count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

// "the LINE at line 12" / "the LINEs at lines 12, 40, 57 and 3 more"
std::string AtLines(const std::vector<int>& lines) {
    constexpr std::size_t kShown = 8;
    std::string text = lines.size() == 1 ? "the LINE at line " : "the LINEs at lines ";
    for (std::size_t i = 0; i < lines.size() && i < kShown; ++i)
        text += (i == 0 ? "" : ", ") + std::to_string(lines[i]);
    if (lines.size() > kShown) text += " and " + std::to_string(lines.size() - kShown) + " more";
    return text;
}

struct Doubled {
    int first = 0, again = 0; // member numbers
    int jointI = 0, jointJ = 0;
};

ImportOutcome Refused(project::Diagnostic problem) {
    ImportOutcome outcome;
    outcome.problem = std::move(problem);
    return outcome;
}

} // namespace

ImportOutcome ImportDrawing(const Drawing& drawing, Plane plane) {
    if (!drawing.hasEntities)
        return Refused({0, "the drawing has no ENTITIES section, so it holds no lines to import"});
    if (drawing.lines.empty()) {
        std::string held;
        for (const auto& [kind, count] : drawing.leftOut)
            held += (held.empty() ? " (it holds " : ", ") + std::to_string(count) + " " + kind;
        return Refused({0, "the drawing has no LINE in its ENTITIES section" +
                               (held.empty() ? "" : held + ")") + "; only LINE entities become members"});
    }
    const Units units = UnitsOf(drawing.units);
    // The plane's two co-ordinates (u, v) and the one left out (w), in metres.
    const int vAxis = plane == Plane::XY ? 1 : 2, wAxis = plane == Plane::XY ? 2 : 1;
    struct Ends {
        double su, sv, eu, ev;
    };
    std::vector<Ends> ends;
    ends.reserve(drawing.lines.size());
    double lowU = INFINITY, highU = -INFINITY, lowV = INFINITY, highV = -INFINITY;
    double lowW = INFINITY, highW = -INFINITY;
    for (const DrawnLine& line : drawing.lines) {
        const Ends e{InMetres(line.start[0], units), InMetres(line.start[vAxis], units),
                     InMetres(line.end[0], units), InMetres(line.end[vAxis], units)};
        const double sw = InMetres(line.start[wAxis], units), ew = InMetres(line.end[wAxis], units);
        // An infinite co-ordinate would make every tolerance infinite and every cell number undefined.
        if (!std::isfinite(e.su) || !std::isfinite(e.sv) || !std::isfinite(e.eu) || !std::isfinite(e.ev) ||
            !std::isfinite(sw) || !std::isfinite(ew))
            return Refused(
                {line.line, "the LINE that starts here lies beyond the largest number Varlen holds "
                            "once its " +
                                std::string(units.name) + " are converted to metres"});
        ends.push_back(e);
        lowU = std::min({lowU, e.su, e.eu});
        highU = std::max({highU, e.su, e.eu});
        lowV = std::min({lowV, e.sv, e.ev});
        highV = std::max({highV, e.sv, e.ev});
        lowW = std::min({lowW, sw, ew});
        highW = std::max({highW, sw, ew});
    }
    const double largest = std::max({std::fabs(lowU), std::fabs(highU), std::fabs(lowV), std::fabs(highV)});
    double size = std::max(highU - lowU, highV - lowV);
    if (!std::isfinite(size)) size = largest;
    const double tolerance = kRelativeTolerance * size;

    JointIndex joints(tolerance, largest, 2 * ends.size());
    project::Project project = project::NewProject();
    project::Table& jointTable = project.joints;
    jointTable.SetRowCount(1);
    // A new joint's row holds the point that made it; later points within the tolerance join it.
    std::string x, y;
    const auto jointAt = [&](double u, double v) {
        if (const int found = joints.Find(u, v)) return found;
        const int joint = joints.Add(u, v);
        x = project::FormatGeneral(u);
        y = project::FormatGeneral(v);
        const std::string row = std::to_string(joint);
        jointTable.SetRowCount(joint + 1);
        jointTable.SetRow(joint, {"", row, x, y, kJointText, "0", "0", "None"});
        return joint;
    };
    project::Table& members = project.members;
    members.SetRowCount(1);
    members.SetRowCount(static_cast<int>(ends.size()) + 1);
    std::vector<int> zeroLength;
    std::vector<Doubled> doubled;
    std::unordered_map<std::uint64_t, int> memberOf; // the joint pair, lower first, to its first member
    memberOf.reserve(ends.size());
    int memberCount = 0;
    std::string number, jointI, jointJ;
    for (std::size_t k = 0; k < ends.size(); ++k) {
        const Ends& e = ends[k];
        if (std::fabs(e.su - e.eu) <= tolerance && std::fabs(e.sv - e.ev) <= tolerance) {
            zeroLength.push_back(drawing.lines[k].line);
            continue;
        }
        const int i = jointAt(e.su, e.sv);
        const int j = jointAt(e.eu, e.ev);
        if (i == j) { // two joints closer than the tolerance to both ends of a line shorter than it
            zeroLength.push_back(drawing.lines[k].line);
            continue;
        }
        ++memberCount;
        const std::uint64_t pair =
            static_cast<std::uint64_t>(std::min(i, j)) << 32 | static_cast<std::uint32_t>(std::max(i, j));
        if (const auto [at, fresh] = memberOf.try_emplace(pair, memberCount); !fresh)
            doubled.push_back({at->second, memberCount, i, j});
        number = std::to_string(memberCount);
        jointI = std::to_string(i);
        jointJ = std::to_string(j);
        members.SetRow(memberCount, {"", number, jointI, jointJ, "1", "1", "None"});
    }
    members.SetRowCount(memberCount + 1);
    if (memberCount == 0)
        return Refused({0,
                        "every LINE in the drawing has zero length (its two ends are one point), so there is "
                        "no member to import"});

    ImportOutcome outcome;
    outcome.joints = joints.Count();
    outcome.members = memberCount;
    const char* planeName = plane == Plane::XY ? "X-Y" : "X-Z";
    const char* wName = plane == Plane::XY ? "Z" : "Y";
    std::string& m = outcome.message;
    m = "Imported " + Counted(outcome.joints, "joint", "joints") + " and " +
        Counted(memberCount, "member", "members") + " from " +
        Counted(static_cast<int>(drawing.lines.size()), "line", "lines") + " in the " + planeName +
        " plane.\n";
    m += "Drawing units: " + std::string(units.name) + (units.Converted() ? ", converted to metres" : "");
    if (drawing.units && !units.known) m += " ($INSUNITS " + std::to_string(*drawing.units) + ")";
    m += ".\n";
    // An exported drawing, and many others, are in millimetres without saying so.
    if ((!drawing.units || *drawing.units == 0) && size >= kLargeDrawing)
        m += "The drawing is " + project::FormatGeneral(size) +
             " m across: if it was drawn in millimetres, set its units to millimetres in the CAD program "
             "($INSUNITS 4) and import it again.\n";
    if (!drawing.leftOut.empty()) {
        m += "Left out, as only LINE entities become members:";
        for (std::size_t i = 0; i < drawing.leftOut.size(); ++i)
            m += (i == 0 ? " " : ", ") + std::to_string(drawing.leftOut[i].second) + " " +
                 drawing.leftOut[i].first;
        m += ".\n";
    }
    if (!zeroLength.empty())
        m += "Skipped " + Counted(static_cast<int>(zeroLength.size()), "line", "lines") +
             " of zero length (both ends one point): " + AtLines(zeroLength) + ".\n";
    if (!doubled.empty()) {
        constexpr std::size_t kShown = 8;
        m += "Drawn twice: ";
        for (std::size_t i = 0; i < doubled.size() && i < kShown; ++i) {
            const Doubled& d = doubled[i];
            m += (i == 0 ? "" : "; ") + std::string("members ") + std::to_string(d.first) + " and " +
                 std::to_string(d.again) + " both join joints " +
                 std::to_string(std::min(d.jointI, d.jointJ)) + " and " +
                 std::to_string(std::max(d.jointI, d.jointJ));
        }
        if (doubled.size() > kShown) m += "; and " + std::to_string(doubled.size() - kShown) + " more";
        m += ". Both members of a pair are kept.\n";
    }
    if (highW - lowW > tolerance)
        m += "The lines do not all lie in one " + std::string(planeName) + " plane: " + wName +
             " runs from " + project::FormatGeneral(lowW) + " m to " + project::FormatGeneral(highW) +
             " m and was left out.\n";
    m += "Every member uses material 1 and cross-section 1, and every joint is free: enter the materials, "
         "cross-sections, supports and loads before analysing.";
    outcome.project = std::move(project);
    return outcome;
}

ImportOutcome ImportDXF(std::string_view bytes, Plane plane) {
    DrawingOutcome read = ReadDrawing(bytes);
    if (!read.drawing) return Refused(std::move(read.problem));
    return ImportDrawing(*read.drawing, plane);
}

ImportOutcome ImportDXFFile(const std::filesystem::path& path, Plane plane) {
    io::FileText file = io::ReadWholeFile(path);
    if (!file.bytes)
        return Refused(
            {0, file.outOfMemory ? "there is not enough memory to read this drawing" : file.error});
    return ImportDXF(*file.bytes, plane);
}

} // namespace varlen::dxf
