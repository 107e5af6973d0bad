#include "library/ExamLibrary.h"

#include "library/DocumentCheck.h"
#include "library/DocumentJSON.h"
#include "library/FileIO.h"
#include "library/ImageStaging.h"
#include "library/PictureFile.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ovalon {

namespace fs = std::filesystem;
using Failure = ExamLibrary::Failure;
using Kind = ExamLibrary::Failure::Kind;

namespace {

Failure failure(Kind kind, std::string reason) {
  return Failure{kind, std::move(reason)};
}

std::expected<void, Failure> makeFolder(const fs::path &path) {
  std::error_code error;
  fs::create_directories(path, error);
  if (error)
    return std::unexpected(failure(Kind::notSaved, "Couldn’t create the folder “" + path.string() +
                                                       "”: " + error.message() + "."));
  return {};
}

bool isDocumentFile(const fs::directory_entry &entry) {
  std::string name = entry.path().filename().string();
  std::error_code error;
  return !name.starts_with("._") && entry.path().extension() == ".json" &&
         !entry.is_directory(error);
}

// ".<name>.XXXXXX": what a save that was interrupted before its rename leaves.
bool isTemporary(const std::string &name) {
  if (name.size() < 9 || name[0] != '.' || name[name.size() - 7] != '.')
    return false;
  std::string target = name.substr(1, name.size() - 8);
  return target.ends_with(".json") || target.ends_with(".jpg") || target.ends_with(".png") ||
         target.ends_with(".summary");
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

// The summary kept beside a document file: Tests/<name>.summary.
fs::path summaryPath(const fs::path &document) {
  fs::path path = document;
  return path.replace_extension(".summary");
}

// What is known of one document file: its summary when it is sound, else why not.
struct Reading {
  std::optional<DocumentSummary> summary;
  std::string problem;
};

// The whole file and the stamp of what was read, taken from the open file so
// that the two always belong together.
std::optional<std::pair<std::string, FileStamp>> readStamped(const fs::path &path) {
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0)
    return std::nullopt;
  struct stat info {};
  std::string text;
  bool ok = fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
  if (ok) {
    text.resize(static_cast<size_t>(info.st_size));
    size_t done = 0;
    while (ok && done < text.size()) {
      ssize_t n = ::read(fd, text.data() + done, text.size() - done);
      if (n < 0 && errno == EINTR)
        continue;
      ok = n > 0;
      done += n > 0 ? static_cast<size_t>(n) : 0;
    }
  }
  close(fd);
  if (!ok)
    return std::nullopt;
  auto nanoseconds = [](const timespec &t) {
    return int64_t{t.tv_sec} * 1'000'000'000 + t.tv_nsec;
  };
  return std::pair{std::move(text),
                   FileStamp{static_cast<uint64_t>(info.st_size),
                             static_cast<uint64_t>(info.st_ino), nanoseconds(info.st_mtim),
                             nanoseconds(info.st_ctim)}};
}

// Decodes and checks; the sentence says why a document can't be used.
std::expected<ExamDocument, std::string> decodeChecked(std::string_view text) {
  auto document = DocumentJSON::decode(text);
  if (!document)
    return std::unexpected(document.error().description());
  if (auto problem = DocumentCheck::problem(*document))
    return std::unexpected(*problem);
  return std::move(*document);
}

nlohmann::json stampJSON(const FileStamp &stamp) {
  return {{"size", stamp.size},
          {"inode", stamp.inode},
          {"modified", stamp.modifiedNanoseconds},
          {"changed", stamp.changedNanoseconds}};
}

// Best effort: a summary that can't be written is read from the document next time.
void writeSummary(const fs::path &document, const FileStamp &stamp, const Reading &reading) {
  nlohmann::json entry{{"stamp", stampJSON(stamp)}};
  if (reading.summary) {
    auto summary = DocumentJSON::encode(*reading.summary);
    if (!summary)
      return;
    entry["summary"] = nlohmann::json::parse(*summary);
  } else {
    entry["unreadable"] = reading.problem;
  }
  (void)FileIO::writeAtomically(summaryPath(document), entry.dump());
}

// The summary beside `document` when it was made from the file as it is now.
std::optional<Reading> storedSummary(const fs::path &document, const FileStamp &stamp) {
  auto bytes = FileIO::read(summaryPath(document));
  if (!bytes)
    return std::nullopt;
  try {
    auto entry = nlohmann::json::parse(bytes->begin(), bytes->end());
    if (entry.at("stamp") != stampJSON(stamp))
      return std::nullopt;
    if (auto unreadable = entry.find("unreadable"); unreadable != entry.end())
      return Reading{std::nullopt, unreadable->get<std::string>()};
    auto summary = DocumentJSON::decodeSummary(entry.at("summary").dump());
    if (!summary)
      return std::nullopt;
    return Reading{std::move(*summary), {}};
  } catch (const nlohmann::json::exception &) {
    return std::nullopt;
  }
}

std::string fileName(const fs::path &path) {
  return "\u201C" + path.filename().string() + "\u201D";
}

// A document must sit in the file its id names: anything else is a copy or a
// renamed file, and saving it would make a second file for one test.
std::optional<std::string> misnamed(const fs::path &path, const Uuid &id, const fs::path &tests) {
  if (path.stem().string() == id.text())
    return std::nullopt;
  fs::path proper = tests / (id.text() + ".json");
  std::error_code error;
  if (fs::exists(proper, error))
    return "It holds the same test as " + fileName(proper) +
           ", which is the one used; remove this copy or give it a test of its own in the app "
           "(Duplicate).";
  return "It holds the test " + id.text() + " under another name; rename it to " +
         fileName(proper) + ".";
}

std::vector<fs::path> documentFiles(const fs::path &tests) {
  std::vector<fs::path> files;
  std::error_code error;
  for (const fs::directory_entry &entry : fs::directory_iterator(tests, error))
    if (isDocumentFile(entry))
      files.push_back(entry.path());
  std::ranges::sort(files);
  return files;
}

template <typename T, typename Modified>
void newestFirst(std::vector<T> &items, Modified modified) {
  std::ranges::stable_sort(items,
                           [&](const T &a, const T &b) { return modified(a) > modified(b); });
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

fs::path ExamLibrary::lockPath(const Uuid &examID) const {
  return testsFolder() / (examID.text() + ".lock");
}

fs::path ExamLibrary::imagesFolder(const Uuid &examID) const {
  return folder / "Images" / examID.text();
}

ExamLibrary::Contents ExamLibrary::loadAll() const {
  Contents contents;
  for (const fs::path &path : documentFiles(testsFolder())) {
    auto read = readStamped(path);
    if (!read) {
      contents.unreadable.push_back({path, "The file can\u2019t be read."});
      continue;
    }
    auto document = decodeChecked(read->first);
    if (!storedSummary(path, read->second))
      writeSummary(path, read->second,
                   document ? Reading{DocumentSummary::of(*document), {}}
                            : Reading{std::nullopt, document.error()});
    if (document)
      if (auto wrong = misnamed(path, document->exam.id, testsFolder()))
        document = std::unexpected(*wrong);
    if (!document) {
      contents.unreadable.push_back({path, document.error()});
      continue;
    }
    // Only with the test held, and against the document as it is then.
    if (ImageStaging::hasAbandonedRuns(*this, document->exam.id))
      if (auto lock = ExamLock::acquire(lockPath(document->exam.id), std::chrono::milliseconds(0)))
        if (auto current = load(document->exam.id))
          ImageStaging::recover(*this, current->document);
    contents.documents.push_back(std::move(*document));
  }
  newestFirst(contents.documents, [](const ExamDocument &d) { return d.modified; });
  return contents;
}

ExamLibrary::Listing ExamLibrary::list() const {
  Listing listing;
  for (const fs::path &path : documentFiles(testsFolder())) {
    auto stamp = FileStamp::of(path);
    std::optional<Reading> reading = stamp ? storedSummary(path, *stamp) : std::nullopt;
    if (!reading) {
      auto read = readStamped(path);
      if (!read) {
        listing.unreadable.push_back({path, "The file can\u2019t be read."});
        continue;
      }
      auto document = decodeChecked(read->first);
      reading = document ? Reading{DocumentSummary::of(*document), {}}
                         : Reading{std::nullopt, document.error()};
      writeSummary(path, read->second, *reading);
    }
    if (reading->summary)
      if (auto wrong = misnamed(path, reading->summary->id, testsFolder()))
        reading = Reading{std::nullopt, *wrong};
    if (reading->summary)
      listing.tests.push_back(std::move(*reading->summary));
    else
      listing.unreadable.push_back({path, reading->problem});
  }
  newestFirst(listing.tests, [](const DocumentSummary &s) { return s.modified; });
  return listing;
}

std::expected<ExamLibrary::Loaded, Failure> ExamLibrary::load(const Uuid &examID) const {
  const fs::path path = documentPath(examID);
  auto read = readStamped(path);
  if (!read) {
    std::error_code error;
    if (!fs::exists(path, error))
      return std::unexpected(
          failure(Kind::missing, "The test " + examID.text() + " isn\u2019t in the library."));
    return std::unexpected(failure(Kind::unreadable, fileName(path) + " can\u2019t be read."));
  }
  auto document = decodeChecked(read->first);
  if (document && document->exam.id != examID)
    document = std::unexpected(*misnamed(path, document->exam.id, testsFolder()));
  if (!document)
    return std::unexpected(
        failure(Kind::unreadable, fileName(path) + " can\u2019t be used: " + document.error()));
  return Loaded{std::move(*document), read->second};
}

std::expected<ExamLibrary::Updated, Failure>
ExamLibrary::update(const Uuid &examID, const Edit &edit, const UpdateOptions &options) const {
  auto lock = ExamLock::acquire(lockPath(examID), lockWait);
  if (!lock)
    return std::unexpected(failure(Kind::locked, lock.error().description()));
  auto loaded = load(examID);
  if (!loaded)
    return std::unexpected(loaded.error());
  ImageStaging::recover(*this, loaded->document);

  Updated updated{std::move(loaded->document), loaded->stamp, false, false};
  updated.changedElsewhere = options.loadedAt && *options.loadedAt != loaded->stamp;
  if (updated.changedElsewhere && options.refuseIfChanged)
    return std::unexpected(failure(
        Kind::changed, "\u201C" + updated.document.exam.title +
                           "\u201D was changed by another program meanwhile, so nothing was "
                           "saved. Try again."));
  auto edited = edit(updated.document);
  if (!edited)
    return std::unexpected(failure(Kind::refused, edited.error()));
  if (*edited == Edited::unchanged)
    return updated;

  updated.document.modified = Date::now();
  if (options.beforeWrite)
    options.beforeWrite();
  if (auto saved = save(updated.document); !saved)
    return std::unexpected(saved.error());
  if (options.pictures)
    options.pictures->commit(updated.document);
  updated.stamp = FileStamp::of(documentPath(examID)).value_or(FileStamp{});
  updated.saved = true;
  return updated;
}

std::expected<ExamLibrary::Updated, Failure>
ExamLibrary::create(const ExamDocument &document) const {
  if (auto made = makeFolder(testsFolder()); !made)
    return std::unexpected(made.error());
  auto lock = ExamLock::acquire(lockPath(document.exam.id), lockWait);
  if (!lock)
    return std::unexpected(failure(Kind::locked, lock.error().description()));
  std::error_code error;
  if (fs::exists(documentPath(document.exam.id), error))
    return std::unexpected(failure(Kind::refused, "The library already holds the test " +
                                                      document.exam.id.text() + "."));
  if (auto saved = save(document); !saved)
    return std::unexpected(saved.error());
  return Updated{document, FileStamp::of(documentPath(document.exam.id)).value_or(FileStamp{}),
                 false, true};
}

std::expected<void, Failure> ExamLibrary::save(const ExamDocument &document) const {
  const std::string title = "\u201C" + document.exam.title + "\u201D";
  // Never write what couldn't be read back.
  if (auto problem = DocumentCheck::problem(document))
    return std::unexpected(failure(Kind::notSaved, title + " couldn\u2019t be saved: " + *problem));
  if (auto made = makeFolder(testsFolder()); !made)
    return made;
  const fs::path path = documentPath(document.exam.id);
  auto file = FileIO::AtomicFile::create(path);
  if (!file)
    return std::unexpected(failure(Kind::notSaved, file.error()));
  auto encoded =
      DocumentJSON::encode(document, [&file](std::string_view piece) { file->write(piece); });
  if (!encoded)
    return std::unexpected(
        failure(Kind::notSaved, "Couldn’t save " + title + ": " + encoded.error().description()));
  if (auto written = file->commit(); !written)
    return std::unexpected(failure(Kind::notSaved, written.error()));
  if (auto stamp = FileStamp::of(path))
    writeSummary(path, *stamp, {DocumentSummary::of(document), {}});
  removeStaleTemporaries(testsFolder());
  return {};
}

std::expected<void, Failure> ExamLibrary::remove(const Uuid &examID, const Check &check) const {
  std::error_code error;
  if (!fs::exists(testsFolder(), error) && !fs::exists(imagesFolder(examID), error))
    return {};
  auto lock = ExamLock::acquire(lockPath(examID), lockWait);
  if (!lock && lock.error().problem.empty())
    return std::unexpected(failure(Kind::locked, lock.error().description()));
  if (check)
    if (auto loaded = load(examID))
      if (auto refusal = check(loaded->document))
        return std::unexpected(failure(Kind::refused, *refusal));
  const fs::path path = documentPath(examID);
  if (!fs::remove(path, error) && error)
    return std::unexpected(
        failure(Kind::notSaved, "The test couldn\u2019t be deleted: " + error.message() + "."));
  fs::remove(summaryPath(path), error);
  fs::remove_all(imagesFolder(examID), error);
  if (error)
    return std::unexpected(failure(
        Kind::notSaved, "The test was deleted, but its page pictures in \u201C" +
                            imagesFolder(examID).string() +
                            "\u201D couldn\u2019t all be removed: " + error.message() + "."));
  if (lock)
    lock->removeFile();
  return {};
}

std::expected<void, Failure> ExamLibrary::saveImages(const std::map<Uuid, Bytes> &images,
                                                     const Uuid &examID) const {
  if (auto made = makeFolder(imagesFolder(examID)); !made)
    return made;
  for (const auto &[imageID, picture] : images) {
    auto written = FileIO::writeAtomically(
        imagesFolder(examID) / PictureFile::name(imageID, picture), picture);
    if (!written)
      return std::unexpected(failure(Kind::notSaved, written.error()));
  }
  removeStaleTemporaries(imagesFolder(examID));
  return {};
}

std::optional<Bytes> ExamLibrary::loadImage(const Uuid &imageID, const Uuid &examID) const {
  // A page is a JPEG, so that name is tried first.
  for (const std::string &name : PictureFile::names(imageID))
    if (auto picture = FileIO::read(imagesFolder(examID) / name))
      return picture;
  return std::nullopt;
}

void ExamLibrary::deleteImages(const std::vector<Uuid> &imageIDs, const Uuid &examID) const {
  for (const Uuid &imageID : imageIDs)
    for (const std::string &name : PictureFile::names(imageID)) {
      std::error_code ignored;
      fs::remove(imagesFolder(examID) / name, ignored);
    }
}

} // namespace ovalon
