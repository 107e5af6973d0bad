#pragma once

#include "library/ExamDocument.h"
#include "model/Bytes.h"
#include "model/Uuid.h"

#include <expected>
#include <filesystem>
#include <string>

namespace ovalon {

struct ExamLibrary;

// The page pictures of one grading run (or rescan), written as its pages are
// read and moved into the test's picture folder only once the document that
// names them is saved, so that a run that fails, is stopped or is killed
// leaves no picture nobody refers to.
//
// Use: open one before reading, `add` each page's picture as it is read (the
// grading run does this when handed the staging), then pass it to
// ExamLibrary::update in UpdateOptions::pictures: once the document is saved,
// update moves in the pictures the document names and drops the rest. When the
// run doesn't reach a save, let the staging go: its folder goes with it.
//
// The folder is Images/<exam id>/.staging-<run id>/, and it holds a lock file
// while its run is alive. What a killed run leaves is cleared the next time
// the test is changed (`recover`); a live run's folder, in this process or
// another, is never touched.
class ImageStaging {
public:
  static std::expected<ImageStaging, std::string> open(const ExamLibrary &library,
                                                       const Uuid &examID);

  ImageStaging(ImageStaging &&other) noexcept;
  ImageStaging &operator=(ImageStaging &&) = delete;
  ImageStaging(const ImageStaging &) = delete;
  ~ImageStaging();

  const Uuid &examID() const { return examID_; }

  // Writes one picture, JPEG or PNG (flushed to disk). Call from one thread at a time.
  std::expected<void, std::string> add(const Uuid &imageID, const Bytes &picture);

  // Moves in every staged picture `saved` names and removes the rest with the
  // folder. ExamLibrary::update calls it, lock held, after a successful save.
  void commit(const ExamDocument &saved);

  // Finishes what killed runs left in the test's picture folder: a picture the
  // document names is moved in (its run was saved and killed before it could
  // move it), the rest go. Call with the test's lock held (update does).
  static void recover(const ExamLibrary &library, const ExamDocument &document);

  // Whether the test's picture folder holds a run whose process is gone.
  static bool hasAbandonedRuns(const ExamLibrary &library, const Uuid &examID);

private:
  ImageStaging(Uuid examID, std::filesystem::path target, std::filesystem::path folder, int lock)
      : examID_(examID), target_(std::move(target)), folder_(std::move(folder)), lock_(lock) {}

  Uuid examID_;
  std::filesystem::path target_; // Images/<exam id>/
  std::filesystem::path folder_; // the run's own folder inside it
  int lock_ = -1;
  bool keep_ = false; // a move failed: leave the folder for recover
};

} // namespace ovalon
