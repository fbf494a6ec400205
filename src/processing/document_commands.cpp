#include "processing/document_commands.h"

#include "processing/errors.h"
#include "processing/number_text.h"
#include "views/view_state.h"
#include "wave/wave_document.h"

namespace {

// The longest sound New makes: its data must stay below the editor's 512 MiB limit.
constexpr double kLongestNewWave = (kMaxDataSize - 1) / 11025.0;

void ShowWholeAndSelectAll(TWave& wave, ViewState& state) {
  ShowWholeWave(state, wave);
  SelectAll(state, wave);
}

}  // namespace

void OpenDocument(TWave& wave, ViewState& state, const std::string& fileName) {
  wave.LoadFromFile(fileName);
  ShowWholeAndSelectAll(wave, state);
}

double ParseNewWaveLength(const std::string& text) {
  const double seconds = StrToFloat(text);
  if (seconds < 0 || seconds > kLongestNewWave) throw InputRefused(kAbortingOperation);
  return seconds;
}

void NewDocument(TWave& wave, ViewState& state, const std::string& fileName, double seconds) {
  SetNewWaveLength(seconds);
  {
    TWave fresh;
    fresh.CreateSilent(fileName);
    fresh.SaveToFile(fileName);
  }
  OpenDocument(wave, state, fileName);
}

void NewDocumentInMemory(TWave& wave, ViewState& state, const std::string& name, double seconds) {
  SetNewWaveLength(seconds);
  wave.CreateSilent(name);
  ShowWholeAndSelectAll(wave, state);
}

void SaveDocument(TWave& wave, ViewState& state, const std::string& fileName) {
  wave.SaveToFile(fileName);
  OpenDocument(wave, state, fileName);
}
