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

void RosterActions::importRoster(const fs::path &path) {
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
  auto result = RosterUpdate::importRoster(imported, *bytes, path.filename().string());
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

void RosterActions::importRoster() {
  if (!model_.panels_ || !model_.selectedDocument())
    return;
  model_.setShowRosterImporter(true);
  std::vector<fs::path> chosen =
      model_.chooseFiles({"Choose a class list: a CSV with student IDs and names.", "Import",
                          OpenPanel::Files::roster});
  model_.setShowRosterImporter(false);
  if (!chosen.empty())
    importRoster(chosen.front());
}

// The AppModel operations this object carries out.

void AppModel::importRoster(const fs::path &path) {
  roster_->importRoster(path);
}

void AppModel::importRoster() {
  roster_->importRoster();
}

} // namespace ovalon
