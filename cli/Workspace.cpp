#include "Workspace.h"

#include "CliError.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace ovalon::cli {

namespace {

std::string upper(std::string text) {
  std::ranges::transform(text, text.begin(),
                         [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return text;
}

std::chrono::milliseconds lockWait() {
  const char *seconds = std::getenv("OVALON_LOCK_WAIT");
  if (!seconds || !*seconds)
    return ExamLock::defaultWait;
  return std::chrono::milliseconds(static_cast<long>(std::atof(seconds) * 1000));
}

// Holds the command once, at the point `variable` names, until the test lets it go.
void pauseAt(const char *variable) {
  const char *fds = std::getenv(variable);
  int held = -1, go = -1;
  if (!fds || std::sscanf(fds, "%d %d", &held, &go) != 2)
    return;
  unsetenv(variable);
  char byte = 'p';
  if (write(held, &byte, 1) == 1)
    while (read(go, &byte, 1) < 0 && errno == EINTR) {
    }
  close(held);
  close(go);
}

CliError unusable(const ExamLibrary::Failure &failure) {
  return CliError::failed(failure.description());
}

} // namespace

Workspace::Workspace(std::filesystem::path folder) : library_{std::move(folder), lockWait()} {}

DocumentSummary Workspace::locate(const std::string &name) const {
  if (name.empty())
    throw CliError::usage("Name a test by its title or the start of its id.");
  ExamLibrary::Listing listing = list();
  std::vector<DocumentSummary> byTitle;
  std::vector<DocumentSummary> byID;
  for (const DocumentSummary &test : listing.tests) {
    if (test.title == name)
      byTitle.push_back(test);
    else if (test.id.text().starts_with(upper(name)))
      byID.push_back(test);
  }
  const auto &matches = byTitle.empty() ? byID : byTitle;
  if (matches.size() == 1)
    return matches.front();
  if (matches.size() > 1)
    throw CliError::usage("More than one test matches “" + name + "”; give more of its id.");
  for (const ExamLibrary::Unreadable &file : listing.unreadable)
    if (upper(file.path.stem().string()).starts_with(upper(name)))
      throw CliError::failed("“" + file.path.filename().string() +
                             "” can’t be used: " + file.reason);
  throw CliError::usage("No test is called “" + name + "” in " + library_.folder.string() +
                        " (ovalon-cli list shows them).");
}

ExamDocument Workspace::find(const std::string &name) const {
  auto loaded = library_.load(locate(name).id);
  if (!loaded)
    throw unusable(loaded.error());
  return std::move(loaded->document);
}

ExamDocument Workspace::update(const Uuid &examID, const Edit &edit, ImageStaging *pictures) const {
  ExamLibrary::UpdateOptions options;
  options.pictures = pictures;
  options.beforeWrite = [] { pauseAt("OVALON_PAUSE_WITH_LOCK"); };
  pauseAt("OVALON_PAUSE_BEFORE_SAVE");
  auto updated = library_.update(
      examID,
      [&edit](ExamDocument &document) -> std::expected<ExamLibrary::Edited, std::string> {
        return edit(document);
      },
      options);
  if (!updated)
    throw unusable(updated.error());
  return std::move(updated->document);
}

void Workspace::create(const ExamDocument &document) const {
  if (auto created = library_.create(document); !created)
    throw unusable(created.error());
}

} // namespace ovalon::cli
