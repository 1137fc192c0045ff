// The number reading and writing on hostile bytes. The whole input is read as a cell text; its first
// eight bytes are also taken as a double, which must survive the writer's forms: the general form
// reads back to the very double, the 15-digit form to the double "%.15g" gives, the results form to
// within its places, and metres to millimetres and back give back a number of 15 digits.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "project/number_text.h"

using namespace varlen::project;

namespace {

bool SameDouble(double a, double b) {
    return a == b && std::signbit(a) == std::signbit(b);
}

void CheckText(std::string_view text) {
    const double value = ReadNumber(text);
    const bool whole = IsWholeNumber(text);
    const std::optional<double> exact = ReadWholeNumber(text);
    VARLEN_FUZZ_CHECK(whole == exact.has_value());
    if (whole) {
        VARLEN_FUZZ_CHECK(std::isfinite(*exact));
        VARLEN_FUZZ_CHECK(SameDouble(*exact, value));
    }
    VARLEN_FUZZ_CHECK(!std::isnan(value));
}

void CheckResultForm(double x, int places) {
    const std::string text = ResultFormat(x, places);
    if (!std::isfinite(x)) {
        VARLEN_FUZZ_CHECK(text == (std::isnan(x) ? kNotANumberText : kOverflowText));
        return;
    }
    // "+9.876 E+02": sign, one digit, the point, `places` digits, " E", sign, two or three digits.
    const std::size_t mantissa = 3 + static_cast<std::size_t>(places);
    VARLEN_FUZZ_CHECK(text.size() >= mantissa + 5 && text.size() <= mantissa + 6);
    VARLEN_FUZZ_CHECK(text[0] == '+' || text[0] == '-');
    VARLEN_FUZZ_CHECK(text[2] == '.' && text.compare(mantissa, 2, " E") == 0);
    VARLEN_FUZZ_CHECK(text[mantissa + 2] == '+' || text[mantissa + 2] == '-');
    const double back = ReadNumber(text);
    if (x == 0) {
        VARLEN_FUZZ_CHECK(back == 0);
        return;
    }
    // The mantissa is at least 1, so rounding it to `places` digits moves it by at most half a unit
    // of the last place, relative to the value; the first rounding to 15 digits adds next to nothing.
    if (std::fabs(x) < 1e300 && std::fabs(x) > 1e-300)
        VARLEN_FUZZ_CHECK(std::fabs(back - x) <= std::fabs(x) * (0.5 * std::pow(10.0, -places) + 1e-14));
}

void CheckDouble(double x, int places) {
    CheckResultForm(x, places);
    if (!std::isfinite(x)) return;
    const std::string general = FormatGeneral(x);
    VARLEN_FUZZ_CHECK(general.size() < 32);
    VARLEN_FUZZ_CHECK(IsWholeNumber(general));
    VARLEN_FUZZ_CHECK(ReadNumber(general) == x); // -0 is written as 0, which equals it
    VARLEN_FUZZ_CHECK(ReadNumber(FormatFileNumber(x)) == x);

    const std::string fifteen = FormatGeneral15(x);
    char printed[64];
    std::snprintf(printed, sizeof printed, "%.15g", x);
    const double rounded = std::strtod(printed, nullptr);
    VARLEN_FUZZ_CHECK(ReadNumber(fifteen) == rounded);

    // A number of 15 digits is exact on its decimal digits, so metres to millimetres and back keep it.
    if (std::fabs(rounded) > 1e-290 && std::fabs(rounded) < 1e290) {
        const double millimetres = ScaleByPowerOfTen(rounded, 3);
        VARLEN_FUZZ_CHECK(ScaleByPowerOfTen(millimetres, -3) == rounded);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CheckText(std::string_view(reinterpret_cast<const char*>(data), size));
    if (size >= 9) {
        double x = 0;
        std::memcpy(&x, data, sizeof x);
        CheckDouble(x, data[8] % 16);
    }
    return 0;
}
