#include <gtest/gtest.h>

#include "io/message_text.h"

namespace varlen::io {
namespace {

struct Escape {
    const char* name;
    std::string text;
    std::string shown;
};

class EscapeForMessageTest : public ::testing::TestWithParam<Escape> {};

// A text quoted from a file must show every byte it holds, print on one line, and never reach the
// terminal as a control: a bell, an ESC sequence that clears the screen, a NUL that ends a C string.
TEST_P(EscapeForMessageTest, ShowsTheText) {
    EXPECT_EQ(EscapeForMessage(GetParam().text), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EscapeForMessageTest,
    ::testing::Values(
        Escape{"PlainAscii", "SHS 100x100x5.0 (1835.619){38.430}", "SHS 100x100x5.0 (1835.619){38.430}"},
        Escape{"Bell", "a\x07z", "a\\x07z"}, Escape{"NulDoesNotCut", std::string("a\0z", 3), "a\\x00z"},
        Escape{"LineEndsAndTab", "a\r\n\tz", "a\\x0D\\x0A\\x09z"},
        Escape{"EscapeSequence", "\x1b[2J", "\\x1B[2J"}, Escape{"Delete", "\x7f", "\\x7F"},
        Escape{"Utf8Kept", "mm\xc2\xb2 \xc3\xb8 \xe2\x82\xac \xf0\x9f\x94\xa9",
               "mm\xc2\xb2 \xc3\xb8 \xe2\x82\xac \xf0\x9f\x94\xa9"},
        Escape{"C1Control",
               "\xc2\x9b"
               "31m",
               "\\xC2\\x9B31m"},
        Escape{"Latin1Byte", "mm\xb2", "mm\\xB2"}, Escape{"TruncatedSequence", "\xe2\x82", "\\xE2\\x82"},
        Escape{"Overlong", "\xc0\xaf", "\\xC0\\xAF"}, Escape{"Surrogate", "\xed\xa0\x80", "\\xED\\xA0\\x80"},
        Escape{"BackslashKept", "C:\\x", "C:\\x"}, Escape{"Empty", "", ""}),
    [](const ::testing::TestParamInfo<Escape>& info) { return info.param.name; });

} // namespace
} // namespace varlen::io
