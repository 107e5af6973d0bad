#include "screens/SummaryCards.h"

#include "grading/ExamSummary.h"
#include "screens/Ui.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace ovalon {

namespace {

const QString reliabilityHelp = "Cronbach's alpha (KR-20 for one-point questions). Above 0.7 is "
                                "good for a classroom test.";

QString percent(double value) {
  return QString::asprintf("%.0f%%", value);
}

} // namespace

SummaryCards::SummaryCards(QWidget *parent) : QWidget(parent) {
  auto *layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  sheets_ = card("Sheets", "cardSheets");
  mean_ = card("Mean", "cardMean");
  high_ = card("High", "cardHigh");
  low_ = card("Low", "cardLow");
  reliability_ = card("Reliability", "cardReliability", reliabilityHelp);
}

QLabel *SummaryCards::card(const QString &title, const QString &name, const QString &help) {
  auto *frame = new QFrame(this);
  frame->setFrameShape(QFrame::StyledPanel);
  frame->setToolTip(help);
  auto *layout = new QVBoxLayout(frame);
  QLabel *caption = ui::note(title, frame);
  auto *value = new QLabel(frame);
  value->setObjectName(name);
  value->setAccessibleDescription(title);
  caption->setBuddy(value);
  QFont font = value->font();
  font.setPointSizeF(font.pointSizeF() * 1.6);
  font.setBold(true);
  value->setFont(font);
  value->setToolTip(help);
  layout->addWidget(caption);
  layout->addWidget(value);
  static_cast<QHBoxLayout *>(this->layout())->addWidget(frame, 1);
  return value;
}

void SummaryCards::setSummary(const ExamSummary &summary) {
  sheets_->setText(QString::number(summary.count));
  mean_->setText(percent(summary.mean));
  high_->setText(percent(summary.high));
  low_->setText(percent(summary.low));
  reliability_->setText(summary.reliability ? QString::asprintf("%.2f", *summary.reliability)
                                            : QString("\u2014"));
}

} // namespace ovalon
