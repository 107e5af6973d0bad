#pragma once

#include <QImage>
#include <QObject>

// Qt 6.4's moc cannot parse the C++20 standard headers these pull in, and it
// only needs the class declaration itself.
#ifndef Q_MOC_RUN
#include "grading/ItemAnalysis.h"
#include "grading/Resolution.h"
#include "library/ExamDocument.h"
#include "library/ExamLibrary.h"
#include "model/DocumentStore.h"
#include "model/JobRunner.h"
#include "model/Panels.h"
#include "model/RosterRow.h"
#include "model/SheetStudent.h"
#include "reports/SlipLayout.h"
#include "scanning/ScannedKey.h"
#include "workflow/Review.h"
#include "workflow/ScanSource.h"

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>
#endif

namespace ovalon {

class ExportActions;
class GradingActions;
class KeyAndRescanActions;
class PrintActions;
class ReviewActions;
class RosterActions;

// The one controller of the application. It owns every document (through its
// store) and all presentation state; screens read it and call its operations,
// and it tells them what changed through the specific signals below.
// The work itself lives behind it: the store saves, the job runner reads, and
// one object per feature does grading, review, the key check and rescans,
// printing and exports. Everything here runs on the interface thread.
class AppModel : public QObject {
  Q_OBJECT

public:
  enum class Tab { builder, sheets, grading, review, report };

  // A user-facing alert: what did not happen, and why.
  struct Message {
    Uuid id;
    std::string title;
    std::string detail;
    bool operator==(const Message &) const = default;
  };

  // A running background job; total 0 means not known yet.
  using Progress = JobProgress;

  // One entry of the review list: a flag on a sheet, or a page that couldn't be graded.
  using ReviewItem = Review::Item;

  // A scanned answer key waiting for the teacher's check.
  struct KeyCheck {
    ScannedKey key;
    Uuid examID;
    std::optional<std::string> gradingNote; // the report of the class scan it came with
    bool operator==(const KeyCheck &) const = default;
  };

  using SavePanel = ovalon::SavePanel;
  using OpenPanel = ovalon::OpenPanel;
  using PrintPage = ovalon::PrintPage;

  enum class Export { scores, slips, report, answerKeys };

  // The file types a dropped file may have, lower case.
  static const std::vector<std::string> &droppableExtensions();

  static constexpr int saveDelayMilliseconds = DocumentStore::saveDelayMilliseconds;

  explicit AppModel(ExamLibrary library, QObject *parent = nullptr);
  ~AppModel() override;

  // Who answers the model's file choosers and print requests. Without panels the
  // operations that need one do nothing.
  void setPanels(Panels *panels) { panels_ = panels; }

  // State the screens observe.
  const ExamLibrary &library() const { return store_.library(); }
  const std::vector<ExamDocument> &documents() const { return store_.documents(); }
  // Files in the library that can't be opened as tests, and why.
  const std::vector<ExamLibrary::Unreadable> &unreadableDocuments() const {
    return store_.unreadable();
  }
  // Takes in what ovalon-cli or another program changed in the library. Runs by
  // itself, off this thread, soon after a change; tests call it to look at once
  // and wait for what it finds.
  void reloadLibrary() {
    store_.reload();
    store_.waitForReload();
  }
  std::optional<Uuid> selectedID() const { return selectedID_; }
  Tab tab() const { return tab_; }
  const std::optional<Message> &message() const { return message_; }
  const std::optional<Progress> &progress() const { return jobs_.progress(); }
  std::optional<Uuid> selectedSheet() const { return selectedSheet_; }
  const std::optional<ExamDocument> &testToDelete() const { return testToDelete_; }
  int printVersion() const { return printVersion_; }
  bool printForRoster() const { return printForRoster_; }
  int printCopies() const { return printCopies_; }
  int previewPage() const { return previewPage_; }
  // Roster sheets hand out the test's versions in turn, A, B, A, B… in class-list order.
  bool printDealsVersions() const { return printDealsVersions_; }
  const std::optional<ReviewItem> &reviewSelection() const { return reviewSelection_; }
  const std::optional<KeyCheck> &keyCheck() const { return keyCheck_; }
  bool showScanImporter() const { return showScanImporter_; }
  bool showRosterImporter() const { return showRosterImporter_; }
  bool showHelp() const { return showHelp_; }
  // A grading run, key read, rescan or sample build is under way.
  bool isBusy() const { return jobs_.busy(); }

