// The record layout of the project file, and the one parser that every reader of it shares, so the
// editors' loader and the analysis read the same file the same way and refuse the same damage.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace varlen::project {

// Sections in file order, after the five title lines.
enum class SmaSection { Joints, Supports, Materials, Sections, Members, Loads };
inline constexpr int kSmaSectionCount = 6;
inline constexpr int kTitleLineCount = 5;

// Numeric fields of a record in each section; every record ends with one text field.
[[nodiscard]] int NumericFieldCount(SmaSection section);
// "joints", "supports", ... as a message names the section; and one record of it ("joint").
[[nodiscard]] const char* SectionName(SmaSection section);
[[nodiscard]] const char* RecordName(SmaSection section);
// The name of numeric field `index` (0-based) of a record, for messages: "Y", "material", ...
[[nodiscard]] const char* FieldName(SmaSection section, int index);

struct Diagnostic {
    int line = 0;        // 1-based line of the file; 0 when the fault is not on one line
    std::string message; // what was wrong or expected
    [[nodiscard]] std::string ToString() const; // "line 12: ..."
};

struct SmaRecord {
    SmaSection section = SmaSection::Joints;
    int index = 0; // 1-based position within its section
    int line = 0;
    std::array<double, 4> numbers{};          // an empty field reads as 0
    std::array<std::string_view, 4> fields{}; // the numeric fields as written, blanks trimmed
    std::string_view text;                    // the text field without its quotes
};

// What a reader does with what the parser finds; a returned message refuses the file at that line.
class SmaSink {
public:
    virtual ~SmaSink() = default;
    virtual void Title(int index, std::string_view text) = 0; // index 0..4
    virtual std::optional<std::string> Count(SmaSection section, int count) = 0;
    virtual std::optional<std::string> Record(const SmaRecord& record) = 0;
};

// Parses the whole text (CR LF or LF line ends). Returns the first fault, or nothing when the file is
// whole: five title lines, six sections each a count and that many records of the right number of
// fields, numbers that are numbers, and nothing but empty lines after the loads.
[[nodiscard]] std::optional<Diagnostic> ParseSma(std::string_view bytes, SmaSink& sink);

// A text as the writer stores it: a double quote (which the format cannot hold) becomes an
// apostrophe and a line break a blank, so the file always reads back.
[[nodiscard]] std::string StorableText(std::string_view text);

} // namespace varlen::project
