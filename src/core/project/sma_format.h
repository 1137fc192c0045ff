// The record layout of the project file, and the one parser that every reader of it shares, so the
// editors' loader and the analysis read the same file the same way and refuse the same damage.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace varlen::project {

// Sections in file order, after the five title lines: the six every file has, then those of the load
// cases block, which only a file with more than one load case, a combination or a renamed first case
// carries.
enum class SmaSection {
    Joints,
    Supports,
    Materials,
    Sections,
    Members,
    Loads,
    Cases,
    CaseLoads,
    Combinations,
    Factors
};
inline constexpr int kSmaSectionCount = 6;
inline constexpr int kSmaSectionKinds = 10;
inline constexpr int kTitleLineCount = 5;
// The text of the line that opens the load cases block ("<cases>,<combinations>,"LOAD CASES""), and the
// text the joint loads' count line carries when the block follows ("<loads>,"LOAD CASES FOLLOW""), so
// that a file cut off at the end of its joint loads is not taken for a project of one case.
inline constexpr std::string_view kLoadCasesMark = "LOAD CASES";
inline constexpr std::string_view kLoadCasesFollowMark = "LOAD CASES FOLLOW";

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
    int index = 0; // 1-based position within its section, or within its case or combination
    int group = 0; // CaseLoads and Factors: the 1-based case or combination the record belongs to
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
// fields, numbers that are numbers, then at most one load cases block, then nothing but empty lines.
//
// The block: a line "N,M,"LOAD CASES"", then N case records ("L,"name"", the case's name and the
// number of joint load records that follow it, 0 for case 1, whose loads are the joint loads section),
// then M combination records ("F,"name"", followed by F factor records "case,factor,"case name""; the
// name there is for a reader of the file, the number is what counts). Names are not empty and no two
// cases or combinations share one. A factor's case number is checked when the combination is used, as
// a member's joint numbers are.
[[nodiscard]] std::optional<Diagnostic> ParseSma(std::string_view bytes, SmaSink& sink);

// A text as the writer stores it: a double quote (which the format cannot hold) becomes an
// apostrophe and a line break a blank, so the file always reads back.
[[nodiscard]] std::string StorableText(std::string_view text);

} // namespace varlen::project
