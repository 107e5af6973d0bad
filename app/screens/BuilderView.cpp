#include "screens/BuilderView.h"

#include "model/AppModel.h"
#include "screens/AnswerKeySection.h"
#include "screens/AnswerSheetSection.h"
#include "screens/KeyGrid.h"
#include "screens/RosterSection.h"
#include "screens/Ui.h"
#include "screens/VersionsSection.h"

#include <QHBoxLayout>
#include <QScrollArea>
#include <QVBoxLayout>

namespace ovalon {

BuilderView::BuilderView(AppModel &model, QWidget *parent)
    : TabView(model, parent), model_(model), sheet_(new AnswerSheetSection(model)),
      versions_(new VersionsSection(model)), roster_(new RosterSection(model)),
      key_(new AnswerKeySection(model)) {
  setObjectName("builderView");
  auto *content = new QWidget;
  auto *top = new QHBoxLayout;
  top->setSpacing(14);
  auto *left = new QVBoxLayout;
  left->setSpacing(14);
  left->addWidget(sheet_);
  left->addWidget(versions_);
  left->addStretch();
  top->addLayout(left, 1);
  auto *right = new QVBoxLayout;
  right->addWidget(roster_);
  right->addStretch();
  top->addLayout(right, 1);

  auto *layout = new QVBoxLayout(content);
  layout->setContentsMargins(16, 12, 16, 16);
  layout->setSpacing(14);
  layout->addLayout(top);
  layout->addWidget(key_);
  layout->addStretch();

  auto *scroll = new QScrollArea(this);
  scroll->setWidgetResizable(true);
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setWidget(content);
  auto *outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  outer->addWidget(scroll);
  refresh();
}

KeyRow *BuilderView::keyRow(int question) const {
  return key_->grid()->row(question);
}

void BuilderView::focusTitle() {
  sheet_->focusTitle();
}

void BuilderView::refresh() {
  const ExamDocument *doc = model_.selectedDocument();
  if (!doc)
    return;
  QString testID = ui::text(doc->exam.id.text());
  bool otherTest = testID != shownTest_;
  shownTest_ = testID;
  bool running = model_.progress().has_value();
  sheet_->show(*doc, otherTest, running);
  versions_->show(*doc, otherTest, running || !doc->sheets.empty());
  roster_->show(*doc);
  key_->show(*doc);
}

} // namespace ovalon
