#pragma once

#include <cstdint>
#include <string>

// Numbers as the editor reads and writes them: "." as decimal separator on every locale.

// Parses a floating-point number the way the editor's input boxes and edits do (leading and
// trailing blanks allowed, optional sign and exponent, no "inf"/"nan"/hex). Throws CommandError
// "'TEXT' is not a valid floating point value" otherwise, TEXT as QuotedForMessage shows it.
double StrToFloat(const std::string& text);

// Parses a decimal 32-bit signed integer; throws CommandError "'TEXT' is not a valid integer value".
int32_t StrToInt(const std::string& text);

// value rounded half-up to `decimals` decimals: Trunc(value * 10^d + 0.5) / 10^d.
double RoundToDecimals(double value, int decimals);

// The shortest text with at most 15 significant digits, no trailing zeros, no decimal point
// for whole numbers: 2.5 -> "2.5", 3.0 -> "3".
std::string FloatToGeneral(double value);

// The labels' form: value rounded half-up to `decimals` decimals, in the general format.
std::string FormatRounded(double value, int decimals);
