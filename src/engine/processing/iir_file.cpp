#include "processing/iir_file.h"

#include <algorithm>
#include <stdexcept>

#include "wave/atomic_file.h"
#include "wave/input_file.h"
#include "wave/message_path.h"

std::string IIRFileName(const std::string& programDir, const std::string& typedName) {
  return programDir + "/" + typedName + ".iir";
}

void WriteIIRFile(const std::string& fileName, const IIRTexts& texts) {
  const std::string content = texts.C0 + "\r\n" + texts.C1 + "\r\n" + texts.D1 + "\r\n";
  WriteFileAtomically(fileName, reinterpret_cast<const uint8_t*>(content.data()), content.size());
}

IIRTexts ParseIIRFile(std::string_view content) {
  constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
  if (content.starts_with(kByteOrderMark)) content.remove_prefix(kByteOrderMark.size());
  std::string lines[3];
  for (std::string& line : lines) {
    if (content.empty()) break;
    const size_t end = std::min(content.find_first_of("\r\n"), content.size());
    line = content.substr(0, end);
    content.remove_prefix(end);
    if (content.starts_with('\r')) content.remove_prefix(1);
    if (content.starts_with('\n')) content.remove_prefix(1);
  }
  return {lines[0], lines[1], lines[2]};
}

IIRTexts ReadIIRFile(const std::string& fileName) {
  const InputFile file(fileName);
  // Only the size found at opening is read, so a file that grows meanwhile cannot pass the limit.
  if (file.Size() > kMaxIIRFileSize)
    throw std::runtime_error("Cannot read file " + PathForMessage(fileName) + " (larger than " +
                             std::to_string(kMaxIIRFileSize / 1024) + " KiB)");
  std::string content(static_cast<size_t>(file.Size()), '\0');
  file.ReadAt(0, reinterpret_cast<uint8_t*>(content.data()), content.size());
  return ParseIIRFile(content);
}
