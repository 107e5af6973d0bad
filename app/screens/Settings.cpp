#include "screens/Settings.h"

#include <QDir>
#include <QSettings>
#include <QSplitter>
#include <QWidget>

namespace ovalon::settings {

bool restoreGeometry(QWidget &window, const QString &key) {
  QByteArray saved = QSettings().value("geometry/" + key).toByteArray();
  return !saved.isEmpty() && window.restoreGeometry(saved);
}

void saveGeometry(const QWidget &window, const QString &key) {
  QSettings().setValue("geometry/" + key, window.saveGeometry());
}

void rememberSplitter(QSplitter &splitter, const QString &key) {
  QString name = "splitters/" + key;
  QByteArray saved = QSettings().value(name).toByteArray();
  if (!saved.isEmpty())
    splitter.restoreState(saved);
  QObject::connect(&splitter, &QSplitter::splitterMoved, &splitter,
                   [&splitter, name] { QSettings().setValue(name, splitter.saveState()); });
}

QString lastFolder(const QString &kind, const QString &otherwise) {
  QString folder = QSettings().value("folders/" + kind).toString();
  return !folder.isEmpty() && QDir(folder).exists() ? folder : otherwise;
}

void setLastFolder(const QString &kind, const QString &folder) {
  if (!folder.isEmpty())
    QSettings().setValue("folders/" + kind, folder);
}

} // namespace ovalon::settings
