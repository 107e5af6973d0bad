#include "workflow/GradingRun.h"

#include "library/FileIO.h"
#include "library/ImageStaging.h"
#include "scanning/Grader.h"
#include "scanning/KeyScan.h"

#include <algorithm>
#include <cctype>
#include <future>
#include <map>
#include <set>

namespace ovalon::GradingRun {

namespace {

namespace fs = std::filesystem;

std::string quoted(const fs::path &path) {
  return "\u201C" + path.filename().string() + "\u201D";
}

std::string lowerExtension(const fs::path &path) {
  std::string extension = path.extension().string();
  std::ranges::transform(extension, extension.begin(),
                         [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return extension;
}

// Takes each finished page's pictures out to the staging folder and remembers
// where they went, by file and page, for the sources being read.
class PictureSink {
public:
  explicit PictureSink(ImageStaging *staging, Reading &reading)
      : staging_(staging), reading_(reading) {}

  Grader::FilePageDone filesHook() {
    if (!staging_)
      return {};
    return [this](size_t file, PageOutcome &page) {
      PageOrigin &staged = staged_[{file, page.sourcePage}];
      staged.picture = stage(page.preview);
      staged.idPicture = stage(page.idCrop);
      staged.namePicture = stage(page.nameCrop);
    };
  }

  Grader::PageDone hook() {
    if (!staging_)
      return {};
    return [hook = filesHook()](PageOutcome &page) { hook(0, page); };
  }

  // Origins for the pages of one file, read in order.
  void note(const std::vector<PageOutcome> &pages, const std::optional<std::string> &digest,
            size_t file = 0) {
    for (const PageOutcome &page : pages) {
      auto found = staged_.find({file, page.sourcePage});
      PageOrigin origin = found == staged_.end() ? PageOrigin{} : found->second;
      origin.digest = digest;
      reading_.origins.push_back(std::move(origin));
    }
  }

  // Done with the sources read so far.
  void forget() { staged_.clear(); }

private:
  // The picture's id once it is in the staging folder; it no longer needs keeping here.
  std::optional<Uuid> stage(std::optional<Bytes> &picture) {
    if (!picture || reading_.pictureError)
      return std::nullopt;
    Uuid id = Uuid::random();
    if (auto added = staging_->add(id, *picture); !added) {
      reading_.pictureError = added.error();
      return std::nullopt;
    }
    picture.reset();
    return id;
  }

  ImageStaging *staging_;
  Reading &reading_;
  std::map<std::pair<size_t, int>, PageOrigin> staged_;
};

void keep(std::vector<PageOutcome> &&pages, const std::optional<std::string> &digest,
          PictureSink &sink, Reading &reading, size_t file = 0) {
  sink.note(pages, digest, file);
  std::ranges::move(pages, std::back_inserter(reading.outcomes));
}

bool isPDF(const fs::path &path) {
  return lowerExtension(path) == ".pdf";
}

// The files' digests, worked out on a thread of their own beside the reading: before it
// they would hold up its start (a PDF is opened first, with the other processors idle),
// after it its end. No thread for no files (photos, which go without digests).
std::future<std::vector<std::optional<std::string>>> digestsOf(std::vector<fs::path> paths) {
  const auto policy = paths.empty() ? std::launch::deferred : std::launch::async;
  return std::async(policy, [paths = std::move(paths)] {
    std::vector<std::optional<std::string>> digests;
    for (const fs::path &path : paths)
      digests.push_back(FileIO::digest(path));
    return digests;
  });
}

void readPDF(const fs::path &path, const Exam &exam, const Progress &progress, std::stop_token stop,
             PictureSink &sink, Reading &reading) {
  if (auto why = unopenable(path)) {
    reading.errors.push_back(*why);
    return;
  }
  auto digests = digestsOf({path});
  auto outcomes = Grader::gradePDF(path, exam, progress, stop, sink.hook());
  if (!outcomes) {
    reading.errors.push_back(path.filename().string() + ": " + outcomes.error().description());
    return;
  }
  keep(std::move(*outcomes), digests.get().front(), sink, reading);
}

// Image files are read as one run; what each yields, or why it can't be read, is kept in
// the files' order. Given `oneSource`, the files' pages are that source's pages 1, 2, … in
// order, with no file digest (a phone's photos).
void readImageFiles(const std::vector<fs::path> &paths, const Exam &exam, const Progress &progress,
                    std::stop_token stop, PictureSink &sink, Reading &reading,
                    const std::optional<std::string> &oneSource = std::nullopt) {
  std::vector<std::optional<std::string>> unopenables;
  std::vector<fs::path> readable;
  for (const fs::path &path : paths) {
    unopenables.push_back(unopenable(path));
    if (!unopenables.back())
      readable.push_back(path);
  }
  auto digests = digestsOf(oneSource ? std::vector<fs::path>{} : readable);
  auto outcomes = Grader::gradeImageFiles(readable, exam, progress, stop, sink.filesHook());
  const std::vector<std::optional<std::string>> fileDigests = digests.get();
  const size_t first = reading.outcomes.size();
  for (size_t i = 0, file = 0; i < paths.size(); ++i) {
    if (unopenables[i]) {
      reading.errors.push_back(*unopenables[i]);
      continue;
    }
    if (auto &pages = outcomes[file]; !pages)
      reading.errors.push_back(paths[i].filename().string() +
                               " isn\u2019t a PDF or an image Ovalon can open.");
    else if (!pages->empty()) // none when the run was stopped before the file
      keep(std::move(*pages), oneSource ? std::nullopt : fileDigests[file], sink, reading, file);
    ++file;
  }
  if (!oneSource)
    return;
  int page = 0;
  for (auto outcome = reading.outcomes.begin() + static_cast<ptrdiff_t>(first);
       outcome != reading.outcomes.end(); ++outcome) {
    outcome->source = *oneSource;
    outcome->sourcePage = ++page;
  }
}

bool isKeyPage(const PageOutcome &outcome) {
  return !outcome.problem && outcome.identity && outcome.identity->isKey;
}

std::string plural(size_t n, const std::string &word) {
  return std::to_string(n) + " " + word + (n == 1 ? "" : "s");
}

std::vector<std::string> sentences(const Reading &reading, const AssemblyResult &assembly,
                                   int skipped, long blackAndWhite) {
  std::vector<std::string> out;
  size_t open = 0;
  for (const ScannedSheet &sheet : assembly.sheets)
    open += sheet.openFlags().size();
  if (open > 0)
    out.push_back(plural(open, "mark") + (open == 1 ? " needs" : " need") +
                  " a look in Review before scores go out.");
  size_t issues = assembly.issues.size();
  if (issues == 1)
    out.push_back("1 page couldn\u2019t be graded; it\u2019s listed in Review.");
  else if (issues > 1)
    out.push_back(std::to_string(issues) +
                  " pages couldn\u2019t be graded; they\u2019re listed in Review.");
  if (skipped > 0)
    out.push_back((skipped == 1 ? std::string("1 page was") : plural(skipped, "page") + " were") +
                  " already graded in this test, so " + (skipped == 1 ? "it was" : "they were") +
                  " left out.");
  if (blackAndWhite > 0)
    out.push_back((blackAndWhite == 1 ? std::string("1 page was")
                                      : std::to_string(blackAndWhite) + " pages were") +
                  " scanned in black and white, which can drop light pencil marks. If an answer "
                  "in Review looks blank but was marked, scan that sheet again in grayscale.");
  out.insert(out.end(), reading.errors.begin(), reading.errors.end());
  return out;
}

std::string joined(const std::vector<std::string> &lines) {
  std::string text;
  for (const std::string &line : lines)
    text += (text.empty() ? "" : "\n") + line;
  return text;
}

// Every page the document holds, as (file digest, page in that file).
std::set<std::pair<std::string, int>> gradedPages(const ExamDocument &document) {
  std::set<std::pair<std::string, int>> pages;
  for (const ScannedSheet &sheet : document.sheets)
    if (sheet.sourceDigest)
      for (int page : sheet.sourcePages)
        pages.emplace(*sheet.sourceDigest, page);
  for (const ScanIssue &issue : document.issues)
    if (issue.sourceDigest)
      pages.emplace(*issue.sourceDigest, issue.sourcePage);
  return pages;
}

} // namespace

std::string scanName(const std::vector<ScanSource> &sources) {
  if (sources.empty())
    return "";
  if (auto *photos = std::get_if<ScanSource::Photos>(&sources.front().input))
    return photos->name;
  if (sources.size() == 1)
    return quoted(std::get<ScanSource::File>(sources.front().input).path);
  return std::to_string(sources.size()) + " files";
}

std::optional<std::string> unopenable(const fs::path &path) {
  std::error_code error;
  auto status = fs::status(path, error);
  if (status.type() == fs::file_type::not_found)
    return quoted(path) + " doesn\u2019t exist.";
  if (status.type() == fs::file_type::directory)
    return quoted(path) + " is a folder.";
  if (error)
    return quoted(path) + " can\u2019t be opened: " + error.message() + ".";
  return std::nullopt;
}

Reading read(const std::vector<ScanSource> &sources, const Exam &exam, const Progress &progress,
             std::stop_token stop, ImageStaging *pictures) {
  Reading reading;
  PictureSink sink(pictures, reading);
  auto imageFile = [&](size_t i) {
    const auto *file = std::get_if<ScanSource::File>(&sources[i].input);
    return file && !isPDF(file->path) ? file : nullptr;
  };
  for (size_t i = 0; i < sources.size() && !stop.stop_requested();) {
    if (auto *photos = std::get_if<ScanSource::Photos>(&sources[i].input)) {
      readImageFiles(photos->paths, exam, progress, stop, sink, reading, photos->name);
      ++i;
    } else if (!imageFile(i)) {
      readPDF(std::get<ScanSource::File>(sources[i].input).path, exam, progress, stop, sink,
              reading);
      ++i;
    } else {
      // Image files one after another, photos most often, are read side by side.
      std::vector<fs::path> paths;
      for (; i < sources.size() && imageFile(i); ++i)
        paths.push_back(imageFile(i)->path);
      readImageFiles(paths, exam, progress, stop, sink, reading);
    }
    sink.forget();
  }
  return reading;
}

Result complete(Reading &&reading, const ExamDocument &document, bool again) {
  const auto graded = again ? std::set<std::pair<std::string, int>>{} : gradedPages(document);
  const long blackAndWhite =
      std::ranges::count(reading.outcomes, true, &PageOutcome::blackAndWhite);
  std::vector<PageOutcome> keyPages;
  std::vector<PageOutcome> studentPages;
  std::vector<PageOrigin> studentOrigins;
  Result result;
  for (size_t i = 0; i < reading.outcomes.size(); ++i) {
    PageOutcome &outcome = reading.outcomes[i];
    PageOrigin origin = i < reading.origins.size() ? reading.origins[i] : PageOrigin{};
    if (isKeyPage(outcome)) {
      keyPages.push_back(std::move(outcome));
    } else if (origin.digest && graded.contains({*origin.digest, outcome.sourcePage})) {
      ++result.skippedPages;
    } else {
      studentPages.push_back(std::move(outcome));
      studentOrigins.push_back(std::move(origin));
    }
  }
  reading.outcomes.clear();

  if (!keyPages.empty())
    if (auto key = KeyScan::readKey(keyPages, document.exam))
      result.key = std::move(*key);
  result.assembly = Assembly::assemble(std::move(studentPages), document.exam,
                                       document.roster.students, document.sheets, studentOrigins);

  size_t sheets = result.assembly.sheets.size();
  if (sheets > 0)
    result.title = "Graded " + plural(sheets, "sheet");
  else if (result.skippedPages > 0 && result.assembly.issues.empty())
    result.title = "These pages are already graded";
  else
    result.title =
        result.key ? "No student sheets were in the scan" : "No answer sheets were graded";
  auto lines = sentences(reading, result.assembly, result.skippedPages, blackAndWhite);
  result.detail = lines.empty() ? "Every mark was clear." : joined(lines);
  if (result.key) {
    lines.insert(lines.begin(), result.title + ".");
    result.gradingNote = joined(lines);
  }
  return result;
}

Result complete(const Reading &reading, const ExamDocument &document, bool again) {
  return complete(Reading(reading), document, again);
}

void apply(const Result &result, ExamDocument &document) {
  document.sheets.insert(document.sheets.end(), result.assembly.sheets.begin(),
                         result.assembly.sheets.end());
  document.issues.insert(document.issues.end(), result.assembly.issues.begin(),
                         result.assembly.issues.end());
}

void apply(Result &&result, ExamDocument &document) {
  std::ranges::move(result.assembly.sheets, std::back_inserter(document.sheets));
  std::ranges::move(result.assembly.issues, std::back_inserter(document.issues));
  result.assembly.sheets.clear();
  result.assembly.issues.clear();
}

} // namespace ovalon::GradingRun
