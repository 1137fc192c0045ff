#include "project/sma_format.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <vector>

#include "io/message_text.h"
#include "project/number_text.h"

namespace varlen::project {
namespace {

constexpr std::array<int, kSmaSectionKinds> kNumericFields = {2, 3, 1, 1, 4, 3, 1, 3, 1, 2};
constexpr std::array<const char*, kSmaSectionKinds> kSectionNames = {
    "joints",      "supports",   "materials",  "cross-sections",    "members",
    "joint loads", "load cases", "case loads", "load combinations", "factors"};
constexpr std::array<const char*, kSmaSectionKinds> kRecordNames = {
    "joint",      "support",   "material",   "cross-section", "member",
    "joint load", "load case", "joint load", "combination",   "factor"};
constexpr std::array<std::array<const char*, 4>, kSmaSectionKinds> kFieldNames = {{
    {"X", "Y", "", ""},
    {"joint number", "restraint X", "restraint Y", ""},
    {"Young's modulus", "", "", ""},
    {"area", "", "", ""},
    {"joint i", "joint j", "material", "cross-section"},
    {"joint number", "Fx", "Fy", ""},
    {"number of loads", "", "", ""},
    {"joint number", "Fx", "Fy", ""},
    {"number of factors", "", "", ""},
    {"load case", "factor", "", ""},
}};

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

// Splits one line into comma-separated fields the way the file's writer frames them: blanks before a
// field are skipped; a field that opens with a double quote runs to the next double quote (commas
// inside belong to it) and anything after that quote up to the next comma is dropped; any other field
// runs to the next comma, less trailing blanks. Returns false when the line has more than `max` fields.
bool SplitFields(std::string_view line, std::vector<std::string_view>& fields, std::size_t max) {
    fields.clear();
    std::size_t i = 0;
    while (true) {
        while (i < line.size() && IsBlank(line[i]))
            ++i;
        std::string_view field;
        if (i < line.size() && line[i] == '"') {
            const std::size_t close = line.find('"', i + 1);
            if (close == std::string_view::npos) {
                field = line.substr(i + 1);
                i = line.size();
            } else {
                field = line.substr(i + 1, close - i - 1);
                i = close + 1;
            }
            const std::size_t comma = line.find(',', i);
            i = comma == std::string_view::npos ? line.size() : comma;
        } else {
            const std::size_t comma = line.find(',', i);
            const std::size_t end = comma == std::string_view::npos ? line.size() : comma;
            field = Trim(line.substr(i, end - i));
            i = end;
        }
        if (fields.size() == max) return false;
        fields.push_back(field);
        if (i >= line.size()) return true;
        ++i; // past the comma: a field follows, even an empty one
    }
}

// A numeric field: the whole text must be one number (an empty field is 0).
bool ParseNumber(std::string_view text, double& value) {
    if (text.empty()) {
        value = 0.0;
        return true;
    }
    // The writer's own form reads with from_chars alone; anything else (a "+", a "D" exponent)
    // goes through the cell reading's rules.
    auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec == std::errc() && ptr == text.data() + text.size()) return std::isfinite(value);
    if (!IsWholeNumber(text)) return false;
    value = ReadNumber(text);
    return std::isfinite(value);
}

class LineReader {
public:
    explicit LineReader(std::string_view bytes) : m_bytes(bytes) {}
    // The next line without its line end; false at the end of the text.
    bool Next(std::string_view& line) {
        if (m_pos >= m_bytes.size()) return false;
        std::size_t end = m_bytes.find('\n', m_pos);
        if (end == std::string_view::npos) end = m_bytes.size();
        line = m_bytes.substr(m_pos, end - m_pos);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        m_pos = end + 1;
        ++m_line;
        return true;
    }
    [[nodiscard]] int LineNumber() const { return m_line; }

private:
    std::string_view m_bytes;
    std::size_t m_pos = 0;
    int m_line = 0;
};

// A file's text in a message: its first bytes, every control character shown as \xHH, so a NUL or an
// escape sequence in a damaged file neither cuts the message short nor drives the terminal.
std::string Quoted(std::string_view text) {
    constexpr std::size_t kShown = 40;
    std::string shown = io::EscapeForMessage(text.substr(0, kShown));
    if (text.size() > kShown) shown += "...";
    return "\"" + shown + "\"";
}

} // namespace

