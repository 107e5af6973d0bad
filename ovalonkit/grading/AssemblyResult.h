#pragma once

#include "grading/ScanIssue.h"
#include "grading/ScannedSheet.h"
#include "model/Bytes.h"
#include "model/Uuid.h"

#include <map>
#include <vector>

namespace ovalon {

// What one scan adds to a document: new sheets in number order, issues in
// scan order, and the pictures both refer to (pages, ID bubbles, name lines).
struct AssemblyResult {
  std::vector<ScannedSheet> sheets;
  std::vector<ScanIssue> issues;
  std::map<Uuid, Bytes> images; // by picture id

  bool operator==(const AssemblyResult &) const = default;
};

} // namespace ovalon
