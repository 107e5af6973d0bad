#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

#include <string>

class QLabel;
class QWidget;

// Small shared pieces of every screen: text conversion, the recurring label
// styles and the icons that stand in for the design's symbols.
namespace ovalon::ui {

inline QString text(const std::string &utf8) {
  return QString::fromStdString(utf8);
}
inline std::string utf8(const QString &text) {
  return text.toStdString();
}

// A section title.
QLabel *heading(const QString &title, QWidget *parent = nullptr);
// A wrapped line of secondary text under a control.
QLabel *note(const QString &text, QWidget *parent = nullptr);

// A centred title and line of text for a view with nothing to show yet, with an
// optional button under them.
QWidget *emptyState(const QString &title, const QString &text, QWidget *parent,
                    QWidget *action = nullptr);

// The icon for one of the design's symbol names ("printer", "doc.viewfinder",
// "lock.fill", …) or a freedesktop icon name: the desktop theme's icon, else the
// style's own where it means the same, else none rather than a misleading one.
QIcon symbol(const QString &name);

// An icon drawn at `size` points for `widget`'s screen, sharp at any scale.
QPixmap pixmap(const QIcon &icon, int size, const QWidget *widget);
// A picture at most `width` points wide, using every pixel `widget`'s screen has.
QPixmap picture(const QImage &image, int width, const QWidget *widget);

} // namespace ovalon::ui
