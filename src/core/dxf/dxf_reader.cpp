#include "dxf/dxf_reader.h"

#include <charconv>
#include <cmath>

#include "io/message_text.h"

namespace varlen::dxf {
namespace {

std::string_view Trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    const std::size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

std::string Quoted(std::string_view text) {
    constexpr std::size_t kLongest = 40;
    const bool cut = text.size() > kLongest;
    return "\"" + io::EscapeForMessage(text.substr(0, kLongest)) + (cut ? "..." : "") + "\"";
}

// One code and its value, and the lines they stand on.
struct Pair {
    int code = 0;
    std::string_view value; // blanks kept: a text value is what it says
    int codeLine = 0;
    int valueLine = 0;
};

class PairReader {
public:
    explicit PairReader(std::string_view bytes) : m_bytes(bytes) {}

    // The next pair; nothing at the end of the file (blank lines at its very end included), or with
    // `problem` set when the file is damaged there.
    std::optional<Pair> Next(std::optional<project::Diagnostic>& problem) {
        const std::optional<std::string_view> codeText = NextLine();
        if (!codeText) return std::nullopt;
        Pair pair;
        pair.codeLine = m_line;
        const std::string_view code = Trimmed(*codeText);
        if (code.empty() && m_bytes.find_first_not_of(" \t\r\n", m_at) == std::string_view::npos)
            return std::nullopt;
        const auto [end, error] = std::from_chars(code.data(), code.data() + code.size(), pair.code);
        if (code.empty() || error != std::errc() || end != code.data() + code.size()) {
            problem = project::Diagnostic{m_line, "a group code (a whole number) was expected here, not " +
                                                      Quoted(*codeText)};
            return std::nullopt;
        }
        const std::optional<std::string_view> value = NextLine();
        if (!value) {
            problem = project::Diagnostic{pair.codeLine, "group code " + std::to_string(pair.code) +
                                                             " has no value: the file ends after it"};
            return std::nullopt;
        }
        pair.value = *value;
        pair.valueLine = m_line;
        return pair;
    }

private:
    std::optional<std::string_view> NextLine() {
        if (m_at >= m_bytes.size()) return std::nullopt;
        std::size_t end = m_bytes.find('\n', m_at);
        if (end == std::string_view::npos) end = m_bytes.size();
        std::string_view line = m_bytes.substr(m_at, end - m_at);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        m_at = end + 1;
        ++m_line;
        return line;
    }

