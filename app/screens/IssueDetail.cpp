#include "screens/IssueDetail.h"

#include "model/AppModel.h"
#include "model/Choices.h"
#include "screens/Ui.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace ovalon {

IssueDetail::IssueDetail(AppModel &model, const Uuid &issueID, QWidget *parent)
    : QWidget(parent), model_(model), issue_(issueID) {
  auto *layout = new QVBoxLayout(this);
  const ExamDocument *doc = model.selectedDocument();
  if (!doc)
    return;
  auto issue = std::ranges::find(doc->issues, issueID, &ScanIssue::id);
  if (issue == doc->issues.end())
    return;
  dismissed_ = issue->dismissed;

  layout->addWidget(ui::heading(ui::text(issue->title()), this));
  layout->addWidget(ui::note(ui::text(issue->detail()), this));
  QString caption = "The scanned page, page " + QString::number(issue->sourcePage);
  auto *picture = new QLabel(this);
  picture->setObjectName("issuePicture");
  picture->setAccessibleName(caption);
  picture->setToolTip(caption);
  picture->setFrameShape(QFrame::StyledPanel);
  std::optional<QImage> image = issue->image ? model.image(*issue->image) : std::nullopt;
  if (image && !image->isNull())
    picture->setPixmap(ui::picture(*image, 420, this));
  else
    picture->setText(caption);
  layout->addWidget(picture, 0, Qt::AlignLeft);
  layout->addWidget(
      ui::note(ui::text(issue->source) + " p. " + QString::number(issue->sourcePage), this));

  if (issue->dismissed) {
    auto *state = new QLabel("Left out", this);
    state->setObjectName("settledState");
    layout->addWidget(state);
  } else {
    auto *leave = new QPushButton("Leave This Page Out", this);
    leave->setObjectName("leavePageOut");
    connect(leave, &QPushButton::clicked, this, &IssueDetail::leaveOut);
    layout->addWidget(leave, 0, Qt::AlignLeft);

    auto *row = new QHBoxLayout;
    version_ = new QComboBox(this);
    version_->setObjectName("issueVersion");
    version_->setAccessibleName("Version");
    for (const ExamVersion &version : doc->exam.versions)
      version_->addItem(ui::text(Choices::letter(version.letter)), version.letter);
    auto *grade = new QPushButton("Grade as Version", this);
    grade->setObjectName("gradeAsVersion");
    grade->setEnabled(issue->image.has_value() && !model.progress());
    connect(grade, &QPushButton::clicked, this, [this] {
      Uuid id = issue_;
      model_.gradeIssueAsVersion(id, version_->currentData().toInt());
      model_.selectNextOpenItem();
    });
    row->addWidget(grade);
    row->addWidget(version_);
    row->addStretch();
    layout->addLayout(row);
    layout->addWidget(
        ui::note("For an answer sheet whose code is smudged. It's read as page 1, upright.", this));
  }
  layout->addStretch();
}

void IssueDetail::leaveOut() {
  model_.dismissIssue(issue_);
  model_.selectNextOpenItem();
}

bool IssueDetail::handleKey(int key) {
  if (dismissed_ || (key != Qt::Key_Delete && key != Qt::Key_Backspace))
    return false;
  leaveOut();
  return true;
}

} // namespace ovalon