  const ExamDocument *selectedDocument() const;
  const ExamDocument *document(const Uuid &examID) const { return store_.document(examID); }

  // Selection and presentation.
  void select(std::optional<Uuid> examID);
  void setTab(Tab tab);
  void setSelectedSheet(std::optional<Uuid> sheetID);
  void showMessage(std::string title, std::string detail);
  void clearMessage();
  void setProgress(std::optional<Progress> progress) { jobs_.setProgress(std::move(progress)); }
  void askToDelete(const Uuid &examID);
  void cancelDelete();
  void confirmDelete();
  void setPrintVersion(int version);
  void setPrintForRoster(bool forRoster);
  void setPrintCopies(int copies);
  void setPreviewPage(int page);
  void setPrintDealsVersions(bool deal);
  void setReviewSelection(std::optional<ReviewItem> item);
  void setShowScanImporter(bool show);
  void setShowRosterImporter(bool show);
  void setShowHelp(bool show);

  // Tests.
  void newTest();
  void duplicateTest(const Uuid &examID);
  void deleteTest(const Uuid &examID);

  // The one path for every change to a document: apply, stamp, save soon.
  void update(const std::function<void(ExamDocument &)> &change,
              std::optional<Uuid> examID = std::nullopt);
  void scheduleSave(const Uuid &examID) { store_.scheduleSave(examID); }
  // Saves what is pending now and waits for every write (at quit, SIGTERM, SIGINT).
  void flushSaves() { store_.flush(); }
  bool hasPendingSave(const Uuid &examID) const { return store_.hasPendingSave(examID); }
  // Waits for the writes started so far: saves, page pictures, deletions.
  void waitForBackgroundWrites() { store_.waitForWrites(); }

  // Page pictures of the selected test.
  std::optional<QImage> image(const Uuid &imageID);
  std::optional<Bytes> imageData(const Uuid &imageID) const;

  // Bringing scans in. Each starter does nothing while `progress` is showing.
  void grade(std::vector<ScanSource> sources);
  void cancelGrading() { jobs_.cancel(); }
  // Grades the PDFs and images among the files; false when the drop is refused.
  bool gradeDroppedFiles(const std::vector<std::filesystem::path> &paths);
  // "Import Photos…": PDFs as they are, photos together as one source.
  void importPhotos(const std::vector<std::filesystem::path> &paths);
  // With `idColumn`, the IDs are read from the column with that heading.
  void importRoster(const std::filesystem::path &path, const std::string &idColumn = {});
  // The headings of a class list's first row, to pick its ID column from; empty when
  // the file can't be read.
  static std::vector<std::string> rosterColumns(const std::filesystem::path &path);
  // Asks, then takes the roster off the selected test and refreshes its ID flags.
  void clearRoster();
  // The selected test's roster for the Test tab's table.
  std::vector<RosterRow> rosterRows() const;
  // The same three, with the files chosen in a panel.
  void gradeScans();
  void importPhotos();
  void importRoster();
  void trySampleClass();
  static SavePanel sampleScanPanel();
  void saveSampleScan(const std::filesystem::path &destination);
  void saveSampleScan();
  // Writes what `make` produces atomically; failures become the message. True when written.
  bool saveFile(const std::filesystem::path &destination,
                const std::function<std::optional<Bytes>()> &make);

  // Answer sheets of the selected test, as the print settings ask for them.
  std::vector<PrintPage> printPages() const;
  std::optional<SavePanel> sheetsPanel() const;
  void saveSheetsPDF(const std::filesystem::path &destination);
  void saveSheetsPDF();
  std::optional<SavePanel> answerKeySheetPanel() const;
  void saveAnswerKeySheet(const std::filesystem::path &destination);
  void saveAnswerKeySheet();
  // Hands `printPages` to the print dialog at the test's paper size.
  void printSheets();

  // Review of the selected test.
  std::vector<ReviewItem> reviewItems() const;
  int openItemCount() const;
  bool isOpen(const ReviewItem &item) const;
  // "Next Item", "Previous Item" and "Next Open Item": move `reviewSelection`
  // through the list, wrapping around.
  void selectNextItem();
  void selectPreviousItem();
  void selectNextOpenItem();
  void resolve(const Uuid &sheetID, const Uuid &flagID, std::optional<Resolution> resolution);
  void setExcluded(const Uuid &sheetID, bool excluded);
  void dismissIssue(const Uuid &issueID);
  void gradeIssueAsVersion(const Uuid &issueID, int version);
  void removeSheet(const Uuid &sheetID);
  // Who a sheet of the selected test is for: its roster student, or the name written
  // on it with the roster students that name matches.
  std::optional<SheetStudent> sheetStudent(const Uuid &sheetID) const;
  // "Accept All": every ID that is only off the roster, taken as read in one change.
  int offRosterIDCount() const;
  void acceptOffRosterIDs();

