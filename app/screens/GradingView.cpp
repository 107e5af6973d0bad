#include "screens/GradingView.h"

#include "model/AppModel.h"
#include "screens/Settings.h"
#include "screens/SheetDetail.h"
#include "screens/SheetTable.h"
#include "screens/Ui.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QSplitter>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

namespace ovalon {

DropArea::DropArea(AppModel &model, QWidget *parent) : QFrame(parent), model_(model) {
  setObjectName("dropArea");
  setAcceptDrops(true);
  setFrameShape(QFrame::StyledPanel);
  setMinimumHeight(90);
  auto *layout = new QVBoxLayout(this);
  auto *icon = new QLabel(this);
  icon->setPixmap(ui::pixmap(ui::symbol("doc.viewfinder"), 32, this));
  icon->setAlignment(Qt::AlignCenter);
  layout->addWidget(icon);
  auto *title = new QLabel("Drop the class\u2019s scanned PDF here", this);
  setAccessibleName(title->text());
  title->setAlignment(Qt::AlignCenter);
  layout->addWidget(title);
  setDropTargeted(false);
}

std::vector<std::filesystem::path> DropArea::gradableFiles(const QMimeData *data) {
  std::vector<std::filesystem::path> files;
  if (!data || !data->hasUrls())
    return files;
  const auto &extensions = AppModel::droppableExtensions();
  for (const QUrl &url : data->urls()) {
    if (!url.isLocalFile())
      continue;
    std::filesystem::path path = url.toLocalFile().toStdString();
    std::string extension = path.extension().string();
    if (!extension.empty())
      extension.erase(0, 1);
    std::ranges::transform(extension, extension.begin(),
                           [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (std::ranges::find(extensions, extension) != extensions.end())
      files.push_back(path);
  }
  return files;
}

void DropArea::setDropTargeted(bool targeted) {
  dropTargeted_ = targeted;
  // The highlight follows the desktop's own selection colour.
  setBackgroundRole(targeted ? QPalette::Highlight : QPalette::Base);
  setForegroundRole(targeted ? QPalette::HighlightedText : QPalette::Text);
  setAutoFillBackground(true);
  setFrameShadow(targeted ? QFrame::Sunken : QFrame::Plain);
  update();
}

void DropArea::dragEnterEvent(QDragEnterEvent *event) {
  if (gradableFiles(event->mimeData()).empty() || model_.progress()) {
    event->ignore();
    return;
  }
  event->acceptProposedAction();
  setDropTargeted(true);
}

void DropArea::dragLeaveEvent(QDragLeaveEvent *event) {
  setDropTargeted(false);
  QFrame::dragLeaveEvent(event);
}

void DropArea::dropEvent(QDropEvent *event) {
  setDropTargeted(false);
  auto files = gradableFiles(event->mimeData());
  if (files.empty() || !model_.gradeDroppedFiles(files)) {
    event->ignore();
    return;
  }
  event->acceptProposedAction();
}

GradingView::GradingView(AppModel &model, QWidget *parent) : TabView(model, parent), model_(model) {
  auto *layout = new QVBoxLayout(this);
  drop_ = new DropArea(model, this);
  layout->addWidget(drop_);

  tips_ = new QWidget(this);
  tips_->setObjectName("gradingTips");
  auto *tips = new QVBoxLayout(tips_);
  tips->setContentsMargins(0, 8, 0, 0);
  const std::pair<const char *, QString> lines[] = {
      {"doc.viewfinder",
       "Scan the whole stack at the copier to one PDF (200 to 300 dpi, grayscale if you can: "
       "black and white can drop light pencil marks). Every page is graded here on this "
       "computer; nothing is uploaded."},
      {"key", "Bubbled an answer key sheet? Put it anywhere in the stack; it\u2019s read as the "
              "key for you to check."},
      {"iphone", "No scanner? Use File > Import Photos\u2026"},
  };
  for (const auto &[symbol, text] : lines) {
    auto *row = new QHBoxLayout;
    auto *icon = new QLabel(tips_);
    icon->setPixmap(ui::pixmap(ui::symbol(symbol), 20, tips_));
    row->addWidget(icon, 0, Qt::AlignTop);
    row->addWidget(ui::note(text, tips_), 1);
    tips->addLayout(row);
  }
  tips->addStretch();
  layout->addWidget(tips_, 1);

  auto *splitter = new QSplitter(Qt::Horizontal, this);
  splitter->setObjectName("gradingSplitter");
  sheets_ = splitter;
  table_ = new SheetTable(model, splitter);
  detail_ = new SheetDetail(model, splitter);
  splitter->addWidget(table_);
  splitter->addWidget(detail_);
  splitter->setStretchFactor(0, 1);
  splitter->setStretchFactor(1, 1);
  splitter->setChildrenCollapsible(false);
  settings::rememberSplitter(*splitter, "grading");
  layout->addWidget(splitter, 1);

  refresh();
}

void GradingView::refresh() {
  const ExamDocument *doc = model_.selectedDocument();
  bool graded = doc && (!doc->sheets.empty() || !doc->issues.empty());
  tips_->setVisible(!graded);
  sheets_->setVisible(graded);
  // Once there are sheets the drop area makes room for them.
  drop_->setMaximumHeight(graded ? 90 : QWIDGETSIZE_MAX);
  if (graded) {
    table_->refresh();
    detail_->refresh();
  }
}

} // namespace ovalon
