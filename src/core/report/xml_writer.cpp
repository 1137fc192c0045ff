#include "report/xml_writer.h"

#include <cassert>
#include <cstdint>

namespace varlen::report {
namespace {

void AppendUtf8(std::string& out, std::uint32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// Windows-1252 from 0x80 to 0x9F; the five bytes it leaves undefined become U+FFFD.
constexpr std::uint16_t kCp1252High[32] = {0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                           0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD,
                                           0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                           0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

std::uint32_t FromCp1252(unsigned char byte) {
    return byte >= 0xA0 ? byte : kCp1252High[byte - 0x80];
}

// The length of the well-formed UTF-8 sequence at text[i] and its code point, or 0 when the bytes there
// are not one (overlong forms, surrogates and values beyond U+10FFFF included).
std::size_t Utf8Sequence(std::string_view text, std::size_t i, std::uint32_t& code) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    std::size_t length = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code = lead & 0x07;
    } else {
        return 0;
    }
    if (i + length > text.size()) return 0;
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) return 0;
        code = (code << 6) | (byte(i + k) & 0x3F);
    }
    if ((length == 3 && code < 0x800) || (length == 4 && (code < 0x10000 || code > 0x10FFFF))) return 0;
    if (code >= 0xD800 && code <= 0xDFFF) return 0;
    return length;
}

} // namespace

std::string EscapeXml(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&apos;";
                break;
            default:
                if (c >= 0x20 || c == '\t' || c == '\n' || c == '\r') out += static_cast<char>(c);
                break;
            }
            ++i;
            continue;
        }
        std::uint32_t code = 0;
        const std::size_t length = Utf8Sequence(text, i, code);
        if (length == 0) {
            AppendUtf8(out, FromCp1252(c));
            ++i;
        } else {
            // U+FFFE and U+FFFF are not XML characters either.
            if (code != 0xFFFE && code != 0xFFFF) out.append(text.substr(i, length));
            i += length;
        }
    }
    return out;
}

XmlWriter::XmlWriter() : m_out("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n") {}

void XmlWriter::EndStartTag() {
    if (m_inStartTag) {
        m_out += '>';
        m_inStartTag = false;
    }
}

XmlWriter& XmlWriter::Open(std::string_view name) {
    EndStartTag();
    m_out += '<';
    m_out += name;
    m_open.emplace_back(name);
    m_inStartTag = true;
    return *this;
}

XmlWriter& XmlWriter::Attr(std::string_view name, std::string_view value) {
    assert(m_inStartTag && "an attribute after the element's content");
    m_out += ' ';
    m_out += name;
    m_out += "=\"";
    m_out += EscapeXml(value);
    m_out += '"';
    return *this;
}

XmlWriter& XmlWriter::Attr(std::string_view name, long long value) {
    return Attr(name, std::to_string(value));
}

XmlWriter& XmlWriter::Text(std::string_view text) {
    EndStartTag();
    m_out += EscapeXml(text);
    return *this;
}

XmlWriter& XmlWriter::Close() {
    assert(!m_open.empty() && "closing more elements than were opened");
    if (m_inStartTag) {
        m_out += "/>";
        m_inStartTag = false;
    } else {
        m_out += "</";
        m_out += m_open.back();
        m_out += '>';
    }
    m_open.pop_back();
    return *this;
}

XmlWriter& XmlWriter::Empty(std::string_view name,
                            std::initializer_list<std::pair<std::string_view, std::string_view>> attributes) {
    Open(name);
    for (const auto& [attribute, value] : attributes)
        Attr(attribute, value);
    return Close();
}

std::string XmlWriter::Finish() {
    while (!m_open.empty())
        Close();
    return std::move(m_out);
}

} // namespace varlen::report
