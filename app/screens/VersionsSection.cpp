#include "screens/VersionsSection.h"

#include "model/AppModel.h"
#include "screens/Ui.h"
#include "screens/VersionEdit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace ovalon {

VersionsSection::VersionsSection(AppModel &model, QWidget *parent)
    : QGroupBox("Versions", parent), model_(model) {
  count_ = new QComboBox(this);
  count_->setObjectName("versionCount");
  count_->setAccessibleName("Versions");
  count_->addItems({"A only", "A and B", "A to C", "A to D"});
  connect(count_, &QComboBox::activated, this, [this](int index) {
    model_.update([count = index + 1](ExamDocument &d) { d.exam.setVersionCount(count); });
  });
  reshuffle_ = new QPushButton(ui::symbol("shuffle"), "Shuffle Again", this);
  reshuffle_->setObjectName("reshuffle");
  reshuffle_->setToolTip("New question orders for versions B to D");
  connect(reshuffle_, &QPushButton::clicked, this,
          [this] { model_.update([](ExamDocument &d) { d.exam.reshuffle(); }); });
  shuffleChoices_ = new QCheckBox("Shuffle the choices too", this);
  shuffleChoices_->setObjectName("shuffleChoices");
  connect(shuffleChoices_, &QCheckBox::clicked, this, [this](bool on) {
    model_.update([on](ExamDocument &d) { d.exam.setShuffleChoices(on); });
  });
  ownOrder_ = new QPushButton("Use your own order, for versions you've already written", this);
  ownOrder_->setObjectName("ownOrder");
  ownOrder_->setFlat(true);
  edit_ = new VersionEdit(model_, this);
  edit_->hide();
  connect(ownOrder_, &QPushButton::clicked, this, [this] {
    edit_->show();
    edit_->edit(1);
  });
  connect(edit_, &VersionEdit::finished, edit_, &QWidget::hide);

  auto *exportKeys = new QPushButton("Save Answer Keys PDF\u2026", this);
  exportKeys->setObjectName("builderExportAnswerKeys");
  connect(exportKeys, &QPushButton::clicked, this, [this] { model_.exportAnswerKeys(); });

  auto *row = new QHBoxLayout;
  row->addWidget(count_);
  row->addWidget(reshuffle_);
  row->addStretch();
  auto *layout = new QVBoxLayout(this);
  layout->addLayout(row);
  layout->addWidget(shuffleChoices_);
  layout->addWidget(
      ui::note("Leave this off when an answer like \u201cAll of the above\u201d has to "
               "stay last.",
               this));
  layout->addWidget(ownOrder_, 0, Qt::AlignLeft);
  layout->addWidget(edit_);
  layout->addWidget(ui::note("Each version prints its own letter in the code. Its answers are "
                             "counted under version A\u2019s question numbers, so results and the "
                             "item report cover every version together.",
                             this));
  layout->addWidget(exportKeys, 0, Qt::AlignLeft);
}

void VersionsSection::show(const ExamDocument &document, bool otherTest, bool locked) {
  const Exam &exam = document.exam;
  for (QWidget *field :
       std::initializer_list<QWidget *>{count_, reshuffle_, shuffleChoices_, ownOrder_})
    field->setEnabled(!locked);
  int versions = static_cast<int>(exam.versions.size());
  if (locked || otherTest || versions == 1)
    edit_->hide();
  count_->setCurrentIndex(versions - 1);
  reshuffle_->setVisible(versions > 1);
  ownOrder_->setVisible(versions > 1 && !locked);
  shuffleChoices_->setChecked(exam.shuffleChoices);
}

} // namespace ovalon