int NumericFieldCount(SmaSection section) {
    return kNumericFields[static_cast<std::size_t>(section)];
}
const char* SectionName(SmaSection section) {
    return kSectionNames[static_cast<std::size_t>(section)];
}
const char* RecordName(SmaSection section) {
    return kRecordNames[static_cast<std::size_t>(section)];
}
const char* FieldName(SmaSection section, int index) {
    return kFieldNames[static_cast<std::size_t>(section)][static_cast<std::size_t>(index)];
}

std::string Diagnostic::ToString() const {
    return line > 0 ? "line " + std::to_string(line) + ": " + message : message;
}

namespace {

// A count announced before records: a whole number from 0 to the lines the file has (a count beyond
// them cannot be right, and must not size anything either).
std::optional<int> ReadCount(std::string_view text, std::size_t roughLines) {
    const std::string_view t = Trim(text);
    int count = 0;
    auto [ptr, ec] = std::from_chars(t.data(), t.data() + t.size(), count);
    if (t.empty() || ec != std::errc() || ptr != t.data() + t.size() || count < 0 ||
        static_cast<std::size_t>(count) > roughLines)
        return std::nullopt;
    return count;
}

class Parser {
public:
    Parser(std::string_view bytes, SmaSink& sink)
        : m_reader(bytes), m_sink(sink),
          m_roughLines(static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\n')) + 1) {
        m_fields.reserve(8);
    }

    std::optional<Diagnostic> Parse() {
        for (int t = 0; t < kTitleLineCount; ++t) {
            if (!m_reader.Next(m_line))
                return Diagnostic{m_reader.LineNumber() + 1,
                                  "the file ends inside the title block: five title lines "
                                  "were expected, " +
                                      std::to_string(t) + " found"};
            if (!SplitFields(m_line, m_fields, 1))
                return Diagnostic{m_reader.LineNumber(),
                                  "a title line holds one text in double quotes, found " + Quoted(m_line)};
            m_sink.Title(t, m_fields[0]);
        }
        for (int s = 0; s < kSmaSectionCount; ++s)
            if (auto fault = MainSection(static_cast<SmaSection>(s))) return fault;
        bool block = false;
        while (m_reader.Next(m_line)) {
            if (Trim(m_line).empty()) continue;
            if (block)
                return Diagnostic{m_reader.LineNumber(), "unexpected text after the load cases block: " +
                                                             Quoted(m_line) + " (is a count too small?)"};
            if (!SplitFields(m_line, m_fields, 3) || m_fields.size() != 3 || m_fields[2] != kLoadCasesMark)
                return Diagnostic{m_reader.LineNumber(), "unexpected text after the joint loads section: " +
                                                             Quoted(m_line) + " (is a count too small?)"};
            if (auto fault = LoadCasesBlock()) return fault;
            block = true;
        }
        if (m_blockAnnounced && !block)
            return Diagnostic{m_reader.LineNumber() + 1,
                              "the joint loads section announces a load cases block, "
                              "but the file ends before it"};
        return std::nullopt;
    }

private:
    std::optional<Diagnostic> MainSection(SmaSection section) {
        if (!m_reader.Next(m_line))
            return Diagnostic{m_reader.LineNumber() + 1,
                              std::string("the file ends before the ") + SectionName(section) + " section"};
        std::string_view countText = Trim(m_line);
        // The joint loads' count may announce the load cases block: "10,"LOAD CASES FOLLOW"".
        if (section == SmaSection::Loads && countText.find(',') != std::string_view::npos &&
            SplitFields(m_line, m_fields, 2) && m_fields.size() == 2 && m_fields[1] == kLoadCasesFollowMark) {
            m_blockAnnounced = true;
            countText = m_fields[0];
        }
        int count = 0;
        auto [ptr, ec] = std::from_chars(countText.data(), countText.data() + countText.size(), count);
        if (countText.empty() || ec != std::errc() || ptr != countText.data() + countText.size() || count < 0)
            return Diagnostic{m_reader.LineNumber(), std::string("the number of ") + SectionName(section) +
                                                         " was expected, found " + Quoted(m_line)};
        // A count beyond the lines left cannot be right; it must not size anything either.
        if (static_cast<std::size_t>(count) > m_roughLines)
            return Diagnostic{m_reader.LineNumber(), "the file announces " + std::to_string(count) + " " +
                                                         SectionName(section) + " but has only " +
                                                         std::to_string(m_roughLines) + " lines"};
        if (auto refusal = m_sink.Count(section, count)) return Diagnostic{m_reader.LineNumber(), *refusal};
        for (int i = 1; i <= count; ++i) {
            if (auto fault = NextRecord(section, i, 0, [&] {
                    return "the file ends inside the " + std::string(SectionName(section)) +
                           " section: " + std::to_string(count) + " were announced, " +
                           std::to_string(i - 1) + " found";
                }))
                return fault;
            if (auto fault = Deliver()) return fault;
        }
        return std::nullopt;
    }

