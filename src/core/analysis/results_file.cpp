#include "analysis/results_file.h"

#include <array>
#include <cmath>
#include <string_view>
#include <vector>

#include "analysis/result_texts.h"
#include "project/number_text.h"

namespace varlen::analysis {
namespace {

constexpr std::size_t kPrintZone = 14;

void LineEnd(std::string& out) {
    out += "\r\n";
}

void AppendFramedPair(std::string& out, SignedDigits a, SignedDigits b) {
    AppendFramed(out, a.digits, a.negative);
    AppendFramed(out, b.digits, b.negative);
    LineEnd(out);
}

// "Member ", the member number framed as every number is, then the text.
void AppendMemberHeading(std::string& out, int member, const char* text) {
    out += "Member  ";
    AppendInteger(out, member);
    out.push_back(' ');
    out += text;
    LineEnd(out);
}

// The joint j heading moves to the next 14-column print zone after the member number, so "Joint j"
// stands in column 15 for member numbers of up to four digits.
void AppendZonedHeading(std::string& out, int member, const char* text) {
    const std::size_t lineStart = out.size();
    out += "Member  ";
    AppendInteger(out, member);
    out.push_back(' ');
    const std::size_t written = out.size() - lineStart;
    const std::size_t zone = (written + kPrintZone - 1) / kPrintZone;
    out.append(zone * kPrintZone - written, ' ');
    out += text;
    LineEnd(out);
}

} // namespace

std::filesystem::path ResultsFilePath(const std::filesystem::path& projectPath) {
    return std::filesystem::path(projectPath).replace_extension(".txt");
}

void OutputGlobalDisp(const Results& results, std::string& out, const std::function<void()>& flush) {
    // The file shows each number with at most 15 significant digits, as a general conversion does; the
    // JSON keeps every digit.
    const ResultTexts texts(results, Digits::Fifteen);
    out += "GLOBAL DISPLACEMENTS";
    LineEnd(out);
    for (int m = 1; m <= results.MemberCount(); ++m) {
        const Results::MemberState& s = results.Member(m);
        AppendMemberHeading(out, m, "Joint i (Fx, Fy)");
        AppendFramedPair(out, texts.Dx(s.jointI), texts.Dy(s.jointI));
        AppendZonedHeading(out, m, "Joint j");
        AppendFramedPair(out, texts.Dx(s.jointJ), texts.Dy(s.jointJ));
        LineEnd(out);
        flush();
    }
}

void OutputLocalForces(const Results& results, std::string& out, const std::function<void()>& flush) {
    out += "LOCAL FORCES";
    LineEnd(out);
    for (int m = 1; m <= results.MemberCount(); ++m) {
        // Each section formats only the figures it prints: formatting all three of a member's in both
        // took a fifth of the file's time.
        const EndVector local = results.MemberLocalForce(m);
        const MagnitudeText axial(local[2], Digits::Fifteen);
        AppendMemberHeading(out, m, "at Joint i (Fy, Mx, Mz)");
        AppendFramedPair(out, axial.Signed(local[0] < 0), {"0", false});
        AppendFramedPair(out, axial.Signed(local[2] < 0), {"0", false});
        LineEnd(out);
        flush();
    }
}

void OutputGlobalForces(const Results& results, std::string& out, const std::function<void()>& flush) {
    out += "GLOBAL FORCES / REACTIONS";
    LineEnd(out);
    for (int m = 1; m <= results.MemberCount(); ++m) {
        const EndVector global = results.MemberGlobalForce(m);
        const MagnitudeText x(global[0], Digits::Fifteen), y(global[1], Digits::Fifteen);
        AppendMemberHeading(out, m, "at Joint i (Fy, Mx, Mz)");
        AppendFramedPair(out, x.Signed(global[0] < 0), y.Signed(global[1] < 0));
        AppendMemberHeading(out, m, "at Joint j (Fy, Mx, Mz)");
        AppendFramedPair(out, x.Signed(global[2] < 0), y.Signed(global[3] < 0));
        LineEnd(out);
        flush();
    }
}

std::string ResultsFileText(const Results& results) {
    std::string out;
    const std::function<void()> none = [] {};
    OutputGlobalDisp(results, out, none);
    OutputLocalForces(results, out, none);
    OutputGlobalForces(results, out, none);
    return out;
}

FileOutcome WriteResultsFile(const Results& results, io::AtomicFileWriter& writer) {
    if (!writer.IsOpen()) return {false, writer.Error()};
    const std::function<void()> flush = [&] { writer.MaybeFlush(); };
    OutputGlobalDisp(results, writer.Buffer(), flush);
    OutputLocalForces(results, writer.Buffer(), flush);
    OutputGlobalForces(results, writer.Buffer(), flush);
    if (!writer.Finish()) return {false, writer.Error()};
    return {true, {}};
}

FileOutcome WriteAndCommit(const std::filesystem::path& path,
                           const std::function<FileOutcome(io::AtomicFileWriter&)>& write) {
    // Results can be made again from the project, so a crash may lose them: no sync.
    io::AtomicFileWriter writer(path, io::AtomicFileWriter::Durability::NoSync);
    FileOutcome outcome = write(writer);
    if (outcome.ok && !writer.Commit()) outcome = {false, writer.Error()};
    return outcome;
}

FileOutcome WriteResultsFile(const Results& results, const std::filesystem::path& path) {
    return WriteAndCommit(path,
                          [&](io::AtomicFileWriter& writer) { return WriteResultsFile(results, writer); });
}

} // namespace varlen::analysis
