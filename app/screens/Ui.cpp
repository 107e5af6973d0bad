#include "screens/Ui.h"

#include <QApplication>
#include <QLabel>
#include <QStyle>
#include <QVBoxLayout>

#include <map>

namespace ovalon::ui {

QString shortcutText(const QKeySequence &keys) {
  return keys.toString(QKeySequence::NativeText);
}

QLabel *heading(const QString &title, QWidget *parent) {
  auto *label = new QLabel(title, parent);
  QFont font = label->font();
  font.setBold(true);
  font.setPointSizeF(font.pointSizeF() * 1.15);
  label->setFont(font);
  return label;
}

QLabel *note(const QString &text, QWidget *parent) {
  auto *label = new QLabel(text, parent);
  label->setWordWrap(true);
  label->setForegroundRole(QPalette::PlaceholderText);
  label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  return label;
}

QWidget *emptyState(const QString &title, const QString &text, QWidget *parent, QWidget *action) {
  auto *box = new QWidget(parent);
  auto *layout = new QVBoxLayout(box);
  layout->addStretch();
  QLabel *titleLabel = heading(title, box);
  titleLabel->setAlignment(Qt::AlignCenter);
  layout->addWidget(titleLabel);
  QLabel *textLabel = note(text, box);
  textLabel->setAlignment(Qt::AlignCenter);
  layout->addWidget(textLabel);
  if (action)
    layout->addWidget(action, 0, Qt::AlignCenter);
  layout->addStretch();
  return box;
}

QIcon symbol(const QString &name) {
  struct Stand {
    const char *theme;
    QStyle::StandardPixmap fallback;
  };
  static const std::map<QString, Stand> icons{
      {"plus.circle", {"list-add", QStyle::SP_FileDialogNewFolder}},
      {"doc.viewfinder", {"scanner", QStyle::SP_DialogOpenButton}},
      {"checklist", {"view-list-details", QStyle::SP_FileDialogDetailedView}},
      {"lock.fill", {"changes-prevent", QStyle::SP_MessageBoxWarning}},
      {"printer", {"document-print", QStyle::SP_FileIcon}},
      {"key", {"dialog-password", QStyle::SP_DialogApplyButton}},
      {"iphone", {"camera-photo", QStyle::SP_DriveCDIcon}},
      {"arrow.triangle.2.circlepath", {"view-refresh", QStyle::SP_BrowserReload}},
      {"pencil", {"document-edit", QStyle::SP_FileDialogContentsView}},
      {"shuffle", {"media-playlist-shuffle", QStyle::SP_BrowserReload}},
      {"graduationcap", {"applications-education", QStyle::SP_DirHomeIcon}},
      {"lock.shield", {"security-high", QStyle::SP_MessageBoxInformation}},
      {"checkmark", {"emblem-ok", QStyle::SP_DialogApplyButton}},
      {"exclamationmark.triangle", {"dialog-warning", QStyle::SP_MessageBoxWarning}},
      {"questionmark.circle", {"help-contents", QStyle::SP_MessageBoxQuestion}},
  };
  auto found = icons.find(name);
  if (found == icons.end())
    return {};
  return QIcon::fromTheme(found->second.theme,
                          QApplication::style()->standardIcon(found->second.fallback));
}

} // namespace ovalon::ui
