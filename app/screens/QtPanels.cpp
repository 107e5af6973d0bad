#include "screens/QtPanels.h"

#include "screens/SheetPicture.h"
#include "screens/Ui.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QStandardPaths>

#include <algorithm>

namespace fs = std::filesystem;

namespace ovalon {

namespace {

// Sheets are line art: 300 dpi is as sharp as paper shows, and keeps each page's
// bitmap under ten megabytes.
constexpr double maxPrintDotsPerInch = 300;

QString startFolder() {
  QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  return QDir(documents).exists() ? documents : QDir::homePath();
}

} // namespace

void QtPanels::preparePrinter(QPrinter &printer, const Exam &exam) {
  printer.setDocName(ui::text(exam.title));
  printer.setPageSize(QPageSize(exam.paper == Paper::a4 ? QPageSize::A4 : QPageSize::Letter));
  printer.setPageOrientation(QPageLayout::Portrait);
  printer.setFullPage(true);
  printer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Point);
}

bool QtPanels::drawPages(QPrinter &printer, const PrintJob &job) {
  QPainter painter;
  if (!painter.begin(&printer))
    return false;
  double dotsPerInch = std::min<double>(printer.resolution(), maxPrintDotsPerInch);
  bool first = true;
  for (const PrintPage &page : job.pages) {
    if (!first && !printer.newPage())
      break;
    first = false;
    QImage image = SheetPicture::render(job.exam, page.version, page.page, page.fill, dotsPerInch);
    // The whole paper, edge to edge: the sheet carries its own margins.
    QRectF paper = printer.paperRect(QPrinter::DevicePixel);
    painter.drawImage(QRectF(0, 0, paper.width(), paper.height()), image);
  }
  return painter.end();
}

QString QtPanels::openFilter(OpenPanel::Files files) {
  switch (files) {
  case OpenPanel::Files::scan:
  case OpenPanel::Files::scans:
    return "Scans (*.pdf *.png *.jpg *.jpeg *.heic *.tif *.tiff "
           "*.PDF *.PNG *.JPG *.JPEG *.HEIC *.TIF *.TIFF)";
  case OpenPanel::Files::roster:
    return "Class lists (*.csv *.txt *.CSV *.TXT)";
  }
  return {};
}

QString QtPanels::saveFilter(const std::string &fileName) {
  QString suffix = QFileInfo(ui::text(fileName)).suffix().toLower();
  if (suffix == "pdf")
    return "PDF (*.pdf)";
  if (suffix == "csv")
    return "CSV (*.csv)";
  return suffix.isEmpty() ? QString() : QString("*.%1").arg(suffix);
}

std::optional<fs::path> QtPanels::chooseSaveFile(const SavePanel &panel) {
  QFileDialog dialog(&window_, ui::text(panel.message), startFolder(), saveFilter(panel.fileName));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setWindowModality(Qt::WindowModal);
  QString suffix = QFileInfo(ui::text(panel.fileName)).suffix();
  if (!suffix.isEmpty())
    dialog.setDefaultSuffix(suffix);
  dialog.selectFile(ui::text(panel.fileName));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
    return std::nullopt;
  return fs::path(dialog.selectedFiles().front().toStdString());
}

std::vector<fs::path> QtPanels::chooseFiles(const OpenPanel &panel) {
  QFileDialog dialog(&window_, ui::text(panel.message), startFolder(), openFilter(panel.files));
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(panel.files == OpenPanel::Files::scans ? QFileDialog::ExistingFiles
                                                            : QFileDialog::ExistingFile);
  dialog.setWindowModality(Qt::WindowModal);
  if (!panel.button.empty())
    dialog.setLabelText(QFileDialog::Accept, ui::text(panel.button));
  std::vector<fs::path> chosen;
  if (dialog.exec() == QDialog::Accepted)
    for (const QString &file : dialog.selectedFiles())
      chosen.emplace_back(file.toStdString());
  return chosen;
}

bool QtPanels::confirm(const Question &question) {
  QMessageBox ask(QMessageBox::Warning, ui::text(question.title), ui::text(question.title),
                  QMessageBox::NoButton, &window_);
  ask.setInformativeText(ui::text(question.detail));
  ask.setWindowModality(Qt::WindowModal);
  QPushButton *goAhead = ask.addButton(ui::text(question.action), QMessageBox::DestructiveRole);
  ask.setDefaultButton(ask.addButton(QMessageBox::Cancel));
  ask.exec();
  return ask.clickedButton() == goAhead;
}

void QtPanels::print(const PrintJob &job) {
  if (job.pages.empty())
    return;
  QPrinter printer(QPrinter::HighResolution);
  preparePrinter(printer, job.exam);
  QPrintDialog dialog(&printer, &window_);
  dialog.setWindowTitle("Print " + ui::text(job.exam.title));
  dialog.setWindowModality(Qt::WindowModal);
  if (dialog.exec() != QDialog::Accepted)
    return;
  drawPages(printer, job);
}

} // namespace ovalon
