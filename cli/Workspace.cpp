#include "Workspace.h"

#include "CliError.h"

#include <algorithm>
#include <cctype>

namespace ovalon::cli {

namespace {

std::string upper(std::string text) {
  std::ranges::transform(text, text.begin(),
                         [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return text;
}

} // namespace

ExamDocument Workspace::find(const std::string &name) const {
  if (name.empty())
    throw CliError::usage("Name a test by its title or the start of its id.");
  std::vector<ExamDocument> documents = all();
  std::vector<ExamDocument> byTitle;
  std::vector<ExamDocument> byID;
  for (ExamDocument &doc : documents) {
    if (doc.exam.title == name)
      byTitle.push_back(doc);
    else if (doc.exam.id.text().starts_with(upper(name)))
      byID.push_back(doc);
  }
  const auto &matches = byTitle.empty() ? byID : byTitle;
  if (matches.size() == 1)
    return matches.front();
  if (matches.empty())
    throw CliError::usage("No test is called “" + name + "” in " + library_.folder.string() +
                          " (ovalon-cli list shows them).");
  throw CliError::usage("More than one test matches “" + name + "”; give more of its id.");
}

void Workspace::save(ExamDocument &document) const {
  document.modified = Date::now();
  if (auto saved = library_.save(document); !saved)
    throw CliError::failed(saved.error().description());
}

} // namespace ovalon::cli
