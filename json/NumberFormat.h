#pragma once

#include <cstdint>
#include <string>

// The library's general number format, in which generated documents write numbers. The decimal
// separator is always the full stop, whatever the regional settings; there is no thousands
// separator.
namespace ujson {

// Rounded to 15 significant digits (halves away from zero) without trailing zeros; plain notation
// ("0.0001", "3.546", "100") for rounded magnitudes from 0.0001 up to below 1E15, otherwise
// scientific ("1E-5", "1E20", "1.23456789012346E17"). Zero is "0" (also negative zero); the
// special values are "INF", "-INF" and "NAN".
std::u16string FormatGeneralNumber(double value);

// A currency amount given as a count of ten-thousandths: all its digits, plain, at most four
// decimals and no trailing zeros ("12.5", "-0.0001", "922337203685477.5807").
std::u16string FormatCurrency(int64_t tenThousandths);

} // namespace ujson
