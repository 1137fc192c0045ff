// A small XML writer for the word report's parts: every text and attribute value goes through one escape,
// so a description holding "<", "&" or a control character cannot break the document.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace varlen::report {

// The text as XML 1.0 character data, safe inside an element or a quoted attribute: & < > " ' as
// entities; the control characters XML 1.0 forbids (all below U+0020 but tab, LF and CR) dropped; bytes
// that are not well-formed UTF-8 read as Windows-1252, which older project files were written in, so
// "mm\xB2" becomes "mm²" rather than an unreadable document.
[[nodiscard]] std::string EscapeXml(std::string_view text);

class XmlWriter {
public:
    // Starts the document with the XML declaration (UTF-8, standalone).
    XmlWriter();

    // <name — attributes may follow until the next Text, Open or Close.
    XmlWriter& Open(std::string_view name);
    XmlWriter& Attr(std::string_view name, std::string_view value);
    XmlWriter& Attr(std::string_view name, long long value);
    XmlWriter& Text(std::string_view text);
    // Closes the innermost open element; one without content is written as <name/>.
    XmlWriter& Close();
    // Open, attributes, Close in one: <w:b/>, <w:sz w:val="20"/>.
    XmlWriter& Empty(std::string_view name,
                     std::initializer_list<std::pair<std::string_view, std::string_view>> attributes = {});

    // The document, every element closed.
    [[nodiscard]] std::string Finish();

private:
    void EndStartTag();

    std::string m_out;
    std::vector<std::string> m_open;
    bool m_inStartTag = false;
};

} // namespace varlen::report
