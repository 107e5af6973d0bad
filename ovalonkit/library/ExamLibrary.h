#pragma once

#include "library/ExamDocument.h"
#include "model/Bytes.h"
#include "model/Uuid.h"

#include <expected>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace ovalon {

// The folder that holds every test: Tests/<id>.json and Images/<exam id>/<image id>.jpg.
// Only this type touches the disk.
struct ExamLibrary {
  // A save or image write that did not happen, as one sentence.
  struct Failure {
    std::string reason;
    std::string description() const { return reason; }
  };

  std::filesystem::path folder;

  // $OVALON_LIBRARY, else $XDG_DATA_HOME/Ovalon, else ~/.local/share/Ovalon.
  static std::filesystem::path defaultFolder();

  std::filesystem::path testsFolder() const { return folder / "Tests"; }
  std::filesystem::path documentPath(const Uuid &examID) const;
  std::filesystem::path imagesFolder(const Uuid &examID) const;
  std::filesystem::path imagePath(const Uuid &imageID, const Uuid &examID) const;

  // Every readable document, newest first. Unreadable files are left out silently.
  std::vector<ExamDocument> loadAll() const;

  // Writes Tests/<id>.json atomically: a failed save leaves the old file intact.
  std::expected<void, Failure> save(const ExamDocument &document) const;

  // Removes the document and its images; missing files are not errors.
  void remove(const Uuid &examID) const;

  // Writes each JPEG atomically; stops at the first failure.
  std::expected<void, Failure> saveImages(const std::map<Uuid, Bytes> &images,
                                          const Uuid &examID) const;
  std::optional<Bytes> loadImage(const Uuid &imageID, const Uuid &examID) const;
  void deleteImages(const std::vector<Uuid> &imageIDs, const Uuid &examID) const;
};

} // namespace ovalon