    std::string_view m_bytes;
    std::size_t m_at = 0;
    int m_line = 0;
};

// A co-ordinate value: one finite number, blanks around it allowed.
std::optional<double> Coordinate(std::string_view text) {
    text = Trimmed(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty()) return std::nullopt;
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

const char* CoordinateName(int code) {
    switch (code) {
    case 10:
        return "the X of its start point (group code 10)";
    case 20:
        return "the Y of its start point (group code 20)";
    case 30:
        return "the Z of its start point (group code 30)";
    case 11:
        return "the X of its end point (group code 11)";
    case 21:
        return "the Y of its end point (group code 21)";
    default:
        return "the Z of its end point (group code 31)";
    }
}

// The index of a LINE's co-ordinate code in DrawnLine order (start X, Y, Z, end X, Y, Z), or -1.
int CoordinateIndex(int code) {
    switch (code) {
    case 10:
        return 0;
    case 20:
        return 1;
    case 30:
        return 2;
    case 11:
        return 3;
    case 21:
        return 4;
    case 31:
        return 5;
    default:
        return -1;
    }
}

// Entities that belong to the polyline or block reference before them.
bool IsPartOfPrevious(std::string_view kind) {
    return kind == "VERTEX" || kind == "SEQEND" || kind == "ATTRIB";
}

// The entity being read in the ENTITIES section.
class EntityReader {
public:
    explicit EntityReader(Drawing& drawing) : m_drawing(drawing) {}

    void Start(std::string_view kind, int line) {
        m_kind = std::string(Trimmed(kind));
        m_line = line;
        m_seen = 0;
        m_paperSpace = false;
        m_current = DrawnLine{};
        m_current.line = line;
    }

    // A pair inside the entity; a refusal when a co-ordinate of a LINE is not a number.
    std::optional<project::Diagnostic> Add(const Pair& pair) {
        if (m_kind != "LINE") return std::nullopt;
        if (pair.code == 67) {
            m_paperSpace = Trimmed(pair.value) == "1";
            return std::nullopt;
        }
        const int index = CoordinateIndex(pair.code);
        if (index < 0) return std::nullopt;
        const std::optional<double> value = Coordinate(pair.value);
        if (!value)
            return project::Diagnostic{pair.valueLine,
                                       std::string("the LINE that starts at line ") + std::to_string(m_line) +
                                           " has " + Quoted(pair.value) + " for " +
                                           CoordinateName(pair.code) + ", which is no number"};
        (index < 3 ? m_current.start : m_current.end)[static_cast<std::size_t>(index % 3)] = *value;
        m_seen |= 1u << index;
        return std::nullopt;
    }

    // The entity is complete: a LINE is kept, anything else counted. A LINE needs both X and Y of both
    // ends; a Z left out is 0, as DXF has it.
    std::optional<project::Diagnostic> Finish() {
        if (m_kind.empty()) return std::nullopt;
        const std::string kind = std::move(m_kind);
        m_kind.clear();
        if (kind != "LINE") {
            if (!IsPartOfPrevious(kind)) Count(kind);
            return std::nullopt;
        }
        for (int code : {10, 20, 11, 21})
            if ((m_seen & (1u << CoordinateIndex(code))) == 0)
                return project::Diagnostic{m_line,
                                           std::string("the LINE that starts here has no value for ") +
                                               CoordinateName(code)};
        if (m_paperSpace)
            Count("LINE in paper space");
        else
            m_drawing.lines.push_back(m_current);
        return std::nullopt;
    }

private:
    void Count(const std::string& kind) {
        for (auto& [name, count] : m_drawing.leftOut)
            if (name == kind) {
                ++count;
                return;
            }
        m_drawing.leftOut.emplace_back(kind, 1);
    }

    Drawing& m_drawing;
    std::string m_kind;
    int m_line = 0;
    unsigned m_seen = 0;
    bool m_paperSpace = false;
    DrawnLine m_current;
};

DrawingOutcome Refused(project::Diagnostic problem) {
    DrawingOutcome outcome;
    outcome.problem = std::move(problem);
    return outcome;
}

} // namespace

DrawingOutcome ReadDrawing(std::string_view bytes) {
    if (bytes.rfind("AutoCAD Binary DXF", 0) == 0)
        return Refused({1, "this is a binary DXF file; save the drawing as an ASCII (text) DXF file"});
    if (bytes.rfind("\xEF\xBB\xBF", 0) == 0) bytes.remove_prefix(3);
    if (bytes.find_first_not_of(" \t\r\n") == std::string_view::npos)
        return Refused({0, "the file is empty"});

    Drawing drawing;
    EntityReader entity(drawing);
    PairReader reader(bytes);
    enum class Where { Outside, SectionName, Header, Entities, OtherSection };
    Where where = Where::Outside;
    bool unitsNext = false;
    std::optional<project::Diagnostic> problem;
    while (const std::optional<Pair> pair = reader.Next(problem)) {
        const std::string_view value = Trimmed(pair->value);
        if (pair->code == 0 && value == "EOF") break;
        switch (where) {
        case Where::Outside:
            if (pair->code == 0 && value == "SECTION") where = Where::SectionName;
            break;
        case Where::SectionName:
            if (pair->code != 2)
                return Refused({pair->codeLine, "a section's name (group code 2) was expected after SECTION, "
                                                "not group code " +
                                                    std::to_string(pair->code)});
            if (value == "HEADER") {
                where = Where::Header;
            } else if (value == "ENTITIES") {
                where = Where::Entities;
                drawing.hasEntities = true;
            } else {
                where = Where::OtherSection;
            }
            break;
        case Where::Header:
            if (pair->code == 0 && value == "ENDSEC") {
                where = Where::Outside;
            } else if (pair->code == 9) {
                unitsNext = value == "$INSUNITS";
            } else if (unitsNext && pair->code == 70) {
                int units = 0;
                const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), units);
                if (value.empty() || error != std::errc() || end != value.data() + value.size())
                    return Refused(
                        {pair->valueLine, "$INSUNITS takes a whole number, not " + Quoted(pair->value)});
                drawing.units = units;
                unitsNext = false;
            }
            break;
        case Where::Entities:
            if (pair->code == 0) {
                if (std::optional<project::Diagnostic> refused = entity.Finish()) return Refused(*refused);
                if (value == "ENDSEC")
                    where = Where::Outside;
                else
                    entity.Start(pair->value, pair->valueLine);
            } else if (std::optional<project::Diagnostic> refused = entity.Add(*pair)) {
                return Refused(*refused);
            }
            break;
        case Where::OtherSection:
            if (pair->code == 0 && value == "ENDSEC") where = Where::Outside;
            break;
        }
    }
    if (problem) return Refused(*problem);
    // A file cut short after its last entity keeps it.
    if (std::optional<project::Diagnostic> refused = entity.Finish()) return Refused(*refused);
    DrawingOutcome outcome;
    outcome.drawing = std::move(drawing);
    return outcome;
}

} // namespace varlen::dxf