    // The block opened by the line now in m_fields.
    std::optional<Diagnostic> LoadCasesBlock() {
        const int markLine = m_reader.LineNumber();
        const std::optional<int> cases = ReadCount(m_fields[0], m_roughLines);
        const std::optional<int> combinations = ReadCount(m_fields[1], m_roughLines);
        if (!cases || *cases < 1 || !combinations)
            return Diagnostic{markLine, "the load cases line holds the number of load cases (1 or more) and "
                                        "the number of combinations, found " +
                                            Quoted(m_line)};
        if (auto refusal = m_sink.Count(SmaSection::Cases, *cases)) return Diagnostic{markLine, *refusal};
        for (int c = 1; c <= *cases; ++c) {
            if (auto fault = NextRecord(SmaSection::Cases, c, 0, [&] {
                    return "the file ends inside the load cases block: " + std::to_string(*cases) +
                           " load cases were announced, " + std::to_string(c - 1) + " found";
                }))
                return fault;
            const std::string name(m_record.text);
            const std::optional<int> loads = ReadCount(m_record.fields[0], m_roughLines);
            if (!loads)
                return Diagnostic{m_record.line, "load case " + std::to_string(c) + " (" + Named(name) +
                                                     ") announces " + Quoted(m_record.fields[0]) +
                                                     " joint loads, which is not a count of lines"};
            if (c == 1 && *loads != 0)
                return Diagnostic{m_record.line, "load case 1 (" + Named(name) +
                                                     ") has its loads in the joint loads section, so "
                                                     "its number of loads here must be 0, found " +
                                                     std::to_string(*loads)};
            if (auto fault = Name("load case " + std::to_string(c), name)) return fault;
            if (auto fault = Deliver()) return fault;
            for (int l = 1; l <= *loads; ++l) {
                if (auto fault = NextRecord(SmaSection::CaseLoads, l, c, [&] {
                        return "the file ends inside load case " + std::to_string(c) + " (" + Named(name) +
                               "): " + std::to_string(*loads) + " joint loads were announced, " +
                               std::to_string(l - 1) + " found";
                    }))
                    return fault;
                if (auto fault = Deliver()) return fault;
            }
        }
        if (auto refusal = m_sink.Count(SmaSection::Combinations, *combinations))
            return Diagnostic{markLine, *refusal};
        for (int k = 1; k <= *combinations; ++k) {
            if (auto fault = NextRecord(SmaSection::Combinations, k, 0, [&] {
                    return "the file ends inside the load cases block: " + std::to_string(*combinations) +
                           " combinations were announced, " + std::to_string(k - 1) + " found";
                }))
                return fault;
            const std::string name(m_record.text);
            const std::optional<int> factors = ReadCount(m_record.fields[0], m_roughLines);
            if (!factors)
                return Diagnostic{m_record.line, "combination " + std::to_string(k) + " (" + Named(name) +
                                                     ") announces " + Quoted(m_record.fields[0]) +
                                                     " factors, which is not a count of lines"};
            if (auto fault = Name("combination " + std::to_string(k), name)) return fault;
            if (auto fault = Deliver()) return fault;
            for (int f = 1; f <= *factors; ++f) {
                if (auto fault = NextRecord(SmaSection::Factors, f, k, [&] {
                        return "the file ends inside combination " + std::to_string(k) + " (" + Named(name) +
                               "): " + std::to_string(*factors) + " factors were announced, " +
                               std::to_string(f - 1) + " found";
                    }))
                    return fault;
                if (auto fault = Deliver()) return fault;
            }
        }
        return std::nullopt;
    }

