#include "Dragging.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

namespace ovalon::testing {

std::unique_ptr<QMimeData> dragOf(const std::filesystem::path &file) {
  auto data = std::make_unique<QMimeData>();
  data->setUrls({QUrl::fromLocalFile(QString::fromStdString(file.string()))});
  return data;
}

std::pair<bool, bool> dragAndDrop(QWidget *area, const std::filesystem::path &file) {
  auto data = dragOf(file);
  QPoint centre = area->rect().center();
  QDragEnterEvent enter(centre, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(area, &enter);
  QDropEvent drop(QPointF(centre), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
  drop.setAccepted(false);
  QApplication::sendEvent(area, &drop);
  return {enter.isAccepted(), drop.isAccepted()};
}

} // namespace ovalon::testing
