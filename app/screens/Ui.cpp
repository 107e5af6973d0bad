#include "screens/Ui.h"

#include "screens/ToneLabel.h"

#include <QApplication>
#include <QLabel>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>
#include <map>
#include <optional>
#include <vector>

namespace ovalon::ui {

QLabel *heading(const QString &title, QWidget *parent) {
  auto *label = new QLabel(title, parent);
  QFont font = label->font();
  font.setBold(true);
  font.setPointSizeF(font.pointSizeF() * 1.15);
  label->setFont(font);
  return label;
}

QLabel *note(const QString &text, QWidget *parent) {
  // Derived from the text and window colours rather than the placeholder colour, which
  // some dark themes leave as dark as in light ones.
  auto *label = new ToneLabel(Tone::quiet, text, parent);
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
    std::vector<const char *> themed; // freedesktop names, the most fitting first
    std::optional<QStyle::StandardPixmap> fallback;
  };
  static const std::map<QString, Stand> icons{
      {"plus.circle", {{"document-new", "list-add"}, {}}},
      {"doc.viewfinder", {{"scanner"}, {}}},
      {"checklist", {{"document-edit", "accessories-text-editor", "x-office-document"}, {}}},
      {"lock.fill", {{"changes-prevent", "system-lock-screen"}, {}}},
      {"printer", {{"document-print"}, {}}},
      {"print.preview", {{"document-print-preview"}, {}}},
      {"key", {{"dialog-password"}, {}}},
      {"iphone", {{"camera-photo", "phone"}, {}}},
      {"arrow.triangle.2.circlepath", {{"view-refresh"}, QStyle::SP_BrowserReload}},
      {"pencil", {{"document-edit", "accessories-text-editor"}, {}}},
      {"shuffle", {{"media-playlist-shuffle"}, {}}},
      {"graduationcap", {{"applications-education", "applications-science"}, {}}},
      {"lock.shield", {{"security-high"}, {}}},
      {"checkmark", {{"emblem-default", "emblem-ok"}, QStyle::SP_DialogApplyButton}},
      {"exclamationmark.triangle", {{"dialog-warning"}, QStyle::SP_MessageBoxWarning}},
      {"questionmark.circle", {{"help-contents", "help-browser"}, {}}},
      {"chart.bar", {{"office-chart-bar", "x-office-spreadsheet"}, {}}},
      {"square.and.arrow.down", {{"document-save-as", "document-save"}, {}}},
      {"doc.on.doc", {{"edit-copy"}, {}}},
      {"trash", {{"edit-delete"}, QStyle::SP_TrashIcon}},
      {"person.list", {{"x-office-address-book", "contact-new"}, {}}},
  };
  auto found = icons.find(name);
  if (found == icons.end())
    return {};
  for (const char *themed : found->second.themed)
    if (QIcon::hasThemeIcon(themed))
      return QIcon::fromTheme(themed);
  if (found->second.fallback)
    return QApplication::style()->standardIcon(*found->second.fallback);
  return {};
}

QPixmap pixmap(const QIcon &icon, int size, const QWidget *widget) {
  qreal ratio = widget ? widget->devicePixelRatioF() : qApp->devicePixelRatio();
  return icon.pixmap(QSize(size, size), ratio);
}

QPixmap picture(const QImage &image, int width, const QWidget *widget) {
  if (image.width() <= width)
    return QPixmap::fromImage(image);
  // Shown `width` points wide, with as many of the picture's pixels as the screen shows.
  qreal ratio = widget ? widget->devicePixelRatioF() : qApp->devicePixelRatio();
  int pixels = std::min(image.width(), static_cast<int>(width * ratio));
  QPixmap scaled = QPixmap::fromImage(image.scaledToWidth(pixels, Qt::SmoothTransformation));
  scaled.setDevicePixelRatio(static_cast<qreal>(pixels) / width);
  return scaled;
}

} // namespace ovalon::ui
