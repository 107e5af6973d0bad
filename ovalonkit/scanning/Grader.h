#pragma once

#include "model/Exam.h"
#include "scanning/GrayImage.h"
#include "scanning/PageOutcome.h"

#include <expected>
#include <filesystem>
#include <functional>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

namespace ovalon {

// Scan intake: every page of a scanned PDF or a list of page images read
// against one test, a few pages at a time, each with the pictures the review
// screens need.
namespace Grader {

// Why a whole PDF could not be graded.
struct Failure {
  enum class Kind { unreadablePDF, noPages };
  Kind kind = Kind::unreadablePDF;

  std::string description() const {
    if (kind == Kind::noPages)
      return "That PDF has no pages.";
    return "That PDF couldn\u2019t be opened. It may be damaged or password-protected.";
  }

  bool operator==(const Failure &) const = default;
};

// Called on the calling thread after each finished page with the number of
// pages finished so far and the number of pages in the run.
using Progress = std::function<void(int done, int total)>;

// Called on the calling thread with each page as it is finished, before it is
// kept: the caller may move its pictures out (to disk), so that a long run
// doesn't hold every page's pictures at once.
using PageDone = std::function<void(PageOutcome &page)>;

// How many pages are read at once on a machine with `processors` processors.
int inFlightLimit(unsigned processors);

// Every page of the PDF, in page order. Pages that cannot be rendered are read
// as blank paper. A stop request stops starting new pages; the pages already
// being read are finished and returned.
std::expected<std::vector<PageOutcome>, Failure>
gradePDF(const std::filesystem::path &path, const Exam &exam, const Progress &progress = {},
         std::stop_token stop = {}, const PageDone &pageDone = {});

// Every image as one page of `sourceName`, in order; stops like gradePDF.
std::vector<PageOutcome> gradeImages(const std::vector<GrayImage> &images,
                                     const std::string &sourceName, const Exam &exam,
                                     const Progress &progress = {}, std::stop_token stop = {},
                                     const PageDone &pageDone = {});

// Called on the calling thread like PageDone, with the index of the file the page came from.
using FilePageDone = std::function<void(size_t file, PageOutcome &page)>;

// Every image of each image file (each page of a multi-page TIFF) as pages 1,
// 2, … of that file's name, decoded only as each is read; stops like gradePDF.
// The files are read as one run, so photos of a page each are read side by
// side. An image after a file's first that cannot be decoded is read as blank
// paper. One entry a file, in order: nothing for a file that cannot be read or
// whose first image cannot be decoded.
std::vector<std::optional<std::vector<PageOutcome>>>
gradeImageFiles(const std::vector<std::filesystem::path> &paths, const Exam &exam,
                const Progress &progress = {}, std::stop_token stop = {},
                const FilePageDone &pageDone = {});

// gradeImageFiles for one file.
std::optional<std::vector<PageOutcome>>
gradeImageFile(const std::filesystem::path &path, const Exam &exam, const Progress &progress = {},
               std::stop_token stop = {}, const PageDone &pageDone = {});

// One page read into an outcome, with its pictures. `assumed` stands in for an
// identity symbol that cannot be found (a smudged code the teacher vouches for).
PageOutcome readPage(const GrayImage &page, const Exam &exam, const std::string &source,
                     int sourcePage, const std::optional<SheetIdentity> &assumed = std::nullopt);

// Absent when the file cannot be opened or is locked by a password.
std::optional<int> pdfPageCount(const std::filesystem::path &path);

} // namespace Grader

} // namespace ovalon
