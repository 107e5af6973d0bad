#pragma once

#include <QFuture>
#include <QImage>
#include <QObject>
#include <QThreadPool>

// Qt 6.4's moc cannot parse the C++20 standard headers these pull in, and it
// only needs the class declaration itself.
#ifndef Q_MOC_RUN
#include "grading/ItemAnalysis.h"
#include "grading/Resolution.h"
#include "library/ExamDocument.h"
#include "library/ExamLibrary.h"
#include "model/Panels.h"
#include "reports/SlipLayout.h"
#include "scanning/ScannedKey.h"
#include "sheets/SheetFill.h"
#include "workflow/GradingRun.h"
#include "workflow/Review.h"
#include "workflow/ScanSource.h"

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>
#endif

class QTimer;

namespace ovalon {

// The one controller of the application. It owns every document and all
// presentation state; screens read it and call its operations, and it tells
// them what changed through the specific signals below (and the coarse
// `changed` after each of them, for screens not yet moved onto those).
// Everything here runs on the interface thread; only library writes leave it,
// with copies.
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
  struct Progress {
    std::string title;
    int done = 0;
    int total = 0;
    bool operator==(const Progress &) const = default;
  };

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

  static constexpr int saveDelayMilliseconds = 500;

  explicit AppModel(ExamLibrary library, QObject *parent = nullptr);
  ~AppModel() override;

  // Who answers the model's file choosers and print requests. Without panels the
  // operations that need one do nothing.
  void setPanels(Panels *panels) { panels_ = panels; }

  // State the screens observe.
  const ExamLibrary &library() const { return library_; }
  const std::vector<ExamDocument> &documents() const { return documents_; }
  std::optional<Uuid> selectedID() const { return selectedID_; }
  Tab tab() const { return tab_; }
  const std::optional<Message> &message() const { return message_; }
  const std::optional<Progress> &progress() const { return progress_; }
  std::optional<Uuid> selectedSheet() const { return selectedSheet_; }
  const std::optional<ExamDocument> &testToDelete() const { return testToDelete_; }
  int printVersion() const { return printVersion_; }
  bool printForRoster() const { return printForRoster_; }
  int printCopies() const { return printCopies_; }
  int previewPage() const { return previewPage_; }
  const std::optional<ReviewItem> &reviewSelection() const { return reviewSelection_; }
  const std::optional<KeyCheck> &keyCheck() const { return keyCheck_; }
  bool showScanImporter() const { return showScanImporter_; }
  bool showRosterImporter() const { return showRosterImporter_; }
  bool showHelp() const { return showHelp_; }
  // A grading run, key read or sample build is under way.
  bool isBusy() const { return gradeTask_.has_value(); }

  const ExamDocument *selectedDocument() const;
  const ExamDocument *document(const Uuid &examID) const;

  // Selection and presentation.
  void select(std::optional<Uuid> examID);
  void setTab(Tab tab);
  void setSelectedSheet(std::optional<Uuid> sheetID);
  void showMessage(std::string title, std::string detail);
  void clearMessage();
  void setProgress(std::optional<Progress> progress);
  void askToDelete(const Uuid &examID);
  void cancelDelete();
  void confirmDelete();
  void setPrintVersion(int version);
  void setPrintForRoster(bool forRoster);
  void setPrintCopies(int copies);
  void setPreviewPage(int page);
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
  void scheduleSave(const Uuid &examID);
  void flushSaves();
  bool hasPendingSave(const Uuid &examID) const;

  // Waits for the page-image writes and deletions started so far.
  void waitForBackgroundWrites();

  // Page pictures of the selected test.
  std::optional<QImage> image(const Uuid &imageID);
  std::optional<Bytes> imageData(const Uuid &imageID) const;

  // Bringing scans in. Each starter does nothing while `progress` is showing.
  void grade(std::vector<ScanSource> sources);
  void cancelGrading();
  // Grades the PDFs and images among the files; false when the drop is refused.
  bool gradeDroppedFiles(const std::vector<std::filesystem::path> &paths);
  // "Import Photos…": PDFs as they are, photos together as one source.
  void importPhotos(const std::vector<std::filesystem::path> &paths);
  void importRoster(const std::filesystem::path &path);
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
  // After each of the above.
  void changed();

private:
  ExamDocument *mutableDocument(const Uuid &examID);
  // Every change to the model's fields ends here: checks the thread, emits the
  // specific signals and then `changed`.
  template <typename... Signals> void notify(Signals... emits);
  // Sets a field and notifies, only when the value differs.
  template <typename Field, typename... Signals>
  void assign(Field &field, Field value, Signals... emits);
  void assertInterfaceThread() const;
  std::optional<std::filesystem::path> chooseSaveFile(const std::optional<SavePanel> &panel);
  std::optional<std::filesystem::path> chooseFile(const std::optional<OpenPanel> &panel);
  void cancelSave(const Uuid &examID);
  void saveNow(const Uuid &examID);

  // Runs `work` on the job thread and `finish` back on this thread with its result and
  // whether it was cancelled. Holds `progress` and the task for the job's whole life.
  using JobReport = std::function<void(int done, int total)>;
  template <typename Result>
  void startJob(Progress progress, std::function<Result(std::stop_token, const JobReport &)> work,
                std::function<void(Result, bool)> finish);
  void postProgress(int job, int done, int total);
  // A run of the sources against one test; a temporary folder goes once they are read.
  // Photos are decoded in the run and read last, as one source.
  bool startGrading(const Uuid &examID, std::vector<ScanSource> sources,
                    std::optional<std::filesystem::path> temporaryFolder = std::nullopt,
                    std::vector<std::filesystem::path> photos = {});
  void finishGrading(const Uuid &examID, const GradingRun::Reading &reading);
  void finishRescan(const Uuid &examID, const Uuid &sheetID, const GradingRun::Reading &reading);
  void inBackground(std::function<void()> write);
  const ScannedSheet *selectedTestSheet(const Uuid &sheetID) const;
  bool exportBlocked(const std::string &title);

  ExamLibrary library_;
  std::vector<ExamDocument> documents_;
  std::optional<Uuid> selectedID_;
  Tab tab_ = Tab::builder;
  std::optional<Message> message_;
  std::optional<Progress> progress_;
  std::optional<Uuid> selectedSheet_;
  std::optional<ExamDocument> testToDelete_;
  int printVersion_ = 0;
  bool printForRoster_ = false;
  int printCopies_ = 30;
  int previewPage_ = 1;
  std::map<Uuid, QTimer *> saveTimers_;
  std::optional<ReviewItem> reviewSelection_;
  std::optional<KeyCheck> keyCheck_;
  bool showScanImporter_ = false;
  bool showRosterImporter_ = false;
  bool showHelp_ = false;
  Panels *panels_ = nullptr;
  std::map<Uuid, QImage> imageCache_;

  struct AnalysisCache {
    Uuid examID;
    Date modified;
    size_t sheets = 0;
    ItemAnalysis analysis;
  };
  std::optional<AnalysisCache> analysisCache_;

  // Reading jobs run one at a time on their own thread, so saves never queue behind them.
  QThreadPool jobPool_;
  struct Task {
    int number = 0;
    std::stop_source stop;
  };
  std::optional<Task> gradeTask_;
  int jobCount_ = 0;
  std::vector<QFuture<void>> writes_;
};

} // namespace ovalon
