#pragma once

#include "library/DocumentSummary.h"
#include "library/ExamDocument.h"
#include "library/ExamLibrary.h"

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace ovalon::cli {

// The library folder a command works on, and the lookups and changes every
// command shares.
//
// Settings in the environment for tests that line up several programs:
// OVALON_LOCK_WAIT, the seconds a change waits for a test another program is
// changing (default 5); OVALON_PAUSE_BEFORE_SAVE="W R", two inherited file
// descriptors: when the command has done its work and is about to save (before
// it takes the test's lock) it writes one byte to W and waits for a byte, or
// the end, on R; OVALON_PAUSE_WITH_LOCK="W R", the same with the lock held,
// just before the document is written. Each holds the command once.
class Workspace {
public:
  explicit Workspace(std::filesystem::path folder);

  const ExamLibrary &library() const { return library_; }

  // Every test, newest first, and the files that can't be used.
  ExamLibrary::Listing list() const { return library_.list(); }

  // The test with this exact title, or the one whose id starts with `name`
  // (case-insensitive). Unknown or ambiguous names are usage errors; a test
  // whose document can't be used is a failure that says why.
  DocumentSummary locate(const std::string &name) const;

  // The named test's document, read and checked.
  ExamDocument find(const std::string &name) const;

  // Applies `edit` to the test's document as it is on disk now, with the
  // test's lock held, and saves it when the edit says it changed; the saved
  // document. The edit refuses by throwing a CliError; anything else that
  // stops the change (the lock, a write) is a failure. Nothing is written
  // unless all of it is.
  using Edit = std::function<ExamLibrary::Edited(ExamDocument &)>;
  ExamDocument update(const Uuid &examID, const Edit &edit, ImageStaging *pictures = nullptr) const;

  // Saves a new test.
  void create(const ExamDocument &document) const;

private:
  ExamLibrary library_;
};

} // namespace ovalon::cli
