#include "processing/document_commands.h"

#include <cstdio>
#include <filesystem>

#include "processing/errors.h"
#include "processing/number_text.h"
#include "state/session.h"

namespace {

void RequireFileName(const std::string& fileName) {
  if (fileName.empty()) throw CommandError("The file name is empty");
}

void ShowWholeAndSelectAll(Session& session) {
  ShowWholeWave(session.View, session.Wave);
  SelectAll(session.View, session.Wave);
}

// Open, New, Reload and a recording bring a sound whose history starts with it.
void StartFresh(Session& session) {
  session.Undo.Clear();
  session.Changes.Reset();
  ShowWholeAndSelectAll(session);
}

}  // namespace

void OpenDocument(Session& session, const std::string& fileName) {
  RequireFileName(fileName);
  session.Wave.LoadFromFile(fileName, session.Program.NewWaveSeconds);
  session.NewInMemory = false;
  StartFresh(session);
}

void OpenDocumentImage(Session& session, const std::string& fileName, std::vector<uint8_t> image) {
  RequireFileName(fileName);
  session.Wave.LoadFromImage(fileName, std::move(image));
  session.NewInMemory = false;
  StartFresh(session);
}

bool OpenCropped(Session& session, const std::string& fileName, int32_t selStart, int32_t selEnd) {
  RequireFileName(fileName);
  if (!session.Wave.LoadPartOfFile(fileName, selStart, selEnd)) return false;
  session.NewInMemory = false;
  StartFresh(session);
  return true;
}

double ParseNewWaveLength(const std::string& text) {
  const double seconds = StrToFloat(text);
  if (!IsNewWaveLength(seconds)) throw InputRefused(NewWaveLengthRange());
  return seconds;
}

void NewDocument(Session& session, const std::string& fileName, double seconds) {
  RequireFileName(fileName);
  {
    TWave fresh;
    fresh.CreateSilent(fileName, seconds);
    fresh.SaveToFile(fileName);
  }
  session.Program.NewWaveSeconds = seconds;
  OpenDocument(session, fileName);
}

void NewDocumentInMemory(Session& session, const std::string& name, double seconds) {
  RequireFileName(name);
  session.Wave.CreateSilent(name, seconds);
  session.Program.NewWaveSeconds = seconds;
  session.NewInMemory = true;
  StartFresh(session);
}

// The saved file holds exactly the image, so the document is rebuilt from the image: the same
// outcome as opening the file again, without a second copy of the sound or a second read.
void SaveDocument(Session& session, const std::string& fileName) {
  RequireFileName(fileName);
  session.Wave.SaveToFile(fileName);
  session.Wave.ReopenFromImage(fileName);
  session.NewInMemory = false;
  session.Changes.Saved();
  // The history stays: an undo after a save goes on from the saved sound.
  ShowWholeAndSelectAll(session);
}

void ReloadDocument(Session& session) {
  if (session.NewInMemory) {
    NewDocumentInMemory(session, session.Wave.FileName(), session.Program.NewWaveSeconds);
  } else {
    OpenDocument(session, session.Wave.FileName());
  }
}

std::string EndsEarlyNotice(const Session& session) {
  const TWave& wave = session.Wave;
  if (wave.PromisedDataBytes() == 0 || wave.SampleRate() == 0 || wave.FrameBytes() == 0) return {};
  const double rate = wave.SampleRate();
  const double promised = static_cast<double>(wave.PromisedDataBytes() / wave.FrameBytes()) / rate;
  const std::string name = std::filesystem::path(wave.FileName()).filename().string();
  char tail[128];
  std::snprintf(tail, sizeof tail, " ends early: the header promises %.2f s, %.2f s are present.", promised,
                static_cast<double>(wave.PresentDataBytes() / wave.FrameBytes()) / rate);
  return name + tail;
}
