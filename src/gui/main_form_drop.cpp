// A wave file dropped from a file manager opens as Open would open it.

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>

#include "gui/local_path.h"
#include "gui/main_form.h"
#include "gui/pages/main_form_file.h"

namespace {

// The first of the dropped things, when it is a local file named as a wave; otherwise nothing.
QString DroppedWave(const QMimeData* data) {
  if (!data || !data->hasUrls() || data->urls().isEmpty()) return {};
  const QUrl& url = data->urls().constFirst();
  if (!url.isLocalFile()) return {};
  const QString path = url.toLocalFile();
  return QFileInfo(path).suffix().compare(QStringLiteral("wav"), Qt::CaseInsensitive) == 0 ? path : QString();
}

}  // namespace

// Refused whenever Open is, as while a sound plays and the pages are disabled.
bool TMainForm::AcceptsDrop(const QMimeData* data) const {
  return FileTabSheet->OpenBitBtn->isEnabled() && !DroppedWave(data).isEmpty();
}

void TMainForm::dragEnterEvent(QDragEnterEvent* event) {
  if (AcceptsDrop(event->mimeData())) event->acceptProposedAction();
}

void TMainForm::dropEvent(QDropEvent* event) {
  if (!AcceptsDrop(event->mimeData())) return;
  event->acceptProposedAction();
  const QString fileName = DroppedWave(event->mimeData());
  Guarded([&] {
    if (FileTabSheet->SettleChanges()) OpenWave(LocalPath(fileName));
  });
}
