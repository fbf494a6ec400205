#pragma once

#include <cstdint>

#include "audio/audio_settings.h"
#include "gui/dialogs/tool_form.h"

class QGroupBox;
class QRadioButton;

// The recording options dialog: the sample rate, resolution and channels of the next recording.
// OK hands over to the owner, which starts the recording; the choices stay as the user left them
// for the next one.
class TRecOptionsForm final : public TToolForm {
  Q_OBJECT

 public:
  explicit TRecOptionsForm(QWidget* parent = nullptr);

  // The format the buttons stand for.
  uint16_t SampleRate() const;
  TBPS BitsPerSample() const;
  TChannels Channels() const;

  QGroupBox* GroupBox1 = nullptr;
  QRadioButton* sr44RadioButton = nullptr;
  QRadioButton* sr22RadioButton = nullptr;
  QRadioButton* sr11RadioButton = nullptr;
  QGroupBox* GroupBox2 = nullptr;
  QRadioButton* r24RadioButton = nullptr;
  QRadioButton* r16RadioButton = nullptr;
  QRadioButton* r8RadioButton = nullptr;
  QGroupBox* GroupBox3 = nullptr;
  QRadioButton* StereoRadioButton = nullptr;
  QRadioButton* MonoRadioButton = nullptr;
};
