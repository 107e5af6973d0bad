#pragma once

#include "library/DocumentSummary.h"
#include "library/ExamDocument.h"
#include "library/ExamLock.h"
#include "library/FileStamp.h"
#include "model/Bytes.h"
#include "model/Uuid.h"

#include <chrono>
#include <expected>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace ovalon {

class ImageStaging;

// The folder that holds every test, shared by the app and ovalon-cli:
//
//   Tests/<id>.json                  the test's document
//   Tests/<id>.summary               what a list of tests shows of it, with the
//                                    stamp of the file it was read from
//   Tests/<id>.lock                  taken by whoever changes the document
//   Images/<exam id>/<image id>.jpg  a scanned page
//   Images/<exam id>/<image id>.png  a sheet's ID bubbles or name line
//   Images/<exam id>/.staging-<run>/ pictures of a grading run not saved yet
//
// Only this type touches the disk. Reading needs no lock: every write replaces
// a whole file at once. Every change goes through `update`, which holds the
// test's lock from loading the document to saving it, so two programs never
// overwrite each other's changes.
struct ExamLibrary {
  // Why an operation on a test didn't happen, as one sentence.
  struct Failure {
    enum class Kind {
      missing,    // no document for that id (deleted meanwhile)
      unreadable, // the document fails to decode or breaks a rule (DocumentCheck)
      locked,     // another program held the test's lock for longer than `lockWait`
      changed,    // the file changed since `UpdateOptions::loadedAt` and the edit wanted it not to
      refused,    // the edit said no; `reason` is its sentence
      notSaved,   // the file or the pictures couldn't be written or removed
    };
    Kind kind = Kind::notSaved;
    std::string reason;
    std::string description() const { return reason; }
  };

  // A file in Tests/ that isn't listed as a test, and why.
  struct Unreadable {
    std::filesystem::path path;
    std::string reason;
    bool operator==(const Unreadable &) const = default;
  };

  // What loadAll finds: every readable document, newest first, and every file
  // that looks like a document but can't be used, in file-name order.
  struct Contents {
    std::vector<ExamDocument> documents;
    std::vector<Unreadable> unreadable;
  };

  // What list finds: the same as loadAll, as summaries.
  struct Listing {
    std::vector<DocumentSummary> tests;
    std::vector<Unreadable> unreadable;
  };

  // A document as read, with the stamp of the file it came from.
  struct Loaded {
    ExamDocument document;
    FileStamp stamp;
  };

  // What an edit did to the document it was given.
  enum class Edited { changed, unchanged };

  // A change to one test, given the document as it is on disk now. Return
  // `changed` to have it saved, `unchanged` to leave the file alone, or a
  // sentence to refuse (nothing is written). An exception thrown by the edit
  // also leaves the file alone and is passed on to the caller of update.
  using Edit = std::function<std::expected<Edited, std::string>(ExamDocument &)>;

  struct UpdateOptions {
    // The stamp of the copy the caller's change was made against. When the
    // file has changed since, the edit is still applied to the fresh document
    // (and `Updated::changedElsewhere` says so), unless `refuseIfChanged`.
    std::optional<FileStamp> loadedAt;
    bool refuseIfChanged = false;
    // A grading run's pictures, moved in once the document naming them is saved.
    ImageStaging *pictures = nullptr;
    // Runs with the lock held, just before the document is written (tests
    // hold a command here to line up two programs).
    std::function<void()> beforeWrite;
  };

  struct Updated {
    ExamDocument document;         // as saved (or as found, when nothing changed)
    FileStamp stamp;               // of the file now on disk
    bool changedElsewhere = false; // the file wasn't the one `loadedAt` stamped
    bool saved = false;            // false when the edit left the document unchanged
  };

  std::filesystem::path folder;
  // How long a change waits for the test's lock before it gives up.
  std::chrono::milliseconds lockWait = ExamLock::defaultWait;

  // $OVALON_LIBRARY, else $XDG_DATA_HOME/Ovalon, else ~/.local/share/Ovalon.
  static std::filesystem::path defaultFolder();

  std::filesystem::path testsFolder() const { return folder / "Tests"; }
  std::filesystem::path documentPath(const Uuid &examID) const;
  std::filesystem::path lockPath(const Uuid &examID) const;
  std::filesystem::path imagesFolder(const Uuid &examID) const;

  // Every document, fully read and checked. Unreadable files are reported with
  // their reason and left on disk as they are; so is a file whose name isn't
  // its test's id (a copy, a renamed file), since saving it would make a
  // second file. Also clears what killed grading runs left in the picture
  // folders of tests nobody is changing. Never fails: a folder that can't be
  // listed gives empty contents.
  Contents loadAll() const;

  // The same as loadAll, reading only each document's summary: a document is
  // read in full only when its summary is missing or older than the file.
  Listing list() const;

  // One test's document, checked. Fails with `missing` or `unreadable`.
  std::expected<Loaded, Failure> load(const Uuid &examID) const;

  // Takes the test's lock, loads the document, applies `edit`, checks the
  // result and saves it atomically, then lets go of the lock. This is how
  // every change reaches the disk, in the app and in ovalon-cli alike; keep the
  // edit quick, since others wait for it (read scans before, not inside).
  std::expected<Updated, Failure> update(const Uuid &examID, const Edit &edit,
                                         const UpdateOptions &options) const;
  std::expected<Updated, Failure> update(const Uuid &examID, const Edit &edit) const {
    return update(examID, edit, UpdateOptions{});
  }

  // Saves a test that isn't in the library yet (new, duplicated, the sample).
  // Fails with `refused` when a document with that id is already there.
  std::expected<Updated, Failure> create(const ExamDocument &document) const;

  // Writes the document as given, replacing whatever the file holds. Only for
  // a document this process has just created or just loaded under the lock;
  // everything else goes through update.
  std::expected<void, Failure> save(const ExamDocument &document) const;

  // Removes the test: the document first (so a failure leaves it whole), then
  // its summary, its pictures and its lock. Every step is checked; a missing
  // test is not an error. `check`, when given, sees the document as it is with
  // the lock held and may refuse with a sentence (the test was graded since
  // the teacher was asked, say).
  using Check = std::function<std::optional<std::string>(const ExamDocument &)>;
  std::expected<void, Failure> remove(const Uuid &examID, const Check &check = {}) const;

  // Writes each picture (JPEG or PNG) atomically; stops at the first failure. Pictures of a
  // grading run go through ImageStaging instead, so that none are left behind.
  std::expected<void, Failure> saveImages(const std::map<Uuid, Bytes> &images,
                                          const Uuid &examID) const;
  std::optional<Bytes> loadImage(const Uuid &imageID, const Uuid &examID) const;
  void deleteImages(const std::vector<Uuid> &imageIDs, const Uuid &examID) const;
};

} // namespace ovalon
