#include "analysis/results_json.h"

#include <charconv>
#include <cstdio>

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

// A name as a JSON string: quotes, backslashes and control characters escaped, and any byte that is not
// part of valid UTF-8 (a name typed on an old code page) replaced by U+FFFD, so the document always parses.
void AppendJsonString(std::string& out, std::string_view text) {
    out.push_back('"');
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '"' || c == '\\') {
            out.push_back('\\');
            out.push_back(static_cast<char>(c));
            ++i;
        } else if (c < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
            ++i;
        } else if (c < 0x80) {
            out.push_back(static_cast<char>(c));
            ++i;
        } else {
            // The length a lead byte announces, and the continuation bytes it needs.
            const std::size_t length = c >= 0xF0 && c <= 0xF4  ? 4
                                       : c >= 0xE0             ? 3
                                       : c >= 0xC2 && c < 0xE0 ? 2
                                                               : 0;
            bool whole = length > 0 && i + length <= text.size();
            for (std::size_t k = 1; whole && k < length; ++k)
                whole = (static_cast<unsigned char>(text[i + k]) & 0xC0) == 0x80;
            // Overlong forms, surrogates and code points beyond U+10FFFF are not valid either.
            if (whole && length == 3) {
                const auto second = static_cast<unsigned char>(text[i + 1]);
                whole = !(c == 0xE0 && second < 0xA0) && !(c == 0xED && second >= 0xA0);
            }
            if (whole && length == 4) {
                const auto second = static_cast<unsigned char>(text[i + 1]);
                whole = !(c == 0xF0 && second < 0x90) && !(c == 0xF4 && second >= 0x90);
            }
            if (whole) {
                out.append(text.substr(i, length));
                i += length;
            } else {
                out += "\xEF\xBF\xBD";
                ++i;
            }
        }
    }
    out.push_back('"');
}

// "joints", "members" and "reactions" of one set of results, from the first key to the last "]".
void WriteBody(const Results& r, std::string& out, const std::function<void()>& flush) {
    const ResultTexts texts(r);
    out += "\"joints\":[";
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
        AppendPlain(out, t.axial.Text(), t.local[2] < 0);
        out += ",\"global_displacements\":";
        Array(out, {texts.Dx(s.jointI), texts.Dy(s.jointI), texts.Dx(s.jointJ), texts.Dy(s.jointJ)});
        out += ",\"local_forces\":";
        const SignedDigits zero{"0", false};
        Array(out, {t.axial.Signed(t.local[0] < 0), zero, t.axial.Signed(t.local[2] < 0), zero});
        out += ",\"global_forces\":";
        Array(out, {t.globalX.Signed(t.global[0] < 0), t.globalY.Signed(t.global[1] < 0),
                    t.globalX.Signed(t.global[2] < 0), t.globalY.Signed(t.global[3] < 0)});
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
    out += "\n]";
}

void AppendExtreme(std::string& out, const char* key, const Extreme& extreme, const LoadCaseResults& all) {
    out += ",\"";
    out += key;
    out += "\":";
    if (extreme.by == 0) {
        out += "null,\"";
        out += key;
        out += "_by\":null";
        return;
    }
    project::AppendGeneral(out, extreme.value);
    out += ",\"";
    out += key;
    out += "_by\":";
    AppendJsonString(out, all.NameOf(extreme));
}

void WriteNamed(const std::vector<NamedResults>& list, std::string& out, const std::function<void()>& flush) {
    out += "{";
    for (std::size_t i = 0; i < list.size(); ++i) {
        out += i == 0 ? "\n" : ",\n";
        AppendJsonString(out, list[i].name);
        out += ":{\n";
        WriteBody(list[i].results, out, flush);
        out += "\n}";
    }
    out += "\n}";
}

} // namespace

void WriteResultsJson(const Results& r, std::string& out, const std::function<void()>& flush) {
    out += "{\n";
    WriteBody(r, out, flush);
    out += "\n}\n";
}

void WriteLoadCasesJson(const Results& first, const LoadCaseResults& all, std::string& out,
                        const std::function<void()>& flush) {
    out += "{\n";
    WriteBody(first, out, flush);
    out += ",\n\"cases\":";
    WriteNamed(all.cases, out, flush);
    out += ",\n\"combinations\":";
    WriteNamed(all.combinations, out, flush);
    out += ",\n\"envelope\":{\n\"members\":[";
    for (std::size_t m = 0; m < all.members.size(); ++m) {
        const MemberEnvelope& e = all.members[m];
        out += m == 0 ? "\n{\"member\":" : ",\n{\"member\":";
        AppendInteger(out, static_cast<int>(m) + 1);
        AppendExtreme(out, "max_tension", e.tension, all);
        AppendExtreme(out, "max_compression", e.compression, all);
        out.push_back('}');
        flush();
    }
    out += "\n],\n\"reactions\":[";
    for (std::size_t r = 0; r < all.reactions.size(); ++r) {
        const ReactionEnvelope& e = all.reactions[r];
        out += r == 0 ? "\n{\"joint\":" : ",\n{\"joint\":";
        AppendInteger(out, e.joint);
        AppendExtreme(out, "max_rx", e.maxRx, all);
        AppendExtreme(out, "min_rx", e.minRx, all);
        AppendExtreme(out, "max_ry", e.maxRy, all);
        AppendExtreme(out, "min_ry", e.minRy, all);
        out.push_back('}');
        flush();
    }
    out += "\n]\n}\n}\n";
}

FileOutcome WriteJsonFile(const JsonWriter& write, io::AtomicFileWriter& writer) {
    if (!writer.IsOpen()) return {false, writer.Error()};
    write(writer.Buffer(), [&] { writer.MaybeFlush(); });
    if (!writer.Finish()) return {false, writer.Error()};
    return {true, {}};
}

FileOutcome WriteJsonFile(const JsonWriter& write, const std::filesystem::path& path) {
    return WriteAndCommit(path, [&](io::AtomicFileWriter& writer) { return WriteJsonFile(write, writer); });
}

FileOutcome WriteJsonStream(const JsonWriter& write, std::FILE* stream) {
    std::string buffer;
    bool ok = true;
    auto flush = [&](bool force) {
        if (buffer.size() < (1u << 20) && !force) return;
        ok = ok && std::fwrite(buffer.data(), 1, buffer.size(), stream) == buffer.size();
        buffer.clear();
    };
    write(buffer, [&] { flush(false); });
    flush(true);
    ok = ok && std::fflush(stream) == 0;
    return {ok, ok ? std::string() : std::string("cannot write the JSON output")};
}

std::string ResultsJsonText(const Results& results) {
    std::string out;
    WriteResultsJson(results, out, [] {});
    return out;
}

FileOutcome WriteResultsJsonFile(const Results& results, const std::filesystem::path& path) {
    return WriteJsonFile(
        [&](std::string& out, const std::function<void()>& flush) { WriteResultsJson(results, out, flush); },
        path);
}

FileOutcome WriteResultsJsonStream(const Results& results, std::FILE* stream) {
    return WriteJsonStream(
        [&](std::string& out, const std::function<void()>& flush) { WriteResultsJson(results, out, flush); },
        stream);
}

} // namespace varlen::analysis
