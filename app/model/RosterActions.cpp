#include "model/RosterActions.h"

#include "grading/Assembly.h"
#include "library/FileIO.h"
#include "model/AppModel.h"
#include "model/Lines.h"
#include "model/RosterImport.h"
#include "workflow/RosterUpdate.h"

namespace ovalon {

namespace {

namespace fs = std::filesystem;

constexpr const char *notImported = "That roster couldn\u2019t be imported";

} // namespace

void RosterActions::importRoster(const fs::path &path, const std::string &idColumn) {
  const ExamDocument *doc = model_.selectedDocument();
  if (!doc)
    return;
  auto bytes = FileIO::read(path);
  if (!bytes) {
    model_.showMessage(notImported, RosterImport::Failure::unreadable().description());
    return;
  }
  // Imported into a copy first, so a failed import leaves the document untouched.
  ExamDocument imported = *doc;
  auto result = RosterUpdate::importRoster(imported, *bytes, path.filename().string(), {idColumn});
  if (!result) {
    model_.showMessage(notImported, result.error());
    return;
  }
  model_.update([roster = std::move(imported.roster)](ExamDocument &d) {
    d.roster = roster;
    d.sheets = Assembly::refreshIDFlags(std::move(d.sheets), d.exam, d.roster.students);
  });
  if (!result->notes.empty())
    model_.showMessage(result->title, joinedLines(result->notes));
}

void RosterActions::clearRoster() {
  const ExamDocument *doc = model_.selectedDocument();
  if (!doc || doc->roster.students.empty() || !model_.panels_)
    return;
  size_t count = doc->roster.students.size();
  Question question{"Clear the roster of \u201C" + doc->exam.title + "\u201D?",
                    std::to_string(count) + (count == 1 ? " student is" : " students are") +
                        " taken off this test. Graded sheets keep the IDs read from them.",
                    "Clear Roster"};
  if (!model_.panels_->confirm(question))
    return;
  model_.update([](ExamDocument &d) {
    d.roster = {};
    d.sheets = Assembly::refreshIDFlags(std::move(d.sheets), d.exam, d.roster.students);
  });
}

void RosterActions::importRoster() {
  if (!model_.panels_ || !model_.selectedDocument())
    return;
  model_.setShowRosterImporter(true);
  std::vector<fs::path> chosen =
      model_.chooseFiles({"Choose a class list: a CSV with student IDs and names.", "Import",
                          OpenPanel::Files::roster});
  model_.setShowRosterImporter(false);
  if (chosen.empty())
    return;
  std::optional<std::string> column = idColumn(chosen.front());
  if (column)
    importRoster(chosen.front(), *column);
}

std::optional<std::string> RosterActions::idColumn(const fs::path &path) {
  auto bytes = FileIO::read(path);
  if (!bytes)
    return std::string();
  auto found = RosterImport::importData(*bytes, path.filename().string(), {});
  if (found || found.error().reason != RosterImport::Failure::Reason::noIDColumn)
    return std::string();
  // Only when the headings don't say which column holds the IDs is the teacher asked.
  std::vector<std::string> headings = columns(path);
  if (headings.empty())
    return std::string();
  auto picked = model_.panels_->choose(
      {"Which column holds the student IDs?",
       "None of the headings in \u201C" + path.filename().string() +
           "\u201D is one Ovalon knows for student IDs. Choose the column that holds them.",
       headings, "Import"});
  if (!picked || *picked >= headings.size())
    return std::nullopt;
  return headings[*picked];
}

std::vector<std::string> RosterActions::columns(const fs::path &path) {
  auto bytes = FileIO::read(path);
  if (!bytes)
    return {};
  return RosterImport::headings(*bytes).value_or(std::vector<std::string>{});
}

std::vector<RosterRow> RosterActions::rows() const {
  const ExamDocument *doc = model_.selectedDocument();
  return doc ? RosterRow::rows(*doc) : std::vector<RosterRow>{};
}

// The AppModel operations this object carries out.

void AppModel::importRoster(const fs::path &path, const std::string &idColumn) {
  roster_->importRoster(path, idColumn);
}

std::vector<std::string> AppModel::rosterColumns(const fs::path &path) {
  return RosterActions::columns(path);
}

void AppModel::importRoster() {
  roster_->importRoster();
}

void AppModel::clearRoster() {
  roster_->clearRoster();
}

std::vector<RosterRow> AppModel::rosterRows() const {
  return roster_->rows();
}

} // namespace ovalon
