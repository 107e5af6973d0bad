#include "library/ExamLibrary.h"

#include "library/DocumentJSON.h"
#include "library/FileIO.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>

namespace ovalon {

namespace fs = std::filesystem;

namespace {

std::expected<void, ExamLibrary::Failure> makeFolder(const fs::path &path) {
  std::error_code error;
  fs::create_directories(path, error);
  if (error)
    return std::unexpected(ExamLibrary::Failure{"Couldn’t create the folder “" + path.string() +
                                                "”: " + error.message() + "."});
  return {};
}

bool isDocumentFile(const fs::directory_entry &entry) {
  std::string name = entry.path().filename().string();
  return !name.starts_with("._") && entry.path().extension() == ".json";
}

// ".<name>.XXXXXX": what a save that was interrupted before its rename leaves.
bool isTemporary(const std::string &name) {
  if (name.size() < 9 || name[0] != '.' || name[name.size() - 7] != '.')
    return false;
  std::string target = name.substr(1, name.size() - 8);
  return target.ends_with(".json") || target.ends_with(".jpg");
}

// Only leftovers older than a minute go, so a save another process is making
// at this moment keeps its file.
void removeStaleTemporaries(const fs::path &folder) {
  const auto cutoff = fs::file_time_type::clock::now() - std::chrono::minutes(1);
  std::error_code error;
  for (const auto &entry : fs::directory_iterator(folder, error)) {
    std::error_code ignored;
    if (isTemporary(entry.path().filename().string()) && entry.last_write_time(ignored) < cutoff &&
        !ignored)
      fs::remove(entry.path(), ignored);
  }
}

} // namespace

fs::path ExamLibrary::defaultFolder() {
  if (const char *library = std::getenv("OVALON_LIBRARY"); library && *library)
    return library;
  if (const char *data = std::getenv("XDG_DATA_HOME"); data && *data)
    return fs::path(data) / "Ovalon";
  const char *home = std::getenv("HOME");
  return fs::path(home && *home ? home : ".") / ".local" / "share" / "Ovalon";
}

fs::path ExamLibrary::documentPath(const Uuid &examID) const {
  return testsFolder() / (examID.text() + ".json");
}

fs::path ExamLibrary::imagesFolder(const Uuid &examID) const {
  return folder / "Images" / examID.text();
}

fs::path ExamLibrary::imagePath(const Uuid &imageID, const Uuid &examID) const {
  return imagesFolder(examID) / (imageID.text() + ".jpg");
}

std::vector<ExamDocument> ExamLibrary::loadAll() const {
  std::vector<ExamDocument> documents;
  std::error_code error;
  fs::directory_iterator entries(testsFolder(), error);
  if (error)
    return documents;
  for (const fs::directory_entry &entry : entries) {
    if (!isDocumentFile(entry))
      continue;
    auto bytes = FileIO::read(entry.path());
    if (!bytes)
      continue;
    auto document = DocumentJSON::decode(
        std::string_view(reinterpret_cast<const char *>(bytes->data()), bytes->size()));
    if (document)
      documents.push_back(std::move(*document));
  }
  std::ranges::stable_sort(documents, [](const ExamDocument &a, const ExamDocument &b) {
    return a.modified > b.modified;
  });
  return documents;
}

std::expected<void, ExamLibrary::Failure> ExamLibrary::save(const ExamDocument &document) const {
  if (auto made = makeFolder(testsFolder()); !made)
    return made;
  auto json = DocumentJSON::encode(document);
  if (!json)
    return std::unexpected(
        Failure{"Couldn’t save “" + document.exam.title + "”: " + json.error().description()});
  auto written = FileIO::writeAtomically(documentPath(document.exam.id), *json);
  if (!written)
    return std::unexpected(Failure{written.error()});
  removeStaleTemporaries(testsFolder());
  return {};
}

void ExamLibrary::remove(const Uuid &examID) const {
  std::error_code ignored;
  fs::remove(documentPath(examID), ignored);
  fs::remove_all(imagesFolder(examID), ignored);
}

std::expected<void, ExamLibrary::Failure>
ExamLibrary::saveImages(const std::map<Uuid, Bytes> &images, const Uuid &examID) const {
  if (auto made = makeFolder(imagesFolder(examID)); !made)
    return made;
  for (const auto &[imageID, jpeg] : images) {
    auto written = FileIO::writeAtomically(imagePath(imageID, examID), jpeg);
    if (!written)
      return std::unexpected(Failure{written.error()});
  }
  removeStaleTemporaries(imagesFolder(examID));
  return {};
}

std::optional<Bytes> ExamLibrary::loadImage(const Uuid &imageID, const Uuid &examID) const {
  return FileIO::read(imagePath(imageID, examID));
}

void ExamLibrary::deleteImages(const std::vector<Uuid> &imageIDs, const Uuid &examID) const {
  for (const Uuid &imageID : imageIDs) {
    std::error_code ignored;
    fs::remove(imagePath(imageID, examID), ignored);
  }
}

} // namespace ovalon
