#include "processing/iir_file.h"

#include <algorithm>
#include <cstdint>

#include "wave/atomic_file.h"
#include "wave/input_file.h"

namespace {

// More than any three numbers need; a longer file holds no coefficients worth reading in full.
constexpr uint64_t kReadLimit = 64 * 1024;

}  // namespace

std::string IIRFileName(const std::string& programDir, const std::string& typedName) {
  return programDir + "/" + typedName + ".iir";
}

void WriteIIRFile(const std::string& fileName, const IIRTexts& texts) {
  const std::string content = texts.C0 + "\r\n" + texts.C1 + "\r\n" + texts.D1 + "\r\n";
  WriteFileAtomically(fileName, reinterpret_cast<const uint8_t*>(content.data()), content.size());
}

IIRTexts ReadIIRFile(const std::string& fileName) {
  const InputFile file(fileName);
  std::string content(static_cast<size_t>(std::min(file.Size(), kReadLimit)), '\0');
  file.ReadAt(0, reinterpret_cast<uint8_t*>(content.data()), content.size());
  std::string lines[3];
  size_t at = 0;
  for (std::string& line : lines) {
    if (at >= content.size()) break;
    const size_t end = std::min(content.find_first_of("\r\n", at), content.size());
    line = content.substr(at, end - at);
    at = end;
    if (at < content.size() && content[at] == '\r') ++at;
    if (at < content.size() && content[at] == '\n') ++at;
  }
  return {lines[0], lines[1], lines[2]};
}
