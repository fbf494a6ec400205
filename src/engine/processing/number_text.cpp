#include "processing/number_text.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

#include "processing/errors.h"
#include "processing/message_text.h"

namespace {

std::string Trimmed(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  const size_t last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

bool OnlyNumberCharacters(const std::string& s) {
  for (char c : s) {
    if (!((c >= '0' && c <= '9') || c == '.' || c == '+' || c == '-' || c == 'e' || c == 'E'))
      return false;
  }
  return true;
}

}  // namespace

double StrToFloat(const std::string& text) {
  const std::string s = Trimmed(text);
  const std::string error = QuotedForMessage(text) + " is not a valid floating point value";
  if (s.empty() || !OnlyNumberCharacters(s)) throw CommandError(error);
  const char* begin = s.data();
  if (*begin == '+') ++begin;
  if (*begin == '+' || (*begin == '-' && begin != s.data()) || *begin == '\0') throw CommandError(error);
  double value = 0;
  const auto [end, ec] = std::from_chars(begin, s.data() + s.size(), value);
  if (ec != std::errc() || end != s.data() + s.size() || !std::isfinite(value)) throw CommandError(error);
  return value;
}

int32_t StrToInt(const std::string& text) {
  const std::string s = Trimmed(text);
  const std::string error = QuotedForMessage(text) + " is not a valid integer value";
  const char* begin = s.data();
  // One sign at most: from_chars takes a minus but not a plus, so a plus is skipped by hand and
  // must not be followed by another sign.
  if (!s.empty() && *begin == '+') {
    ++begin;
    if (*begin == '-' || *begin == '+') throw CommandError(error);
  }
  int32_t value = 0;
  const auto [end, ec] = std::from_chars(begin, s.data() + s.size(), value);
  if (s.empty() || ec != std::errc() || end != s.data() + s.size() || begin == end)
    throw CommandError(error);
  return value;
}

double RoundToDecimals(double value, int decimals) {
  const long double scale = std::pow(10.0L, decimals);
  return static_cast<double>(std::trunc(value * scale + 0.5L) / scale);
}

std::string FloatToGeneral(double value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.15g", value);
  std::string s = buffer;
  // printf follows the C library's locale; the editor always writes a point.
  for (char& c : s) {
    if (c == ',') c = '.';
  }
  if (s == "-0") s.erase(0, 1);
  return s;
}

std::string FormatRounded(double value, int decimals) {
  return FloatToGeneral(RoundToDecimals(value, decimals));
}
