#pragma once

#include <QImage>
#include <QObject>

// Qt 6.4's moc cannot parse the C++20 standard headers these pull in, and it
// only needs the class declaration itself.
#ifndef Q_MOC_RUN
#include "model/ExamDocument.h"
#include "model/ExamLibrary.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>
#endif

class QTimer;

namespace ovalon {

// The one controller of the application. It owns every document and all
// presentation state; screens read it and call its operations, and it emits
// `changed` after every change so they can refresh. Everything here runs on
// the interface thread; only library writes leave it, with copies.
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

  static constexpr int saveDelayMilliseconds = 500;

  explicit AppModel(ExamLibrary library, QObject *parent = nullptr);
  ~AppModel() override;

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

  // Page pictures of the selected test.
  std::optional<QImage> image(const Uuid &imageID);
  std::optional<Bytes> imageData(const Uuid &imageID) const;

signals:
  void changed();

private:
  ExamDocument *mutableDocument(const Uuid &examID);
  void cancelSave(const Uuid &examID);
  void saveNow(const Uuid &examID);

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
  std::map<Uuid, QImage> imageCache_;
};

} // namespace ovalon
