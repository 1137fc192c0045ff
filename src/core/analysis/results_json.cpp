#include "analysis/results_json.h"

#include <charconv>

#include "analysis/result_texts.h"
#include "io/text_file.h"
#include "project/number_text.h"

namespace varlen::analysis {
namespace {

void Array(std::string& out, const std::array<SignedDigits, 4>& v) {
    out.push_back('[');
    for (std::size_t i = 0; i < v.size(); ++i) {
        if (i) out.push_back(',');
        AppendPlain(out, v[i].digits, v[i].negative);
    }
    out.push_back(']');
}

} // namespace

void WriteResultsJson(const Results& r, std::string& out, const std::function<void()>& flush) {
    const ResultTexts texts(r);
    out += "{\n\"joints\":[";
    for (int j = 1; j <= r.JointCount(); ++j) {
        out += j == 1 ? "\n{\"joint\":" : ",\n{\"joint\":";
        AppendInteger(out, j);
        out += ",\"dx\":";
        AppendPlain(out, texts.Dx(j).digits, texts.Dx(j).negative);
        out += ",\"dy\":";
        AppendPlain(out, texts.Dy(j).digits, texts.Dy(j).negative);
        out.push_back('}');
        flush();
    }
    out += "\n],\n\"members\":[";
    for (int m = 1; m <= r.MemberCount(); ++m) {
        const Results::MemberState& s = r.Member(m);
        const MemberTexts t(r, m);
        out += m == 1 ? "\n{\"member\":" : ",\n{\"member\":";
        AppendInteger(out, m);
        out += ",\"joint_i\":";
        AppendInteger(out, s.jointI);
        out += ",\"joint_j\":";
        AppendInteger(out, s.jointJ);
        out += ",\"axial_force\":";
        AppendPlain(out, t.axial, t.local[2] < 0);
        out += ",\"global_displacements\":";
        Array(out, {texts.Dx(s.jointI), texts.Dy(s.jointI), texts.Dx(s.jointJ), texts.Dy(s.jointJ)});
        out += ",\"local_forces\":";
        const SignedDigits zero{"0", false};
        Array(out,
              {SignedDigits{t.axial, t.local[0] < 0}, zero, SignedDigits{t.axial, t.local[2] < 0}, zero});
        out += ",\"global_forces\":";
        Array(out, {SignedDigits{t.globalX, t.global[0] < 0}, SignedDigits{t.globalY, t.global[1] < 0},
                    SignedDigits{t.globalX, t.global[2] < 0}, SignedDigits{t.globalY, t.global[3] < 0}});
        out.push_back('}');
        flush();
    }
    out += "\n],\n\"reactions\":[";
    bool first = true;
    for (int j = 1; j <= r.JointCount(); ++j) {
        if (!r.IsSupported(j)) continue;
        const Reaction reaction = r.SupportReaction(j);
        out += first ? "\n{\"joint\":" : ",\n{\"joint\":";
        first = false;
        AppendInteger(out, j);
        out += ",\"rx\":";
        project::AppendGeneral(out, reaction.rx);
        out += ",\"ry\":";
        project::AppendGeneral(out, reaction.ry);
        out.push_back('}');
        flush();
    }
    out += "\n]\n}\n";
}

std::string ResultsJsonText(const Results& results) {
    std::string out;
    WriteResultsJson(results, out, [] {});
    return out;
}

FileOutcome WriteResultsJsonFile(const Results& results, const std::filesystem::path& path) {
    io::AtomicFileWriter writer(path, io::AtomicFileWriter::Durability::NoSync);
    if (!writer.IsOpen()) return {false, writer.Error()};
    WriteResultsJson(results, writer.Buffer(), [&] { writer.MaybeFlush(); });
    if (!writer.Commit()) return {false, writer.Error()};
    return {true, {}};
}

FileOutcome WriteResultsJsonStream(const Results& results, std::FILE* stream) {
    std::string buffer;
    bool ok = true;
    auto flush = [&](bool force) {
        if (buffer.size() < (1u << 20) && !force) return;
        ok = ok && std::fwrite(buffer.data(), 1, buffer.size(), stream) == buffer.size();
        buffer.clear();
    };
    WriteResultsJson(results, buffer, [&] { flush(false); });
    flush(true);
    ok = ok && std::fflush(stream) == 0;
    return {ok, ok ? std::string() : std::string("cannot write the JSON output")};
}

} // namespace varlen::analysis
