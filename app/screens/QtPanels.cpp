#include "screens/QtPanels.h"

#include "screens/Settings.h"
#include "screens/SheetPicture.h"
#include "screens/Ui.h"
#include "sheets/SheetLayout.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>
#include <QStandardPaths>

#include <algorithm>

namespace fs = std::filesystem;

namespace ovalon {

namespace {

// Sheets are line art: 300 dpi is as sharp as paper shows, and keeps each page's
// bitmap under ten megabytes.
constexpr double maxPrintDotsPerInch = 300;

QString documentsFolder() {
  QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  return QDir(documents).exists() ? documents : QDir::homePath();
}

QString folderKind(OpenPanel::Files files) {
  return files == OpenPanel::Files::roster ? "rosters" : "scans";
}

void rememberFolderOf(const QString &kind, const QString &file) {
  settings::setLastFolder(kind, QFileInfo(file).absolutePath());
}

// The job's page numbers (from 1) the printer was asked for.
std::vector<int> chosenPages(const QPrinter &printer, int pageCount) {
  std::vector<int> pages;
  QPageRanges ranges = printer.pageRanges();
  bool ranged = printer.printRange() == QPrinter::PageRange && !ranges.isEmpty();
  for (int page = 1; page <= pageCount; ++page)
    if (!ranged || ranges.contains(page))
      pages.push_back(page);
  return pages;
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
  std::vector<int> pages = chosenPages(printer, static_cast<int>(job.pages.size()));
  if (pages.empty())
    return true;
  QPainter painter;
  if (!painter.begin(&printer))
    return false;
  double deviceDotsPerInch = printer.resolution();
  double dotsPerInch = std::min(deviceDotsPerInch, maxPrintDotsPerInch);
  // The sheet's own size on whatever paper the dialog chose: its corner squares keep
  // their distances, so a sheet on other paper still reads.
  Size sheet = SheetLayout(job.exam).pageSize;
  QSizeF size(sheet.width * deviceDotsPerInch / 72, sheet.height * deviceDotsPerInch / 72);
  QRectF paper = printer.paperRect(QPrinter::DevicePixel);
  QRectF target(paper.center() - QPointF(size.width() / 2, size.height() / 2), size);
  bool first = true;
  for (int number : pages) {
    if (!first && !printer.newPage())
      break;
    first = false;
    const PrintPage &page = job.pages[static_cast<size_t>(number - 1)];
    QImage image = SheetPicture::render(job.exam, page.version, page.page, page.fill, dotsPerInch);
    painter.drawImage(target.translated(-paper.topLeft()), image);
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
  QFileDialog dialog(&window_, ui::text(panel.message),
                     settings::lastFolder("saved", documentsFolder()), saveFilter(panel.fileName));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setWindowModality(Qt::WindowModal);
  QString suffix = QFileInfo(ui::text(panel.fileName)).suffix();
  if (!suffix.isEmpty())
    dialog.setDefaultSuffix(suffix);
  dialog.selectFile(ui::text(panel.fileName));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
    return std::nullopt;
  QString chosen = dialog.selectedFiles().front();
  rememberFolderOf("saved", chosen);
  return fs::path(chosen.toStdString());
}

std::vector<fs::path> QtPanels::chooseFiles(const OpenPanel &panel) {
  QString kind = folderKind(panel.files);
  QFileDialog dialog(&window_, ui::text(panel.message),
                     settings::lastFolder(kind, documentsFolder()), openFilter(panel.files));
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
  if (!chosen.empty())
    rememberFolderOf(kind, dialog.selectedFiles().front());
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

std::optional<size_t> QtPanels::choose(const Choice &choice) {
  QInputDialog ask(&window_);
  ask.setWindowTitle(ui::text(choice.title));
  ask.setLabelText(ui::text(choice.detail));
  QStringList options;
  for (const std::string &option : choice.options)
    options << ui::text(option);
  ask.setComboBoxItems(options);
  ask.setComboBoxEditable(false);
  ask.setOkButtonText(ui::text(choice.action));
  ask.setWindowModality(Qt::WindowModal);
  if (ask.exec() != QDialog::Accepted)
    return std::nullopt;
  qsizetype index = options.indexOf(ask.textValue());
  return index < 0 ? std::nullopt : std::optional<size_t>(static_cast<size_t>(index));
}

void QtPanels::print(const PrintJob &job) {
  if (job.pages.empty())
    return;
  QPrinter printer(QPrinter::HighResolution);
  preparePrinter(printer, job.exam);
  QPrintDialog dialog(&printer, &window_);
  dialog.setWindowTitle("Print " + ui::text(job.exam.title));
  dialog.setWindowModality(Qt::WindowModal);
  dialog.setOption(QAbstractPrintDialog::PrintPageRange);
  dialog.setMinMax(1, static_cast<int>(job.pages.size()));
  if (dialog.exec() != QDialog::Accepted)
    return;
  drawPages(printer, job);
}

void QtPanels::preview(const PrintJob &job) {
  if (job.pages.empty())
    return;
  QPrinter printer(QPrinter::HighResolution);
  preparePrinter(printer, job.exam);
  QPrintPreviewDialog dialog(&printer, &window_);
  dialog.setObjectName("printPreview");
  dialog.setWindowTitle("Print Preview of " + ui::text(job.exam.title));
  dialog.setWindowModality(Qt::WindowModal);
  QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                   [&job](QPrinter *target) { drawPages(*target, job); });
  dialog.exec();
}

} // namespace ovalon
