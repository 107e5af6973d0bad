#include "screens/VersionEdit.h"

#include "model/AppModel.h"
#include "model/Choices.h"
#include "screens/ToneLabel.h"
#include "screens/Ui.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QVBoxLayout>

namespace ovalon {

VersionEdit::VersionEdit(AppModel &model, QWidget *parent)
    : QFrame(parent), model_(model), versions_(new QComboBox(this)), prompt_(new QLabel(this)),
      orderText_(new QLineEdit(this)), orderError_(new ToneLabel(ui::Tone::wrong, {}, this)) {
  setObjectName("versionEdit");
  setFrameShape(QFrame::StyledPanel);
  versions_->setObjectName("orderVersion");
  orderText_->setObjectName("orderText");
  orderText_->setPlaceholderText("3, 1, 2, \u2026");
  orderText_->setAccessibleName("Question order");
  versions_->setAccessibleName("Version");
  orderError_->setObjectName("orderError");
  orderError_->hide();
  prompt_->setWordWrap(true);

  auto *use = new QPushButton("Use This Order", this);
  use->setObjectName("useOrder");
  use->setDefault(true);
  auto *cancel = new QPushButton("Cancel", this);
  cancel->setObjectName("cancelOrder");

  auto *picker = new QHBoxLayout;
  picker->addWidget(new QLabel("Version", this));
  picker->addWidget(versions_);
  picker->addStretch();
  auto *buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(cancel);
  buttons->addWidget(use);

  auto *layout = new QVBoxLayout(this);
  layout->addLayout(picker);
  layout->addWidget(prompt_);
  layout->addWidget(orderText_);
  layout->addWidget(orderError_);
  layout->addLayout(buttons);

  connect(versions_, &QComboBox::activated, this,
          [this](int index) { edit(versions_->itemData(index).toInt()); });
  connect(use, &QPushButton::clicked, this, &VersionEdit::apply);
  connect(orderText_, &QLineEdit::returnPressed, this, &VersionEdit::apply);
  connect(cancel, &QPushButton::clicked, this, [this] {
    orderError_->hide();
    emit finished();
  });
}

QString VersionEdit::orderError() const {
  return orderError_->isVisible() || !orderError_->isHidden() ? orderError_->text() : QString();
}

void VersionEdit::refreshVersions() {
  const ExamDocument *doc = model_.selectedDocument();
  int count = doc ? static_cast<int>(doc->exam.versions.size()) : 1;
  versions_->clear();
  for (int version = 1; version < count; ++version)
    versions_->addItem(ui::text(Choices::letter(version)), version);
  versions_->setCurrentIndex(versions_->findData(version_));
}

void VersionEdit::edit(int version) {
  version_ = version;
  refreshVersions();
  orderError_->hide();
  orderError_->clear();
  QString letter = ui::text(Choices::letter(version));
  prompt_->setText("Type version A\u2019s question numbers in the order version " + letter +
                   " prints them, separated by commas or spaces.");
  QStringList numbers;
  if (const ExamDocument *doc = model_.selectedDocument())
    if (const ExamVersion *printed = doc->exam.version(version))
      for (int question : printed->order)
        numbers << QString::number(question + 1);
  orderText_->setText(numbers.join(", "));
  orderText_->setFocus();
}

std::optional<std::vector<int>> VersionEdit::parseOrder(const QString &text) {
  std::vector<int> numbers;
  static const QRegularExpression separators("[,\\s]+");
  for (const QString &part : text.split(separators, Qt::SkipEmptyParts)) {
    bool ok = false;
    int number = part.toInt(&ok);
    if (!ok)
      return std::nullopt;
    numbers.push_back(number);
  }
  return numbers;
}

void VersionEdit::apply() {
  const ExamDocument *doc = model_.selectedDocument();
  if (!doc)
    return;
  // Checked on a copy first, so a typing mistake is shown and changes nothing.
  Exam trial = doc->exam;
  auto numbers = parseOrder(orderText_->text());
  std::expected<void, ExamError> checked =
      numbers ? trial.setOrder(*numbers, version_)
              : std::expected<void, ExamError>(
                    std::unexpected(ExamError::notAPermutation(trial.questionCount)));
  if (!checked) {
    orderError_->setText(ui::text(checked.error().description()));
    orderError_->show();
    return;
  }
  std::vector<int> order = *numbers;
  int version = version_;
  model_.update([&order, version](ExamDocument &d) { (void)d.exam.setOrder(order, version); });
  orderError_->hide();
  emit finished();
}

} // namespace ovalon
