#pragma once

#include "library/ExamDocument.h"
#include "library/ExamLibrary.h"

#include <filesystem>
#include <string>
#include <vector>

namespace ovalon::cli {

// The library folder a command works on, and the lookups every command shares.
class Workspace {
public:
  explicit Workspace(std::filesystem::path folder) : library_{std::move(folder)} {}

  const ExamLibrary &library() const { return library_; }

  // Every test, newest first.
  std::vector<ExamDocument> all() const { return library_.loadAll(); }

  // The test with this exact title, or the one whose id starts with `name`
  // (case-insensitive). Unknown or ambiguous names are usage errors.
  ExamDocument find(const std::string &name) const;

  // Stamps the document as changed now and saves it; a failed save is an error.
  void save(ExamDocument &document) const;

private:
  ExamLibrary library_;
};

} // namespace ovalon::cli
