#pragma once

#include <cstdint>

#include "gui/pages/main_form_page.h"

class QPushButton;
enum class CommandId : uint8_t;
enum class FormatConversion;

// The "Wave data" page: sample rate, resolution, channels and CD format of the whole sound.
class TWaveDataPage final : public TMainFormPage {
  Q_OBJECT

 public:
  explicit TWaveDataPage(TMainForm& form);

  QPushButton* DoubleSRButton = nullptr;
  QPushButton* HalveSRButton = nullptr;
  QPushButton* floatButton = nullptr;
  QPushButton* bits24Button = nullptr;
  QPushButton* bits16Button = nullptr;
  QPushButton* bits8Button = nullptr;
  QPushButton* StereoButton = nullptr;
  QPushButton* MonoButton = nullptr;
  QPushButton* CDFormatButton = nullptr;
  QPushButton* ResampleButton = nullptr;

 public slots:
  void DoubleSRButtonClick();
  void HalveSRButtonClick();
  void floatButtonClick();
  void bits24ButtonClick();
  void bits16ButtonClick();
  void bits8ButtonClick();
  void StereoButtonClick();
  void MonoButtonClick();
  void CDFormatButtonClick();
  void ResampleButtonClick();

 public:
  // OK in the resample dialog.
  void ResampleFormOK();

 private:
  // Recorded for Undo under `name` as the command table's entry `id` says.
  void Convert(FormatConversion conversion, CommandId id, const QString& name);
  template <class Command>
  void Convert(CommandId id, const QString& name, Command&& command);
};
