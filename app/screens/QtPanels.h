#pragma once

#ifndef Q_MOC_RUN
#include "model/Panels.h"
#endif

#include <QString>

class QPrinter;
class QWidget;

namespace ovalon {

// The model's file choosers, confirmations and print dialog as Qt dialogs, modal to
// the main window. Each kind of chooser opens in the folder it was last used in.
class QtPanels : public Panels {
public:
  explicit QtPanels(QWidget &window) : window_(window) {}

  std::optional<std::filesystem::path> chooseSaveFile(const SavePanel &panel) override;
  std::vector<std::filesystem::path> chooseFiles(const OpenPanel &panel) override;
  bool confirm(const Question &question) override;
  std::optional<size_t> choose(const Choice &choice) override;
  void print(const PrintJob &job) override;
  // The pages as they will print, in a preview window that can print them too.
  void preview(const PrintJob &job);

  // The name filter an open chooser offers, e.g. "Scans (*.pdf *.png …)".
  static QString openFilter(OpenPanel::Files files);
  // The filter of a save chooser: the suggested name's own type only.
  static QString saveFilter(const std::string &fileName);

  // The test's paper, portrait, edge to edge with no margins, titled with the test.
  static void preparePrinter(QPrinter &printer, const Exam &exam);
  // The pages of the range chosen in the print dialog (all of them without one), each
  // drawn by the sheet renderer at its true size in the middle of the paper.
  static bool drawPages(QPrinter &printer, const PrintJob &job);

private:
  QWidget &window_;
};

} // namespace ovalon
