#include "wave/wave_limits.h"

#include <cmath>
#include <stdexcept>

std::string TooLargeText(uint64_t dataSize, uint32_t frameBytes) {
  return std::to_string(dataSize) + " bytes, " + std::to_string(dataSize / frameBytes) +
         " frames; the editor takes less than " + std::to_string(kMaxDataSize) + " bytes and " +
         std::to_string(kMaxFrames) + " frames";
}

void CheckConvertedDataSize(uint64_t dataSize, uint32_t frameBytes) {
  if (dataSize >= DataSizeLimit(frameBytes))
    throw std::runtime_error("The converted sound would be too large (" + TooLargeText(dataSize, frameBytes) + ")");
}

bool IsNewWaveLength(double seconds) {
  return seconds >= 0 && std::nearbyint(kSilentRate * seconds) < static_cast<double>(DataSizeLimit(1));
}

std::string NewWaveLengthRange() {
  return "A new sound's length must lie between 0 and " + std::to_string(DataSizeLimit(1) / kSilentRate) +
         " seconds";
}
