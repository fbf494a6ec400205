#include "wave/message_path.h"

#include <cstdio>

namespace {

// The code point of the UTF-8 sequence at `text[at]` and its length, or a length of 0 where the
// bytes there are not UTF-8 (overlong forms, surrogates and values past U+10FFFF included).
struct Decoded {
  uint32_t CodePoint = 0;
  size_t Length = 0;
};

// The lead bytes of the sequences longer than one byte, with the bits they carry and the lowest
// code point each length may hold (anything lower is an overlong form).
struct LeadByte {
  unsigned char First, Last;
  size_t Length;
  uint32_t Bits, Lowest;
};
constexpr LeadByte kLeadBytes[] = {{0xC2, 0xDF, 2, 0x1F, 0x80}, {0xE0, 0xEF, 3, 0x0F, 0x800},
                                   {0xF0, 0xF4, 4, 0x07, 0x10000}};

Decoded DecodeUtf8(std::string_view text, size_t at) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[at + i]); };
  for (const LeadByte& lead : kLeadBytes) {
    if (byte(0) < lead.First || byte(0) > lead.Last) continue;
    if (text.size() - at < lead.Length) return {};
    uint32_t codePoint = byte(0) & lead.Bits;
    for (size_t i = 1; i < lead.Length; ++i) {
      if ((byte(i) & 0xC0) != 0x80) return {};
      codePoint = codePoint << 6 | (byte(i) & 0x3Fu);
    }
    const bool surrogate = codePoint >= 0xD800 && codePoint <= 0xDFFF;
    if (codePoint < lead.Lowest || codePoint > 0x10FFFF || surrogate) return {};
    return {codePoint, lead.Length};
  }
  return {};
}

// Characters that a terminal shows as nothing, or that turn the text around it.
bool ShowsNothing(uint32_t c) {
  return (c >= 0x80 && c <= 0x9F) || c == 0xAD || (c >= 0x200B && c <= 0x200F) ||
         (c >= 0x2028 && c <= 0x202E) || (c >= 0x2060 && c <= 0x206F) || c == 0xFEFF;
}

void AppendEscaped(std::string& out, std::string_view bytes) {
  for (const char c : bytes) {
    char escape[5];
    std::snprintf(escape, sizeof escape, "\\x%02X", static_cast<unsigned char>(c));
    out += escape;
  }
}

}  // namespace

std::string EscapedForMessage(std::string_view text, size_t most) {
  std::string out;
  size_t at = 0;
  while (at < text.size() && at < most) {
    const auto c = static_cast<unsigned char>(text[at]);
    if (c >= 0x20 && c < 0x7F) {
      out += static_cast<char>(c);
      ++at;
      continue;
    }
    const Decoded decoded = DecodeUtf8(text, at);
    const size_t length = decoded.Length == 0 ? 1 : decoded.Length;
    if (decoded.Length == 0 || ShowsNothing(decoded.CodePoint)) {
      AppendEscaped(out, text.substr(at, length));
    } else {
      out += text.substr(at, length);
    }
    at += length;
  }
  if (at < text.size()) out += "...";
  return out;
}

std::string PathForMessage(std::string_view path) {
  std::string shown = EscapedForMessage(path);
  if (shown == path) return shown;
  return "'" + shown + "'";
}
