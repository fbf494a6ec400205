#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "state/random_generator.h"
#include "wave/wave_header.h"

// What Copy and Cut took last: a canonical WAV image of the frames, whose header keeps the
// format they came in, since the document may have another by the time they are pasted.
struct Clipboard {
  std::vector<uint8_t> Image;  // empty until something is copied

  bool Empty() const { return Image.empty(); }
  TWaveHeader Format() const { return ReadWaveHeader(Image.data()); }
};

// What the whole program shares between its commands for as long as it runs. The window and each
// velorin-cli run own one and hand it to the commands; nothing of it lives in a global, so every
// test starts from a fresh one.
struct ProgramState {
  // The length in seconds of the silent sound that New makes and that opening a missing file
  // gives; kept until New sets it again.
  double NewWaveSeconds = 0.0;
  // Where the IIR files and the scratch file live, without a trailing separator.
  std::string ProgramDir;
  // The noise commands draw from it.
  RandomGenerator Random;
  // Lasts across Open and New, so that frames go from one sound into another.
  Clipboard Clip;
};

// Where the IIR files and the scratch file go for a program that lives in `programFolder`: that
// folder while it can be written, otherwise (an installed program) the user's data folder,
// "Velorin II" in $XDG_DATA_HOME or ~/.local/share, made when missing. A folder that cannot be
// made is still named: writing the first file there then says why.
std::string WritableProgramDir(const std::string& programFolder);

// The file a recording is made into.
inline std::string ScratchFileName(const ProgramState& program) {
  return program.ProgramDir + "/velorin_temp.wav";
}
