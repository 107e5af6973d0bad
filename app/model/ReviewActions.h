#pragma once

#include "grading/Resolution.h"
#include "model/SheetStudent.h"
#include "workflow/Review.h"

#include <optional>
#include <vector>

namespace ovalon {

class AppModel;

// The teacher's decisions on the selected test's review list: flags, excluded
// sheets, pages that weren't read.
class ReviewActions {
public:
  explicit ReviewActions(AppModel &model) : model_(model) {}

  std::vector<Review::Item> items() const;
  int openItemCount() const;
  bool isOpen(const Review::Item &item) const;
  void selectNext();
  void selectPrevious();
  void selectNextOpen();

  void resolve(const Uuid &sheetID, const Uuid &flagID, std::optional<Resolution> resolution);
  void setExcluded(const Uuid &sheetID, bool excluded);
  void dismissIssue(const Uuid &issueID);
  // Reads the page on the job runner, behind a banner; the sheet replaces the issue.
  void gradeIssueAsVersion(const Uuid &issueID, int version);
  void removeSheet(const Uuid &sheetID);

  std::optional<SheetStudent> sheetStudent(const Uuid &sheetID) const;
  // Sheets whose ID is complete, on no other sheet and not on the roster, still open.
  int offRosterIDCount() const;
  // Takes each of those IDs as it was read, in one change.
  void acceptOffRosterIDs();

private:
  const ScannedSheet *sheet(const Uuid &sheetID) const;
  void step(bool forward, bool openOnly);

  AppModel &model_;
};

} // namespace ovalon
