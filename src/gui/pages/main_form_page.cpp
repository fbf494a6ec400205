#include "gui/pages/main_form_page.h"

#include <QBoxLayout>
#include <QGroupBox>

#include "gui/control_factory.h"
#include "gui/main_form.h"

namespace {
constexpr int kGroupHeight = 65;
}  // namespace

TMainFormPage::TMainFormPage(TMainForm& form, const char* name) : form_(form) {
  setObjectName(QString::fromLatin1(name));
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(4, 2, 4, 2);
  row->setSpacing(8);
}

QBoxLayout* TMainFormPage::AddGroup(const char* name, const QString& caption) {
  QGroupBox* group = MakeRowGroupBox(this, name, caption);
  group->setFixedHeight(kGroupHeight);
  static_cast<QBoxLayout*>(layout())->addWidget(group);
  return static_cast<QBoxLayout*>(group->layout());
}

QGroupBox* TMainFormPage::GroupOf(QBoxLayout* row) { return static_cast<QGroupBox*>(row->parentWidget()); }

void TMainFormPage::EndPage() { static_cast<QBoxLayout*>(layout())->addStretch(1); }

bool TMainFormPage::AskText(const QString& caption, const QString& prompt, const QString& proposal,
                            std::string& text) {
  QString typed = proposal;
  if (!form_.Ask().InputQuery(caption, prompt, typed)) return false;
  text = typed.toStdString();
  return true;
}
