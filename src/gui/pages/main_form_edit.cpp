#include "gui/pages/main_form_edit.h"

#include <QBoxLayout>
#include <QGroupBox>
#include <QKeySequence>
#include <QPushButton>

#include "gui/control_factory.h"
#include "gui/main_form.h"
#include "processing/edit_commands.h"

// The mnemonics stay clear of those below the pages, which are always visible: Reload, Rec,
// Play, Stop, Left, Right, Select all. Every letter of Delete is taken there; the Delete key
// stands in for one.
TEditPage::TEditPage(TMainForm& form) : TMainFormPage(form, "EditTabSheet") {
  const QString whole = tr(" (whole frames, both channels)");
  QBoxLayout* row = AddGroup("ClipboardGroupBox", tr("Clipboard"));
  CutButton = MakeButton(GroupOf(row), row, "CutButton", tr("C&ut"),
                         tr("Moves the selection into the clipboard") + whole);
  CopyButton = MakeButton(GroupOf(row), row, "CopyButton", tr("&Copy"),
                          tr("Copies the selection into the clipboard") + whole);
  PasteButton = MakeButton(GroupOf(row), row, "PasteButton", tr("P&aste"),
                           tr("Inserts the clipboard before the selection's start"));
  row = AddGroup("LengthGroupBox", tr("Length"));
  DeleteButton = MakeButton(GroupOf(row), row, "DeleteButton", tr("Delete"), tr("Deletes the selection") + whole);
  CropButton = MakeButton(GroupOf(row), row, "CropButton", tr("Cr&op"), tr("Keeps only the selection") + whole);
  InsertSilenceButton = MakeButton(GroupOf(row), row, "InsertSilenceButton", tr("&Insert silence"),
                                   tr("Inserts silence before the selection's start"));
  EndPage();
  setEnabled(false);

  connect(CutButton, &QPushButton::clicked, this, &TEditPage::CutButtonClick);
  connect(CopyButton, &QPushButton::clicked, this, &TEditPage::CopyButtonClick);
  connect(PasteButton, &QPushButton::clicked, this, &TEditPage::PasteButtonClick);
  connect(DeleteButton, &QPushButton::clicked, this, &TEditPage::DeleteButtonClick);
  connect(CropButton, &QPushButton::clicked, this, &TEditPage::CropButtonClick);
  connect(InsertSilenceButton, &QPushButton::clicked, this, &TEditPage::InsertSilenceButtonClick);
  // The keys work from every page; click() does nothing while the page is disabled, and a text
  // box that has the focus keeps these keys for its own text.
  ClickOnKeys(&form, {{QKeySequence(Qt::CTRL | Qt::Key_X), CutButton},
                      {QKeySequence(Qt::CTRL | Qt::Key_C), CopyButton},
                      {QKeySequence(Qt::CTRL | Qt::Key_V), PasteButton},
                      {QKeySequence(Qt::Key_Delete), DeleteButton}});
}

template <class Command>
void TEditPage::Edit(CommandId id, const QString& name, Command&& command) {
  form_.RunWithDocument([&] { form_.Recorded(id, name, [&] { command(form_.Document()); }); });
}

void TEditPage::CutButtonClick() { Edit(CommandId::Cut, tr("Cut"), CutSelection); }

void TEditPage::CopyButtonClick() {
  form_.RunWithDocument([this] { CopySelection(form_.Document()); });
}

void TEditPage::PasteButtonClick() { Edit(CommandId::Paste, tr("Paste"), PasteClipboard); }
void TEditPage::DeleteButtonClick() { Edit(CommandId::Delete, tr("Delete"), DeleteSelection); }
void TEditPage::CropButtonClick() { Edit(CommandId::Crop, tr("Crop"), CropToSelection); }

void TEditPage::InsertSilenceButtonClick() {
  form_.RunWithDocument([this] {
    std::string ms;
    if (!AskText(tr("Insert silence"), tr("Specify length [mS]"), QStringLiteral("1000"), ms)) return;
    form_.Recorded(CommandId::InsertSilence, tr("Insert silence"), [&] { InsertSilence(form_.Document(), ms); }, std::span(&ms, 1));
  });
}
