#include "test_wave_input.h"

#include <algorithm>
#include <cstring>

void TestWaveInput::Fill(const std::vector<uint8_t>& bytes) {
  if (queue_.empty()) return;
  WaveHeader* header = queue_.front();
  queue_.pop_front();
  const size_t count = std::min<size_t>(bytes.size(), header->BufferLength);
  if (count != 0) std::memcpy(header->Data, bytes.data(), count);
  header->BytesRecorded = static_cast<uint32_t>(count);
  notify_(kWaveInData, header);
}

int TestWaveInput::Open(int, const WaveFormatEx& format, WaveInNotify notify) {
  if (OpenResult != 0) return OpenResult;
  Format = format;
  notify_ = std::move(notify);
  open_ = true;
  prepared_ = 0;
  notify_(kWaveInOpened, nullptr);
  return 0;
}

int TestWaveInput::PrepareHeader(WaveHeader&) {
  return prepared_++ == FailingHeader ? PrepareResult : 0;
}

int TestWaveInput::UnprepareHeader(WaveHeader&) { return UnprepareResult; }

int TestWaveInput::AddBuffer(WaveHeader& header) {
  ++addCalls_;
  if (AddResult != 0 && addCalls_ >= AddFailsFrom) return AddResult;
  queue_.push_back(&header);
  return 0;
}

int TestWaveInput::Reset() {
  if (ResetResult != 0) return ResetResult;
  while (!queue_.empty()) Fill({});
  return 0;
}

int TestWaveInput::Close() {
  if (CloseResult != 0) return CloseResult;
  open_ = false;
  notify_(kWaveInClosed, nullptr);
  return 0;
}
