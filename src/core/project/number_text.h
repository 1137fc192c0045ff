// How numbers become text and text becomes numbers, in cells, in files and in the results grids.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace varlen::project {

// The leading-number reading every cell and box text gets: blanks, tabs and line feeds anywhere are
// ignored, then an optional sign, digits, an optional point and digits and an optional exponent
// (E or D) are read; reading stops at the first other character and no number gives 0. Ignoring the
// blanks makes a results-grid text such as "+1.234 E+01" read as 12.34, not 1.234.
// A magnitude beyond the double range gives an infinity of the same sign.
[[nodiscard]] double ReadNumber(std::string_view text);

// True when the text, less blanks at either end, is one whole number in the form ReadNumber reads
// (an empty text counts: it is the 0 of an empty field) and its value is finite.
[[nodiscard]] bool IsWholeNumber(std::string_view text);

// The value of a text that is one whole number (IsWholeNumber), or nothing: for inputs that must mean
// exactly what they say, where a leading number followed by anything else is a mistake to point out.
[[nodiscard]] std::optional<double> ReadWholeNumber(std::string_view text);

// General format: the shortest decimal text that reads back to the same double (so never more than
// 17 significant digits, and at most 15 whenever 15 suffice), plain decimal for magnitudes from 1E-04
// to below 1E+15, otherwise a mantissa, "E", a sign and at least two exponent digits (2.5E+16).
// Integers carry no point; -0 is written as 0.
[[nodiscard]] std::string FormatGeneral(double value);
// Appends FormatGeneral(value) to out; the hot path of the results file.
void AppendGeneral(std::string& out, double value);
// Writes it at `out` (room for 32 characters) and returns its length.
std::size_t WriteGeneral(char* out, double value);

// The same layout with at most 15 significant digits: the value is rounded to 15 significant digits
// as "%.15g" rounds it (to nearest, from the exact binary value), trailing zeros are dropped, and the
// thresholds, the "E" form and the integer and -0 rules are those of FormatGeneral. 0.1 + 0.2 gives
// "0.3", 1/3 "0.333333333333333", 2^60 "1.15292150460685E+18". The results file, which the user
// reads, writes this; the project file and the JSON keep the round-trip text.
[[nodiscard]] std::string FormatGeneral15(double value);
void AppendGeneral15(std::string& out, double value);
// Writes it at `out` (room for 32 characters) and returns its length.
std::size_t WriteGeneral15(char* out, double value);

// value x 10^power worked out on the decimal digits of value (its shortest round-trip form), not in
// binary: metres to millimetres and back then give back the very number typed, 0.0105 m staying
// 0.0105 m, where x 1000 / 1000 in binary can move it by a unit in the last place.
[[nodiscard]] double ScaleByPowerOfTen(double value, int power);

// A number as the project file frames it (the results file frames its 15-digit texts alike): one
// blank (or the minus sign) before, one blank after: " 2500 ", "-1200 ".
[[nodiscard]] std::string FormatFileNumber(double value);
void AppendFileNumber(std::string& out, double value);

// A value rendered with that format: sign always written, one digit before the point, exactly
// `places` digits after it (the point stays when there are none), a blank, "E", the exponent's sign
// and at least two digits: 987.6 -> "+9.876 E+02", 0 -> "+0.000 E+00", 456.7 with 0 places -> "+5. E+02".
//
// Rounding: the value is first taken to 15 significant digits, as the results file writes it
// (FormatGeneral15), and those decimal digits are then rounded half away from zero to places + 1
// digits, so the screen agrees with the file and with the legacy rendering: 12.5 with one place is
// "+1.3 E+01", 0.125 with one place "+1.3 E-01", -2.5 with none "-3. E+00", 2.675 (2.67499999.. in
// binary) with two places "+2.68 E+00". A mantissa that rounds up to 10 is renormalised (9.9996 with
// three places -> "+1.000 E+01"). Places beyond the 15 digits are zeros. -0 renders as +0.
//
// A non-finite value is never rendered as a number: an infinity gives kOverflowText and a NaN
// kNotANumberText. The analysis and design refuse such values; this is the last line of defence.
inline constexpr const char* kOverflowText = "overflow";
inline constexpr const char* kNotANumberText = "not a number";
[[nodiscard]] std::string ResultFormat(double value, int places);

} // namespace varlen::project