  // "Rescan": one graded sheet replaced by a new scan of its pages, the class left as graded.
  std::optional<OpenPanel> rescanPanel(const Uuid &sheetID) const;
  void rescanSheet(const Uuid &sheetID, const std::filesystem::path &path);
  void rescanSheet(const Uuid &sheetID);

  // The answer key read from a bubbled sheet, checked before it replaces the typed one.
  static OpenPanel answerKeyPanel();
  void scanAnswerKey(const std::filesystem::path &path);
  void scanAnswerKey();
  void applyKey(const std::vector<std::optional<int>> &answers, const Uuid &examID);
  void cancelKeyCheck();

  // Results of the selected test.
  std::optional<ItemAnalysis> analysis();
  std::optional<std::string> exportBlocker() const;
  // The chooser for an export, or nothing (and the reason as `message`) while it is blocked.
  std::optional<SavePanel> exportPanel(Export kind);
  void exportScores(const std::filesystem::path &destination, bool includeAnswers = false);
  void exportSlips(const std::filesystem::path &destination, SlipLayout layout);
  void exportReport(const std::filesystem::path &destination);
  void exportAnswerKeys(const std::filesystem::path &destination);
  // The four exports with the destination chosen in a save panel.
  void exportScores(bool includeAnswers = false);
  void exportSlips(SlipLayout layout);
  void exportReport();
  void exportAnswerKeys();

signals:
  // The list of tests: one added or removed.
  void libraryChanged();
  // A test's content: an edit, a grading run, a decision. Its title too.
  void documentChanged(const ovalon::Uuid &examID);
  // The selected test, sheet or review item.
  void selectionChanged();
  void tabChanged();
  // A background job started, moved on or ended.
  void progressChanged();
  // An alert appeared or was dismissed.
  void messageChanged();
  void keyCheckChanged();
  // The print tab's version, roster choice, copies or preview page.
  void printSettingsChanged();
  // A confirmation, a chooser or help opened or closed.
  void dialogsChanged();

private:
  friend class ExportActions;
  friend class GradingActions;
  friend class KeyAndRescanActions;
  friend class PrintActions;
  friend class ReviewActions;
  friend class RosterActions;

  // Every change to the model's fields ends here: checks the thread and emits the
  // specific signals.
  template <typename... Signals> void notify(Signals... emits);
  // Sets a field and notifies, only when the value differs.
  template <typename Field, typename... Signals>
  void assign(Field &field, Field value, Signals... emits);
  void assertInterfaceThread() const;
  void setKeyCheck(std::optional<KeyCheck> check);
  int versionInRange(int version) const;
  int pageInRange(int page) const;
  void keepPrintSettingsInRange();
  void forgetImages(const std::vector<Uuid> &imageIDs);
  std::optional<std::filesystem::path> chooseSaveFile(const std::optional<SavePanel> &panel);
  std::optional<std::filesystem::path> chooseFile(const std::optional<OpenPanel> &panel);
  std::vector<std::filesystem::path> chooseFiles(const OpenPanel &panel);

  DocumentStore store_;
  JobRunner jobs_;
  std::optional<Uuid> selectedID_;
  Tab tab_ = Tab::builder;
  std::optional<Message> message_;
  std::optional<Uuid> selectedSheet_;
  std::optional<ExamDocument> testToDelete_;
  int printVersion_ = 0;
  bool printForRoster_ = false;
  int printCopies_ = 30;
  int previewPage_ = 1;
  bool printDealsVersions_ = false;
  std::optional<ReviewItem> reviewSelection_;
  std::optional<KeyCheck> keyCheck_;
  bool showScanImporter_ = false;
  bool showRosterImporter_ = false;
  bool showHelp_ = false;
  Panels *panels_ = nullptr;
  std::map<Uuid, QImage> imageCache_;
  std::unique_ptr<GradingActions> grading_;
  std::unique_ptr<ReviewActions> review_;
  std::unique_ptr<RosterActions> roster_;
  std::unique_ptr<KeyAndRescanActions> keyAndRescan_;
  std::unique_ptr<PrintActions> printing_;
  std::unique_ptr<ExportActions> exports_;
};

} // namespace ovalon