    // Reads the next line as a record of `section` into m_record; `ended` words the fault when the file
    // has no more lines.
    template <class Ended>
    std::optional<Diagnostic> NextRecord(SmaSection section, int index, int group, Ended&& ended) {
        if (!m_reader.Next(m_line)) return Diagnostic{m_reader.LineNumber() + 1, ended()};
        const int numeric = NumericFieldCount(section);
        const std::size_t expected = static_cast<std::size_t>(numeric) + 1;
        const bool fits = SplitFields(m_line, m_fields, expected);
        if (!fits || m_fields.size() != expected)
            return Diagnostic{m_reader.LineNumber(),
                              "a " + std::string(RecordName(section)) + " record has " +
                                  std::to_string(numeric) + (numeric == 1 ? " number" : " numbers") +
                                  " and a text, " + std::to_string(expected) + " fields in all; found " +
                                  (fits ? std::to_string(m_fields.size()) : std::string("more")) + " in " +
                                  Quoted(m_line)};
        m_record.section = section;
        for (int f = 0; f < numeric; ++f) {
            const std::string_view field = m_fields[static_cast<std::size_t>(f)];
            if (!ParseNumber(field, m_record.numbers[static_cast<std::size_t>(f)]))
                return Diagnostic{m_reader.LineNumber(), std::string("the ") + FieldName(section, f) +
                                                             " of " + RecordName(section) + " " +
                                                             std::to_string(index) +
                                                             (group > 0 ? Within(section, group) : "") +
                                                             " is not a number: " + Quoted(field)};
            m_record.fields[static_cast<std::size_t>(f)] = field;
        }
        m_record.index = index;
        m_record.group = group;
        m_record.line = m_reader.LineNumber();
        m_record.text = m_fields[static_cast<std::size_t>(numeric)];
        return std::nullopt;
    }

    static std::string Within(SmaSection section, int group) {
        return (section == SmaSection::Factors ? " of combination " : " of load case ") +
               std::to_string(group);
    }

    std::optional<Diagnostic> Deliver() {
        if (auto refusal = m_sink.Record(m_record)) return Diagnostic{m_record.line, *refusal};
        return std::nullopt;
    }

    static std::string Named(const std::string& name) { return Quoted(name); }

    // Every case and combination has a name, and no two the same: results and design rows are known by
    // it. Names are judged as a save would store them, so that a file read always writes one that reads.
    std::optional<Diagnostic> Name(const std::string& who, const std::string& name) {
        const std::string stored = StorableText(name);
        if (Trim(stored).empty()) return Diagnostic{m_record.line, who + " has no name"};
        for (const auto& [earlier, owner] : m_names)
            if (earlier == stored)
                return Diagnostic{m_record.line,
                                  who + " is named " + Quoted(name) + ", as " + owner + " already is"};
        m_names.emplace_back(stored, who);
        return std::nullopt;
    }

    LineReader m_reader;
    SmaSink& m_sink;
    std::size_t m_roughLines;
    std::string_view m_line;
    std::vector<std::string_view> m_fields;
    SmaRecord m_record;
    std::vector<std::pair<std::string, std::string>> m_names; // name, who has it
    bool m_blockAnnounced = false;
};

} // namespace

std::optional<Diagnostic> ParseSma(std::string_view bytes, SmaSink& sink) {
    return Parser(bytes, sink).Parse();
}

std::string StorableText(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c == '"')
            c = '\'';
        else if (c == '\r' || c == '\n')
            c = ' ';
    }
    return out;
}

} // namespace varlen::project
