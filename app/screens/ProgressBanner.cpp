#include "screens/ProgressBanner.h"

#include "model/AppModel.h"
#include "screens/Ui.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace ovalon {

ProgressBanner::ProgressBanner(AppModel &model, QWidget *parent)
    : QFrame(parent), model_(model), title_(new QLabel(this)), count_(ui::note({}, this)),
      bar_(new QProgressBar(this)) {
  setObjectName("progressBanner");
  setFrameShape(QFrame::StyledPanel);
  setBackgroundRole(QPalette::AlternateBase);
  setAutoFillBackground(true);
  title_->setObjectName("progressTitle");
  bar_->setAccessibleName("Progress");
  count_->setObjectName("progressCount");
  bar_->setTextVisible(false);
  QFont bold = title_->font();
  bold.setBold(true);
  title_->setFont(bold);

  auto *cancel = new QPushButton("Cancel", this);
  cancel->setObjectName("cancelGrading");
  connect(cancel, &QPushButton::clicked, &model, [&model] { model.cancelGrading(); });

  auto *text = new QVBoxLayout;
  text->setSpacing(2);
  text->addWidget(title_);
  text->addWidget(count_);
  auto *layout = new QHBoxLayout(this);
  layout->setContentsMargins(12, 8, 12, 8);
  layout->addLayout(text, 2);
  layout->addWidget(bar_, 3);
  layout->addWidget(cancel);

  connect(&model, &AppModel::progressChanged, this, &ProgressBanner::refresh);
  refresh();
}

void ProgressBanner::refresh() {
  const auto &progress = model_.progress();
  setVisible(progress.has_value());
  if (!progress)
    return;
  title_->setText(ui::text(progress->title));
  if (progress->total == 0) {
    count_->setText("Opening\u2026");
    bar_->setRange(0, 0); // busy until the page count is known
  } else {
    count_->setText(QString("%1 of %2 pages").arg(progress->done).arg(progress->total));
    bar_->setRange(0, progress->total);
    bar_->setValue(progress->done);
  }
}

} // namespace ovalon
