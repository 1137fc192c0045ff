#include "project/number_text.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <system_error>

namespace varlen::project {
namespace {

bool IsIgnoredBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Collects the characters of the leading number into `buffer` (without blanks, with the exponent
// letter as 'e' and without a leading '+', which from_chars refuses). Returns the consumed length of
// `text` and whether any digit of the mantissa was seen.
struct Scan {
    std::size_t used = 0; // characters of text consumed (blanks included)
    bool hasDigits = false;
};

Scan ScanLeadingNumber(std::string_view text, std::string& buffer) {
    buffer.clear();
    Scan scan;
    std::size_t i = 0;
    auto skipBlanks = [&] {
        while (i < text.size() && IsIgnoredBlank(text[i]))
            ++i;
    };
    auto peek = [&]() -> char {
        skipBlanks();
        return i < text.size() ? text[i] : '\0';
    };
    char c = peek();
    if (c == '+' || c == '-') {
        if (c == '-') buffer.push_back('-');
        ++i;
    }
    while (IsDigit(c = peek())) {
        buffer.push_back(c);
        scan.hasDigits = true;
        ++i;
    }
    if (peek() == '.') {
        ++i;
        std::string fraction;
        while (IsDigit(c = peek())) {
            fraction.push_back(c);
            ++i;
        }
        if (!fraction.empty()) {
            buffer.push_back('.');
            buffer += fraction;
            scan.hasDigits = true;
        }
    }
    scan.used = i;
    if (!scan.hasDigits) return scan;
    c = peek();
    if (c == 'e' || c == 'E' || c == 'd' || c == 'D') {
        std::size_t j = i + 1;
        std::string exponent = "e";
        auto peekAt = [&]() -> char {
            while (j < text.size() && IsIgnoredBlank(text[j]))
                ++j;
            return j < text.size() ? text[j] : '\0';
        };
        char e = peekAt();
        if (e == '+' || e == '-') {
            if (e == '-') exponent.push_back('-');
            ++j;
        }
        bool expDigits = false;
        while (IsDigit(e = peekAt())) {
            exponent.push_back(e);
            expDigits = true;
            ++j;
        }
        // A bare "E" still belongs to the number (it reads as E+0); only the digits matter.
        if (expDigits) buffer += exponent;
        scan.used = j;
    }
    return scan;
}

double ConvertScanned(const std::string& buffer) {
    double value = 0.0;
    const char* first = buffer.data();
    const char* last = first + buffer.size();
    auto [ptr, ec] = std::from_chars(first, last, value);
    if (ec == std::errc::result_out_of_range) {
        // from_chars leaves the value alone on a range error; strtod tells overflow from underflow.
        return std::strtod(buffer.c_str(), nullptr);
    }
    return ec == std::errc() ? value : 0.0;
}

// The shortest round-trip digits of |value| in scientific form: digits without the point, and the
// decimal exponent of the first digit.
struct Digits {
    std::array<char, 24> digits{};
    int count = 0;
    int exponent = 0;
};

// The digits and exponent of to_chars's scientific form ("1.2345e-07": one digit, the point and the
// rest when there are more, "e", the sign and two or three digits), trailing zeros dropped.
Digits SplitScientific(const char* text, const char* end) {
    Digits d;
    const char* e = end - 4; // the exponent has two digits, or three from 1e100 on
    if (*e != 'e') --e;
    d.digits[0] = text[0];
    d.count = 1;
    if (e - text > 2) { // "d.ddd"
        const auto rest = static_cast<std::size_t>(e - text - 2);
        std::memcpy(d.digits.data() + 1, text + 2, rest);
        d.count += static_cast<int>(rest);
    }
    while (d.count > 1 && d.digits[static_cast<std::size_t>(d.count - 1)] == '0')
        --d.count;
    int exponent = 0;
    for (const char* p = e + 2; p < end; ++p)
        exponent = exponent * 10 + (*p - '0');
    d.exponent = e[1] == '-' ? -exponent : exponent;
    return d;
}

Digits ShortestDigits(double magnitude) {
    std::array<char, 40> text{};
    auto [end, ec] =
        std::to_chars(text.data(), text.data() + text.size(), magnitude, std::chars_format::scientific);
    assert(ec == std::errc());
    return SplitScientific(text.data(), end);
}

// The digits of |value| rounded to 15 significant digits by the exact conversion.
Digits ExactFifteenDigits(double magnitude) {
    std::array<char, 40> text{};
    auto [end, ec] =
        std::to_chars(text.data(), text.data() + text.size(), magnitude, std::chars_format::scientific, 14);
    assert(ec == std::errc());
    return SplitScientific(text.data(), end);
}

// The digits of |value| rounded to 15 significant digits (what "%.15g" keeps), trailing zeros
// dropped, and the decimal exponent of the first digit after that rounding (9.9999999999999999
// becomes 1, exponent 1). The shortest round-trip digits, rounded, give the same at two thirds of the
// exact conversion's cost, and the results file spends most of its time here. The value and its
// shortest digits both lie among the decimals that read back as the value. With 15 digits or fewer they
// are the nearest 15-digit decimal; with 17, no 16-digit decimal reads back as the value, so no 15-digit
// midpoint lies between it and its digits; with 16 not ending in 5, such a midpoint would be a 16-digit
// decimal nearer the value than the shortest digits chosen. Only 16 digits ending in 5, a midpoint
// itself, leave the exact value to decide the rounding. All this holds where a double carries its full
// 53 bits; below the smallest normal double, 5E-324 reads back from one digit.
Digits FifteenDigits(double magnitude) {
    constexpr int kKept = 15;
    if (magnitude < std::numeric_limits<double>::min()) return ExactFifteenDigits(magnitude);
    Digits d = ShortestDigits(magnitude);
    if (d.count <= kKept) return d;
    char* const digits = d.digits.data();
    if (d.count == kKept + 1 && digits[kKept] == '5') return ExactFifteenDigits(magnitude);
    const bool up = digits[kKept] >= '5';
    d.count = kKept;
    if (up) {
        int i = kKept - 1;
        for (; i >= 0 && digits[i] == '9'; --i)
            digits[i] = '0';
        if (i >= 0) {
            ++digits[i];
        } else { // 9.99...9 became 10.0...0
            digits[0] = '1';
            ++d.exponent;
        }
    }
    while (d.count > 1 && digits[d.count - 1] == '0')
        --d.count;
    return d;
}

// Lays the digits of a non-zero value out in the general format: plain decimal for exponents from
// -4 to 14, otherwise mantissa, "E", sign and at least two exponent digits.
std::size_t LayOutGeneral(char* const start, bool negative, const Digits& d) {
    char* out = start;
    auto put = [&](char c) { *out++ = c; };
    auto putRun = [&](const char* text, std::size_t n) {
        for (std::size_t i = 0; i < n; ++i)
            *out++ = text[i];
    };
    auto putZeros = [&](std::size_t n) {
        for (std::size_t i = 0; i < n; ++i)
            *out++ = '0';
    };
    if (negative) put('-');
    const char* digits = d.digits.data();
    const auto count = static_cast<std::size_t>(d.count);
    if (d.exponent >= -4 && d.exponent < 15) {
        if (d.exponent < 0) {
            putRun("0.", 2);
            putZeros(static_cast<std::size_t>(-d.exponent - 1));
            putRun(digits, count);
        } else if (d.count <= d.exponent + 1) {
            putRun(digits, count);
            putZeros(static_cast<std::size_t>(d.exponent + 1 - d.count));
        } else {
            const auto whole = static_cast<std::size_t>(d.exponent + 1);
            putRun(digits, whole);
            put('.');
            putRun(digits + whole, count - whole);
        }
        return static_cast<std::size_t>(out - start);
    }
    put(digits[0]);
    if (count > 1) {
        put('.');
        putRun(digits + 1, count - 1);
    }
    put('E');
    const int e = std::abs(d.exponent);
    put(d.exponent < 0 ? '-' : '+');
    if (e < 10) put('0');
    auto [end, ec] = std::to_chars(out, out + 4, e);
    (void)ec;
    return static_cast<std::size_t>(end - start);
}

void AppendExponent(std::string& out, int exponent) {
    out.push_back(exponent < 0 ? '-' : '+');
    int e = std::abs(exponent);
    if (e < 10) out.push_back('0');
    std::array<char, 8> text{};
    auto [end, ec] = std::to_chars(text.data(), text.data() + text.size(), e);
    (void)ec;
    out.append(text.data(), end);
}

} // namespace

double ReadNumber(std::string_view text) {
    std::string buffer;
    buffer.reserve(32);
    Scan scan = ScanLeadingNumber(text, buffer);
    if (!scan.hasDigits) return 0.0;
    return ConvertScanned(buffer);
}

bool IsWholeNumber(std::string_view text) {
    std::size_t first = 0, last = text.size();
    while (first < last && IsIgnoredBlank(text[first]))
        ++first;
    while (last > first && IsIgnoredBlank(text[last - 1]))
        --last;
    text = text.substr(first, last - first);
    if (text.empty()) return true;
    // Blanks inside a field ("1 2") are not a number in a file, even though a cell reading ignores them.
    for (char c : text)
        if (IsIgnoredBlank(c)) return false;
    std::string buffer;
    Scan scan = ScanLeadingNumber(text, buffer);
    return scan.hasDigits && scan.used == text.size() && std::isfinite(ConvertScanned(buffer));
}

std::optional<double> ReadWholeNumber(std::string_view text) {
    if (!IsWholeNumber(text)) return std::nullopt;
    return ReadNumber(text);
}

std::size_t WriteGeneral(char* const start, double value) {
    if (value == 0.0 || !std::isfinite(value)) {
        // Non-finite values never reach a file: the readers refuse them and the solver stops first.
        *start = '0';
        return 1;
    }
    return LayOutGeneral(start, value < 0, ShortestDigits(std::fabs(value)));
}

std::size_t WriteGeneral15(char* const start, double value) {
    if (value == 0.0 || !std::isfinite(value)) {
        *start = '0';
        return 1;
    }
    return LayOutGeneral(start, value < 0, FifteenDigits(std::fabs(value)));
}

void AppendGeneral(std::string& out, double value) {
    char text[32];
    out.append(text, WriteGeneral(text, value));
}

double ScaleByPowerOfTen(double value, int power) {
    if (value == 0.0 || !std::isfinite(value)) return value;
    const Digits d = ShortestDigits(std::fabs(value));
    std::array<char, 48> text{};
    char* p = text.data();
    if (value < 0) *p++ = '-';
    for (int i = 0; i < d.count; ++i)
        *p++ = d.digits[static_cast<std::size_t>(i)];
    *p++ = 'e';
    // The digits are read as a whole number, so the exponent moves by the digits after the first.
    auto [end, ec] = std::to_chars(p, text.data() + text.size(), d.exponent - (d.count - 1) + power);
    (void)ec;
    double result = 0.0;
    const auto parsed = std::from_chars(text.data(), end, result);
    if (parsed.ec == std::errc::result_out_of_range)
        return std::strtod(std::string(text.data(), end).c_str(), nullptr);
    return result;
}

std::string FormatGeneral(double value) {
    std::string out;
    AppendGeneral(out, value);
    return out;
}

void AppendGeneral15(std::string& out, double value) {
    char text[32];
    out.append(text, WriteGeneral15(text, value));
}

std::string FormatGeneral15(double value) {
    std::string out;
    AppendGeneral15(out, value);
    return out;
}

void AppendFileNumber(std::string& out, double value) {
    if (!(value < 0)) out.push_back(' ');
    AppendGeneral(out, value);
    out.push_back(' ');
}

std::string FormatFileNumber(double value) {
    std::string out;
    AppendFileNumber(out, value);
    return out;
}

std::string ResultFormat(double value, int places) {
    if (std::isnan(value)) return kNotANumberText;
    if (std::isinf(value)) return kOverflowText;
    places = std::max(places, 0);
    const auto kept = static_cast<std::size_t>(places) + 1; // significant digits shown
    std::string mantissa;
    int exponent = 0;
    if (value == 0.0) {
        mantissa.assign(kept, '0');
    } else {
        const Digits d = FifteenDigits(std::fabs(value));
        mantissa.assign(d.digits.data(), static_cast<std::size_t>(d.count));
        exponent = d.exponent;
        if (mantissa.size() > kept) {
            // Half away from zero on the decimal digits: the magnitude goes up from a 5 onwards.
            const bool up = mantissa[kept] >= '5';
            mantissa.resize(kept);
            std::size_t i = kept;
            while (up && i > 0) {
                if (mantissa[i - 1] != '9') {
                    ++mantissa[i - 1];
                    break;
                }
                mantissa[--i] = '0';
            }
            if (up && i == 0) { // 9.99.. became 10.0..: one digit before the point again
                mantissa.insert(mantissa.begin(), '1');
                mantissa.pop_back();
                ++exponent;
            }
        }
        mantissa.resize(kept, '0');
    }
    std::string out;
    out.reserve(kept + 8);
    out.push_back(value < 0 ? '-' : '+');
    out.push_back(mantissa[0]);
    out.push_back('.');
    out.append(mantissa, 1);
    out += " E";
    AppendExponent(out, exponent);
    return out;
}

} // namespace varlen::project
