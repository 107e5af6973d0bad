#pragma once

#include <QString>

class QSplitter;
class QWidget;

// What the app remembers between runs that isn't part of any test: where the window
// was, how its panes were divided and which folders the choosers last showed. Kept in
// the desktop's settings for the app (QSettings), never in the library.
namespace ovalon::settings {

// Puts the window where it was last closed; false when there is nothing to restore.
bool restoreGeometry(QWidget &window, const QString &key);
void saveGeometry(const QWidget &window, const QString &key);

// Gives the splitter the division it had last time and remembers each change.
void rememberSplitter(QSplitter &splitter, const QString &key);

// The folder a chooser of this kind last opened in, or the given default.
QString lastFolder(const QString &kind, const QString &otherwise);
void setLastFolder(const QString &kind, const QString &folder);

} // namespace ovalon::settings
