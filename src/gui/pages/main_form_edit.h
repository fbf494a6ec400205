#pragma once

#include <cstdint>

#include "gui/pages/main_form_page.h"

class QPushButton;
enum class CommandId : uint8_t;
struct Session;

// The "Edit" page: the clipboard and the commands that change the sound's length. They act on
// whole frames, both channels, whatever the channel boxes say. Disabled until there is a sound.
class TEditPage final : public TMainFormPage {
  Q_OBJECT

 public:
  explicit TEditPage(TMainForm& form);

  QPushButton* CutButton = nullptr;
  QPushButton* CopyButton = nullptr;
  QPushButton* PasteButton = nullptr;
  QPushButton* DeleteButton = nullptr;
  QPushButton* CropButton = nullptr;
  QPushButton* InsertSilenceButton = nullptr;

 public slots:
  void CutButtonClick();
  void CopyButtonClick();
  void PasteButtonClick();
  void DeleteButtonClick();
  void CropButtonClick();
  void InsertSilenceButtonClick();

 private:
  // `command(session)` as a whole command of the window, recorded for Undo under `name` as the
  // command table's entry `id` says: nothing without a sound, the refresh after it.
  template <class Command>
  void Edit(CommandId id, const QString& name, Command&& command);
};
