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

constexpr std::array<int, kSmaSectionCount> kNumericFields = {2, 3, 1, 1, 4, 3};
constexpr std::array<const char*, kSmaSectionCount> kSectionNames = {
    "joints", "supports", "materials", "cross-sections", "members", "joint loads"};
constexpr std::array<const char*, kSmaSectionCount> kRecordNames = {"joint",         "support", "material",
                                                                    "cross-section", "member",  "joint load"};
constexpr std::array<std::array<const char*, 4>, kSmaSectionCount> kFieldNames = {{
    {"X", "Y", "", ""},
    {"joint number", "restraint X", "restraint Y", ""},
    {"Young's modulus", "", "", ""},
    {"area", "", "", ""},
    {"joint i", "joint j", "material", "cross-section"},
    {"joint number", "Fx", "Fy", ""},
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

std::optional<Diagnostic> ParseSma(std::string_view bytes, SmaSink& sink) {
    LineReader reader(bytes);
    std::string_view line;
    std::vector<std::string_view> fields;
    fields.reserve(8);
    const std::size_t roughLines = static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\n')) + 1;

    for (int t = 0; t < kTitleLineCount; ++t) {
        if (!reader.Next(line))
            return Diagnostic{reader.LineNumber() + 1,
                              "the file ends inside the title block: five title lines "
                              "were expected, " +
                                  std::to_string(t) + " found"};
        if (!SplitFields(line, fields, 1))
            return Diagnostic{reader.LineNumber(),
                              "a title line holds one text in double quotes, found " + Quoted(line)};
        sink.Title(t, fields[0]);
    }

    for (int s = 0; s < kSmaSectionCount; ++s) {
        const auto section = static_cast<SmaSection>(s);
        if (!reader.Next(line))
            return Diagnostic{reader.LineNumber() + 1,
                              std::string("the file ends before the ") + SectionName(section) + " section"};
        const std::string_view countText = Trim(line);
        int count = 0;
        auto [ptr, ec] = std::from_chars(countText.data(), countText.data() + countText.size(), count);
        if (countText.empty() || ec != std::errc() || ptr != countText.data() + countText.size() || count < 0)
            return Diagnostic{reader.LineNumber(), std::string("the number of ") + SectionName(section) +
                                                       " was expected, found " + Quoted(line)};
        // A count beyond the lines left cannot be right; it must not size anything either.
        if (static_cast<std::size_t>(count) > roughLines)
            return Diagnostic{reader.LineNumber(), "the file announces " + std::to_string(count) + " " +
                                                       SectionName(section) + " but has only " +
                                                       std::to_string(roughLines) + " lines"};
        if (auto refusal = sink.Count(section, count)) return Diagnostic{reader.LineNumber(), *refusal};

        const int numeric = NumericFieldCount(section);
        SmaRecord record;
        record.section = section;
        for (int i = 1; i <= count; ++i) {
            if (!reader.Next(line))
                return Diagnostic{reader.LineNumber() + 1,
                                  "the file ends inside the " + std::string(SectionName(section)) +
                                      " section: " + std::to_string(count) + " were announced, " +
                                      std::to_string(i - 1) + " found"};
            const std::size_t expected = static_cast<std::size_t>(numeric) + 1;
            const bool fits = SplitFields(line, fields, expected);
            if (!fits || fields.size() != expected)
                return Diagnostic{
                    reader.LineNumber(),
                    "a " + std::string(RecordName(section)) + " record has " + std::to_string(numeric) +
                        " numbers and a text, " + std::to_string(expected) + " fields in all; found " +
                        (fits ? std::to_string(fields.size()) : std::string("more")) + " in " + Quoted(line)};
            for (int f = 0; f < numeric; ++f) {
                const std::string_view field = fields[static_cast<std::size_t>(f)];
                if (!ParseNumber(field, record.numbers[static_cast<std::size_t>(f)]))
                    return Diagnostic{reader.LineNumber(), std::string("the ") + FieldName(section, f) +
                                                               " of " + RecordName(section) + " " +
                                                               std::to_string(i) +
                                                               " is not a number: " + Quoted(field)};
                record.fields[static_cast<std::size_t>(f)] = field;
            }
            record.index = i;
            record.line = reader.LineNumber();
            record.text = fields[static_cast<std::size_t>(numeric)];
            if (auto refusal = sink.Record(record)) return Diagnostic{reader.LineNumber(), *refusal};
        }
    }
    while (reader.Next(line)) {
        if (!Trim(line).empty())
            return Diagnostic{reader.LineNumber(), "unexpected text after the joint loads section: " +
                                                       Quoted(line) + " (is a count too small?)"};
    }
    return std::nullopt;
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
