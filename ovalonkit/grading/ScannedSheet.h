#pragma once

#include "grading/ReviewFlag.h"
#include "model/Bytes.h"
#include "model/Date.h"
#include "model/Uuid.h"
#include "scanning/CornerMethod.h"
#include "scanning/MarkRead.h"
#include "scanning/NameRead.h"

#include <optional>
#include <string>
#include <vector>

namespace ovalon {

// One student's graded sheet, every mark kept in printed terms.
struct ScannedSheet {
  Uuid id;
  int number = 1;
  std::string source;
  std::vector<int> sourcePages;
  // How each page's corners were found, alongside sourcePages; empty for
  // sheets graded before this was kept.
  std::vector<std::optional<CornerMethod>> cornerMethods;
  int version = 0;
  std::vector<MarkRead> marks; // one per printed position
  std::vector<MarkRead> idColumns;
  std::string readID;
  std::vector<Uuid> pageImages;
  // Pictures (PNG) of the ID bubbles and of the name line, kept beside the page
  // pictures so a large class's document stays small.
  std::optional<Uuid> idImage;
  std::optional<Uuid> nameImage;
  std::vector<ReviewFlag> flags;
  bool excluded = false;
  Date gradedAt;
  std::optional<NameRead> name;
  // The same two pictures held in the document itself, as sheets graded before
  // they were kept beside it still have them.
  std::optional<Bytes> idCrop;
  std::optional<Bytes> nameCrop;
  std::optional<Date> rescanned;
  // A digest of the scanned file the first page came from, so that grading the
  // same file again can skip pages the test already holds. Absent for pictures
  // that didn't come from a file and for sheets graded before it was kept.
  std::optional<std::string> sourceDigest = std::nullopt;

  // The printed slot answered at each printed position once the teacher's decisions on mark
  // flags are applied; absent where the row has no answer.
  std::vector<std::optional<int>> answers() const;

  // Every picture file the sheet owns: its pages, then its ID and name pictures.
  std::vector<Uuid> pictures() const;

  // The flags still waiting for a decision, in order; an excluded sheet has none.
  std::vector<ReviewFlag> openFlags() const;

  // The student ID the sheet counts for: the read ID unless the first student-ID flag says
  // otherwise; nothing while that flag is open or when the read ID is empty or unclear.
  std::optional<std::string> studentID() const;

  // One sentence for the teacher when a page was placed from three corner
  // squares because the fourth was missing; nothing otherwise.
  std::optional<std::string> placementNote() const;

  bool operator==(const ScannedSheet &) const = default;
};

} // namespace ovalon
