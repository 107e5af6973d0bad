#include "model/ReviewActions.h"

#include "grading/Assembly.h"
#include "model/AppModel.h"
#include "model/Choices.h"
#include "workflow/Exports.h"

#include <algorithm>

namespace ovalon {

std::vector<Review::Item> ReviewActions::items() const {
  const ExamDocument *doc = model_.selectedDocument();
  return doc ? Review::items(*doc) : std::vector<Review::Item>{};
}

int ReviewActions::openItemCount() const {
  const ExamDocument *doc = model_.selectedDocument();
  return doc ? Exports::openItemCount(*doc) : 0;
}

bool ReviewActions::isOpen(const Review::Item &item) const {
  const ExamDocument *doc = model_.selectedDocument();
  return doc && Review::isOpen(*doc, item);
}

void ReviewActions::step(bool forward, bool openOnly) {
  auto accept = [this, openOnly](const Review::Item &item) { return !openOnly || isOpen(item); };
  if (auto next = Review::step(items(), model_.reviewSelection(), forward, accept))
    model_.setReviewSelection(next);
}

void ReviewActions::selectNext() {
  step(true, false);
}
void ReviewActions::selectPrevious() {
  step(false, false);
}
void ReviewActions::selectNextOpen() {
  step(true, true);
}

const ScannedSheet *ReviewActions::sheet(const Uuid &sheetID) const {
  const ExamDocument *doc = model_.selectedDocument();
  if (!doc)
    return nullptr;
  auto found = std::ranges::find(doc->sheets, sheetID, &ScannedSheet::id);
  return found == doc->sheets.end() ? nullptr : &*found;
}

void ReviewActions::resolve(const Uuid &sheetID, const Uuid &flagID,
                            std::optional<Resolution> resolution) {
  const ScannedSheet *found = sheet(sheetID);
  if (!found || std::ranges::find(found->flags, flagID, &ReviewFlag::id) == found->flags.end())
    return;
  model_.update([=](ExamDocument &d) { Review::resolve(d, sheetID, flagID, resolution); });
}

void ReviewActions::setExcluded(const Uuid &sheetID, bool excluded) {
  if (sheet(sheetID))
    model_.update([=](ExamDocument &d) { Review::setExcluded(d, sheetID, excluded); });
}

void ReviewActions::dismissIssue(const Uuid &issueID) {
  const ExamDocument *doc = model_.selectedDocument();
  if (doc && std::ranges::find(doc->issues, issueID, &ScanIssue::id) != doc->issues.end())
    model_.update([=](ExamDocument &d) { Review::dismissIssue(d, issueID); });
}

namespace {

constexpr const char *notGraded = "The page wasn\u2019t graded";

// What reading an unread page as a sheet adds to the test.
struct Regraded {
  std::vector<ScannedSheet> sheets;
  Review::Regrade pictures;
};

} // namespace

void ReviewActions::gradeIssueAsVersion(const Uuid &issueID, int version) {
  const ExamDocument *doc = model_.selectedDocument();
  if (!doc || model_.progress())
    return;
  auto issue = std::ranges::find(doc->issues, issueID, &ScanIssue::id);
  if (issue == doc->issues.end())
    return;
  std::optional<Bytes> picture = issue->image ? model_.imageData(*issue->image) : std::nullopt;
  if (!picture) {
    model_.showMessage(notGraded, "The picture of that page isn\u2019t in the library any more.");
    return;
  }
  Uuid examID = doc->exam.id;
  // Read into a copy on the job thread, so a page that still can't be read changes nothing.
  model_.jobs_.start<std::expected<Regraded, std::string>>(
      {"Reading the page as version " + Choices::letter(version) + "\u2026", 0, 0},
      [copy = *doc, issueID, version, picture = std::move(*picture)](
          std::stop_token,
          const JobRunner::Report &) mutable -> std::expected<Regraded, std::string> {
        size_t before = copy.sheets.size();
        auto regrade = Review::gradeIssueAsVersion(copy, issueID, version, picture);
        if (!regrade)
          return std::unexpected(regrade.error());
        return Regraded{{copy.sheets.begin() + static_cast<long>(before), copy.sheets.end()},
                        std::move(*regrade)};
      },
      [this, examID, issueID](std::expected<Regraded, std::string> regraded, bool cancelled) {
        if (cancelled || !model_.document(examID))
          return;
        if (!regraded) {
          model_.showMessage(notGraded, regraded.error());
          return;
        }
        model_.store_.storeImages(examID, std::move(regraded->pictures.images));
        model_.update(
            [issueID, sheets = std::move(regraded->sheets)](ExamDocument &d) {
              std::erase_if(d.issues, [&](const ScanIssue &i) { return i.id == issueID; });
              d.sheets.insert(d.sheets.end(), sheets.begin(), sheets.end());
            },
            examID);
        if (model_.reviewSelection() == Review::Item{Review::Item::Issue{issueID}})
          model_.setReviewSelection(std::nullopt);
        if (auto retired = regraded->pictures.retired) {
          model_.forgetImages({*retired});
          model_.store_.deleteImages(examID, {*retired});
        }
      });
}

void ReviewActions::removeSheet(const Uuid &sheetID) {
  const ScannedSheet *found = sheet(sheetID);
  if (!found)
    return;
  Uuid examID = *model_.selectedID();
  std::vector<Uuid> pictures = found->pictures();
  model_.update([sheetID](ExamDocument &d) { (void)Review::removeSheet(d, sheetID); });
  if (model_.selectedSheet() == sheetID)
    model_.setSelectedSheet(std::nullopt);
  if (auto selection = model_.reviewSelection()) {
    auto *flag = std::get_if<Review::Item::Flag>(&selection->target);
    if (flag && flag->sheet == sheetID)
      model_.setReviewSelection(std::nullopt);
  }
  model_.forgetImages(pictures);
  model_.store_.deleteImages(examID, pictures);
}

std::optional<SheetStudent> ReviewActions::sheetStudent(const Uuid &sheetID) const {
  const ScannedSheet *found = sheet(sheetID);
  if (!found)
    return std::nullopt;
  return SheetStudent::of(*found, model_.selectedDocument()->roster);
}

namespace {

const ReviewFlag *openIDFlag(const ScannedSheet &sheet) {
  auto flag = std::ranges::find(sheet.flags, FlagKind::studentID, &ReviewFlag::kind);
  return flag == sheet.flags.end() || flag->resolution ? nullptr : &*flag;
}

// The sheets whose open ID question is only that the ID isn't on the roster: taking
// the ID as read gives nobody two sheets.
std::vector<Uuid> offRosterSheets(const ExamDocument &doc) {
  if (doc.roster.students.empty())
    return {};
  std::map<std::string, int> sheetsPerID;
  for (const ScannedSheet &sheet : doc.sheets)
    if (!sheet.excluded && !sheet.readID.empty())
      ++sheetsPerID[Student::idKey(sheet.readID)];
  std::vector<Uuid> found;
  for (const ScannedSheet &sheet : doc.sheets) {
    const std::string &id = sheet.readID;
    if (sheet.excluded || !openIDFlag(sheet) || id.empty() || id.contains('?') ||
        doc.roster.student(id) || sheetsPerID[Student::idKey(id)] > 1)
      continue;
    found.push_back(sheet.id);
  }
  return found;
}

} // namespace

int ReviewActions::offRosterIDCount() const {
  const ExamDocument *doc = model_.selectedDocument();
  return doc ? static_cast<int>(offRosterSheets(*doc).size()) : 0;
}

void ReviewActions::acceptOffRosterIDs() {
  const ExamDocument *doc = model_.selectedDocument();
  std::vector<Uuid> sheets = doc ? offRosterSheets(*doc) : std::vector<Uuid>{};
  if (sheets.empty())
    return;
  model_.update([sheets](ExamDocument &d) {
    for (ScannedSheet &sheet : d.sheets)
      if (std::ranges::find(sheets, sheet.id) != sheets.end())
        if (auto flag = std::ranges::find(sheet.flags, FlagKind::studentID, &ReviewFlag::kind);
            flag != sheet.flags.end() && !flag->resolution)
          flag->resolution = Resolution::accept();
    d.sheets = Assembly::refreshIDFlags(std::move(d.sheets), d.exam, d.roster.students);
  });
}

// The AppModel operations this object carries out.

std::vector<AppModel::ReviewItem> AppModel::reviewItems() const {
  return review_->items();
}

int AppModel::openItemCount() const {
  return review_->openItemCount();
}

bool AppModel::isOpen(const ReviewItem &item) const {
  return review_->isOpen(item);
}

void AppModel::selectNextItem() {
  review_->selectNext();
}

void AppModel::selectPreviousItem() {
  review_->selectPrevious();
}

void AppModel::selectNextOpenItem() {
  review_->selectNextOpen();
}

void AppModel::resolve(const Uuid &sheetID, const Uuid &flagID,
                       std::optional<Resolution> resolution) {
  review_->resolve(sheetID, flagID, std::move(resolution));
}

void AppModel::setExcluded(const Uuid &sheetID, bool excluded) {
  review_->setExcluded(sheetID, excluded);
}

void AppModel::dismissIssue(const Uuid &issueID) {
  review_->dismissIssue(issueID);
}

void AppModel::gradeIssueAsVersion(const Uuid &issueID, int version) {
  review_->gradeIssueAsVersion(issueID, version);
}

void AppModel::removeSheet(const Uuid &sheetID) {
  review_->removeSheet(sheetID);
}

std::optional<SheetStudent> AppModel::sheetStudent(const Uuid &sheetID) const {
  return review_->sheetStudent(sheetID);
}

int AppModel::offRosterIDCount() const {
  return review_->offRosterIDCount();
}

void AppModel::acceptOffRosterIDs() {
  review_->acceptOffRosterIDs();
}

} // namespace ovalon
