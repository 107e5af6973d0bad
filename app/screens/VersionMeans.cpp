#include "screens/VersionMeans.h"

#include "grading/ExamSummary.h"
#include "model/Choices.h"
#include "screens/Ui.h"

#include <QLabel>
#include <QVBoxLayout>

namespace ovalon {

VersionMeans::VersionMeans(QWidget *parent) : QWidget(parent) {
  auto *layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(ui::heading("By version", this));
  lines_ = new QLabel(this);
  lines_->setObjectName("versionMeans");
  layout->addWidget(lines_);
  layout->addWidget(ui::note("Close means suggest the versions were equally hard.", this));
  layout->addStretch();
}

void VersionMeans::setSummary(const ExamSummary &summary) {
  QStringList lines;
  for (const auto &[version, mean] : summary.versionMeans) {
    auto count = summary.versionCounts.find(version);
    int sheets = count == summary.versionCounts.end() ? 0 : count->second;
    lines << "Version " + ui::text(Choices::letter(version)) + ": " +
                 QString::asprintf("%.0f%%", mean) + " (" + QString::number(sheets) + " sheet" +
                 (sheets == 1 ? "" : "s") + ")";
  }
  lines_->setText(lines.join("\n"));
}

} // namespace ovalon
