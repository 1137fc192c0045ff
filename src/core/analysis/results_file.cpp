#include "analysis/results_file.h"

#include "io/text_file.h"
#include "project/number_text.h"

namespace varlen::analysis {
namespace {

using project::AppendFileNumber;

constexpr std::size_t kPrintZone = 14;

void LineEnd(std::string& out) { out += "\r\n"; }

void AppendPair(std::string& out, double a, double b) {
    AppendFileNumber(out, a);
    AppendFileNumber(out, b);
    LineEnd(out);
}

// "Member ", the member number framed as every number is, then the text.
void AppendMemberHeading(std::string& out, int member, const char* text) {
    out += "Member ";
    AppendFileNumber(out, member);
    out += text;
    LineEnd(out);
}

// The joint j heading moves to the next 14-column print zone after the member number, so "Joint j"
// stands in column 15 for member numbers of up to four digits.
void AppendZonedHeading(std::string& out, int member, const char* text) {
    const std::size_t lineStart = out.size();
    out += "Member ";
    AppendFileNumber(out, member);
    const std::size_t written = out.size() - lineStart;
    const std::size_t zone = (written + kPrintZone - 1) / kPrintZone;
    out.append(zone * kPrintZone - written, ' ');
    out += text;
    LineEnd(out);
}

} // namespace

std::filesystem::path ResultsFilePath(const std::filesystem::path& projectPath) {
    std::string text = projectPath.string();
    if (text.size() >= 3) text.replace(text.size() - 3, 3, "txt");
    return text;
}

void OutputGlobalDisp(const Results& results, std::string& out, const std::function<void()>& flush) {
    out += "GLOBAL DISPLACEMENTS";
    LineEnd(out);
    for (int m = 1; m <= results.MemberCount(); ++m) {
        const EndVector d = results.MemberGlobalDisp(m);
        AppendMemberHeading(out, m, "Joint i (Fx, Fy)");
        AppendPair(out, d[0], d[1]);
        AppendZonedHeading(out, m, "Joint j");
        AppendPair(out, d[2], d[3]);
        LineEnd(out);
        flush();
    }
}

void OutputLocalForces(const Results& results, std::string& out, const std::function<void()>& flush) {
    out += "LOCAL FORCES";
    LineEnd(out);
    for (int m = 1; m <= results.MemberCount(); ++m) {
        const EndVector f = results.MemberLocalForce(m);
        AppendMemberHeading(out, m, "at Joint i (Fy, Mx, Mz)");
        AppendPair(out, f[0], f[1]);
        AppendPair(out, f[2], f[3]);
        LineEnd(out);
        flush();
    }
}

void OutputGlobalForces(const Results& results, std::string& out, const std::function<void()>& flush) {
    out += "GLOBAL FORCES / REACTIONS";
    LineEnd(out);
    for (int m = 1; m <= results.MemberCount(); ++m) {
        const EndVector f = results.MemberGlobalForce(m);
        AppendMemberHeading(out, m, "at Joint i (Fy, Mx, Mz)");
        AppendPair(out, f[0], f[1]);
        AppendMemberHeading(out, m, "at Joint j (Fy, Mx, Mz)");
        AppendPair(out, f[2], f[3]);
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

FileOutcome WriteResultsFile(const Results& results, const std::filesystem::path& path) {
    io::AtomicFileWriter writer(path, io::AtomicFileWriter::Durability::NoSync);
    if (!writer.IsOpen()) return {false, writer.Error()};
    const std::function<void()> flush = [&] { writer.MaybeFlush(); };
    OutputGlobalDisp(results, writer.Buffer(), flush);
    OutputLocalForces(results, writer.Buffer(), flush);
    OutputGlobalForces(results, writer.Buffer(), flush);
    if (!writer.Commit()) return {false, writer.Error()};
    return {true, {}};
}

} // namespace varlen::analysis
