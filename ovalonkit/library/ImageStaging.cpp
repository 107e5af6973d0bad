#include "library/ImageStaging.h"

#include "library/ExamLibrary.h"
#include "library/FileIO.h"
#include "library/PictureFile.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <iterator>
#include <set>
#include <sys/file.h>
#include <unistd.h>
#include <utility>

namespace ovalon {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view prefix = ".staging-";
constexpr const char *ownerFile = ".owner";
// A run's folder is made before its lock file; younger than this, it may be a
// run just starting.
constexpr auto startingGrace = std::chrono::minutes(1);

std::set<Uuid> referencedPictures(const ExamDocument &document) {
  std::set<Uuid> pictures;
  for (const ScannedSheet &sheet : document.sheets)
    std::ranges::copy(sheet.pictures(), std::inserter(pictures, pictures.end()));
  for (const ScanIssue &issue : document.issues)
    if (issue.image)
      pictures.insert(*issue.image);
  return pictures;
}

// Moves what `keep` names from `from` into `into`; true when all of it moved.
bool moveIn(const fs::path &from, const fs::path &into, const std::set<Uuid> &keep) {
  bool moved = true;
  std::error_code error;
  for (const auto &entry : fs::directory_iterator(from, error)) {
    auto id = PictureFile::id(entry.path());
    if (!id || !keep.contains(*id))
      continue;
    std::error_code failed;
    fs::rename(entry.path(), into / entry.path().filename(), failed);
    moved = moved && !failed;
  }
  return moved && !error;
}

// A run folder whose process is gone, locked by us so no one else finishes it too.
int claimAbandoned(const fs::path &run) {
  int fd = open((run / ownerFile).c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0) {
    std::error_code error;
    auto age = fs::file_time_type::clock::now() - fs::last_write_time(run, error);
    return !error && age > startingGrace ? -2 : -1;
  }
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

template <typename Visit> void eachRun(const fs::path &pictures, Visit visit) {
  std::error_code error;
  for (const auto &entry : fs::directory_iterator(pictures, error))
    if (entry.path().filename().string().starts_with(prefix) && entry.is_directory(error))
      visit(entry.path());
}

} // namespace

std::expected<ImageStaging, std::string> ImageStaging::open(const ExamLibrary &library,
                                                            const Uuid &examID) {
  fs::path target = library.imagesFolder(examID);
  fs::path folder = target / (std::string(prefix) + Uuid::random().text());
  std::error_code error;
  fs::create_directories(folder, error);
  if (error)
    return std::unexpected("Couldn\u2019t create the folder \u201C" + folder.string() +
                           "\u201D: " + error.message() + ".");
  int fd = ::open((folder / ownerFile).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0 || flock(fd, LOCK_EX) != 0) {
    std::string why = std::strerror(errno);
    if (fd >= 0)
      close(fd);
    fs::remove_all(folder, error);
    return std::unexpected("Couldn\u2019t prepare the folder \u201C" + folder.string() +
                           "\u201D: " + why + ".");
  }
  return ImageStaging(examID, std::move(target), std::move(folder), fd);
}

ImageStaging::ImageStaging(ImageStaging &&other) noexcept
    : examID_(other.examID_), target_(std::move(other.target_)), folder_(std::move(other.folder_)),
      lock_(std::exchange(other.lock_, -1)), keep_(other.keep_) {}

ImageStaging::~ImageStaging() {
  if (lock_ < 0)
    return;
  if (!keep_) {
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }
  close(lock_);
}

std::expected<void, std::string> ImageStaging::add(const Uuid &imageID, const Bytes &picture) {
  return FileIO::writeAtomically(folder_ / PictureFile::name(imageID, picture), picture);
}

void ImageStaging::commit(const ExamDocument &saved) {
  keep_ = !moveIn(folder_, target_, referencedPictures(saved));
}

void ImageStaging::recover(const ExamLibrary &library, const ExamDocument &document) {
  const fs::path pictures = library.imagesFolder(document.exam.id);
  const std::set<Uuid> referenced = referencedPictures(document);
  eachRun(pictures, [&](const fs::path &run) {
    int claim = claimAbandoned(run);
    if (claim == -1)
      return;
    if (moveIn(run, pictures, referenced)) {
      std::error_code ignored;
      fs::remove_all(run, ignored);
    }
    if (claim >= 0)
      close(claim);
  });
}

bool ImageStaging::hasAbandonedRuns(const ExamLibrary &library, const Uuid &examID) {
  bool found = false;
  eachRun(library.imagesFolder(examID), [&](const fs::path &run) {
    if (found)
      return;
    int claim = claimAbandoned(run);
    found = claim != -1;
    if (claim >= 0)
      close(claim);
  });
  return found;
}

} // namespace ovalon
