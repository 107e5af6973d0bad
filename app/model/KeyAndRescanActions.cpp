#include "model/KeyAndRescanActions.h"

#include "grading/Rescan.h"
#include "model/AppModel.h"
#include "model/Lines.h"
#include "model/SheetPatch.h"
#include "scanning/KeyScan.h"
#include "workflow/KeyCheck.h"

#include <algorithm>

namespace ovalon {

namespace fs = std::filesystem;

bool KeyAndRescanActions::read(
    const fs::path &path, std::string title,
    std::function<void(const Uuid &examID, GradingRun::Reading)> finish) {
  const ExamDocument *doc = model_.selectedDocument();
  if (!doc)
    return false;
  Uuid examID = doc->exam.id;
  return model_.jobs_.start<GradingRun::Reading>(
      {std::move(title), 0, 0},
      [exam = doc->exam, path](std::stop_token stop, const JobRunner::Report &report) {
        return GradingRun::read({ScanSource::file(path)}, exam, report, stop);
      },
      [this, examID, finish = std::move(finish)](GradingRun::Reading reading, bool cancelled) {
        if (!cancelled && model_.document(examID))
          finish(examID, std::move(reading));
      });
}

// The answer key check

OpenPanel KeyAndRescanActions::answerKeyPanel() {
  return {"Choose the scan of the sheet you bubbled as the answer key.", "Read Key"};
}

void KeyAndRescanActions::scanAnswerKey(const fs::path &path) {
  read(path, "Reading the answer key\u2026",
       [this](const Uuid &examID, GradingRun::Reading reading) { finishKey(examID, reading); });
}

void KeyAndRescanActions::finishKey(const Uuid &examID, const GradingRun::Reading &reading) {
  // A normal answer sheet bubbled with the key is taken when no key sheet came in.
  std::vector<PageOutcome> keyPages;
  for (const PageOutcome &outcome : reading.outcomes)
    if (!outcome.problem && outcome.identity && outcome.identity->isKey)
      keyPages.push_back(outcome);
  auto key = KeyScan::readKey(keyPages.empty() ? reading.outcomes : keyPages,
                              model_.document(examID)->exam);
  if (!key) {
    std::vector<std::string> lines{key.error().description()};
    lines.insert(lines.end(), reading.errors.begin(), reading.errors.end());
    model_.showMessage("The answer key couldn\u2019t be read", joinedLines(lines));
    return;
  }
  model_.setKeyCheck(AppModel::KeyCheck{
      std::move(*key), examID,
      reading.errors.empty() ? std::nullopt : std::optional(joinedLines(reading.errors))});
}

void KeyAndRescanActions::scanAnswerKey() {
  if (!model_.selectedDocument() || model_.progress())
    return;
  if (auto path = model_.chooseFile(answerKeyPanel()))
    scanAnswerKey(*path);
}

void KeyAndRescanActions::applyKey(const std::vector<std::optional<int>> &answers,
                                   const Uuid &examID) {
  model_.update([answers](ExamDocument &d) { KeyCheck::applyKey(d.exam, answers); }, examID);
  model_.setKeyCheck(std::nullopt);
}

// Rescan of one sheet

std::optional<OpenPanel> KeyAndRescanActions::rescanPanel(const Uuid &sheetID) const {
  const ExamDocument *doc = model_.selectedDocument();
  if (!doc)
    return std::nullopt;
  auto sheet = std::ranges::find(doc->sheets, sheetID, &ScannedSheet::id);
  if (sheet == doc->sheets.end())
    return std::nullopt;
  std::string who = "sheet " + std::to_string(sheet->number);
  if (auto id = sheet->studentID())
    if (auto student = doc->roster.student(*id))
      who = student->name();
  return OpenPanel{"Choose a new scan of " + who +
                       "\u2019s answer sheet (all its pages). It replaces this sheet only; the "
                       "rest of the class stays as graded.",
                   "Rescan"};
}

void KeyAndRescanActions::rescanSheet(const Uuid &sheetID, const fs::path &path) {
  if (!rescanPanel(sheetID))
    return;
  read(path, "Reading the new scan\u2026",
       [this, sheetID](const Uuid &examID, GradingRun::Reading reading) {
         finishRescan(examID, sheetID, reading);
       });
}

void KeyAndRescanActions::rescanSheet(const Uuid &sheetID) {
  if (model_.progress())
    return;
  if (auto path = model_.chooseFile(rescanPanel(sheetID)))
    rescanSheet(sheetID, *path);
}

void KeyAndRescanActions::finishRescan(const Uuid &examID, const Uuid &sheetID,
                                       const GradingRun::Reading &reading) {
  const ExamDocument *doc = model_.document(examID);
  auto old = std::ranges::find(doc->sheets, sheetID, &ScannedSheet::id);
  if (old == doc->sheets.end())
    return;
  std::vector<ScannedSheet> sheets = doc->sheets;
  auto replaced = Rescan::replace(sheetID, doc->exam, doc->roster, sheets, reading.outcomes);
  if (!replaced) {
    std::vector<std::string> lines{replaced.error().description()};
    lines.insert(lines.end(), reading.errors.begin(), reading.errors.end());
    model_.showMessage("The sheet wasn\u2019t replaced", joinedLines(lines));
    return;
  }
  int number = old->number;
  model_.store_.storeImages(examID, replaced->images);
  model_.forgetImages(replaced->replacedImages);
  model_.store_.deleteImages(examID, replaced->replacedImages);
  // The new sheet stands in the old one's place; of the rest only ID flags can change.
  model_.update(
      [patch = SheetPatch::between(doc->sheets, sheets)](ExamDocument &d) { patch.applyTo(d); },
      examID);
  model_.setSelectedSheet(sheetID);
  std::vector<std::string> lines = replaced->summary.sentences();
  lines.insert(lines.end(), reading.errors.begin(), reading.errors.end());
  model_.showMessage("Sheet " + std::to_string(number) + " replaced", joinedLines(lines));
}

// The AppModel operations this object carries out.

std::optional<AppModel::OpenPanel> AppModel::rescanPanel(const Uuid &sheetID) const {
  return keyAndRescan_->rescanPanel(sheetID);
}

void AppModel::rescanSheet(const Uuid &sheetID, const fs::path &path) {
  keyAndRescan_->rescanSheet(sheetID, path);
}

void AppModel::rescanSheet(const Uuid &sheetID) {
  keyAndRescan_->rescanSheet(sheetID);
}

AppModel::OpenPanel AppModel::answerKeyPanel() {
  return KeyAndRescanActions::answerKeyPanel();
}

void AppModel::scanAnswerKey(const fs::path &path) {
  keyAndRescan_->scanAnswerKey(path);
}

void AppModel::scanAnswerKey() {
  keyAndRescan_->scanAnswerKey();
}

void AppModel::applyKey(const std::vector<std::optional<int>> &answers, const Uuid &examID) {
  keyAndRescan_->applyKey(answers, examID);
}

} // namespace ovalon
