#include "scanning/Grader.h"

#include "scanning/NameReader.h"
#include "scanning/PageReader.h"
#include "scanning/PdfDocument.h"
#include "scanning/PdfImageProbe.h"
#include "sheets/SheetLayout.h"

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <deque>
#include <iterator>
#include <malloc.h>
#include <memory>
#include <mutex>
#include <set>
#include <thread>

namespace ovalon::Grader {

namespace {

// One page waiting to be read, page `sourcePage` of `source`; `page` points into `owned` or
// at the caller's image, and is none when the page turned out to be no picture at all.
struct Job {
  int index = 0;
  std::string source;
  int sourcePage = 0;
  std::unique_ptr<GrayImage> owned;
  const GrayImage *page = nullptr;
};

Job pageOf(int index, const std::string &source, int sourcePage) {
  Job job;
  job.index = index;
  job.source = source;
  job.sourcePage = sourcePage;
  return job;
}

using Producer = std::function<Job(int index)>;
// Called with each finished page and its place in the run.
using IndexedPageDone = std::function<void(int index, PageOutcome &page)>;
using Slots = std::vector<std::optional<PageOutcome>>;

IndexedPageDone indexed(const PageDone &pageDone) {
  if (!pageDone)
    return {};
  return [&pageDone](int, PageOutcome &page) { pageDone(page); };
}

std::vector<PageOutcome> present(Slots &&slots) {
  std::vector<PageOutcome> outcomes;
  for (auto &slot : slots)
    if (slot)
      outcomes.push_back(std::move(*slot));
  return outcomes;
}

Rect grown(Rect rect, double dx, double dy) {
  return {rect.x - dx, rect.y - dy, rect.width + 2 * dx, rect.height + 2 * dy};
}

// The ID and name pictures are for the teacher's eye, so they are shrunk the way previews
// are: within a few gray levels of area averaging, in a fraction of its time.
std::optional<Bytes> pngOfRegion(const GrayImage &straightened, const SheetLayout &layout,
                                 Rect points, int64_t maxSide) {
  return straightened.cropped(layout.toImage(points, GrayImage::sheetFrameScale))
      .downscaledForView(maxSide)
      .pngData();
}

} // namespace

PageOutcome readPage(const GrayImage &page, const Exam &exam, const std::string &source,
                     int sourcePage, const std::optional<SheetIdentity> &assumed) {
  PageRead read = PageReader::read(page, exam, MarkThresholds{}, assumed);
  PageOutcome outcome;
  outcome.source = source;
  outcome.sourcePage = sourcePage;

  if (read.straightened && read.identity) {
    const SheetLayout layout(read.identity->signature);
    const GrayImage &straightened = *read.straightened;
    const Rect frame = layout.cornerFrame();
    const auto previewSide =
        static_cast<int64_t>(std::floor(1.5 * std::max(frame.width, frame.height)));
    outcome.preview = straightened.downscaledForView(previewSide).jpegData(0.72);

    for (const QuestionRead &row : read.questions) {
      if (!row.mark.flag)
        continue;
      const Rect rect =
          layout.toImage(grown(layout.rowRect(row.position), 4, 3), GrayImage::sheetFrameScale);
      if (auto png = straightened.cropped(rect).pngData())
        outcome.crops.emplace(row.position, std::move(*png));
    }

    if (read.identity->page == 1) {
      if (auto id = layout.idRect())
        outcome.idCrop = pngOfRegion(straightened, layout, grown(*id, 3, 3), 360);
      outcome.nameCrop =
          pngOfRegion(straightened, layout, grown(NameReader::nameBox(layout), 2, 2), 900);
    }
  } else {
    outcome.preview = page.downscaledForView(1400).jpegData(0.8);
  }

  outcome.identity = std::move(read.identity);
  outcome.problem = std::move(read.problem);
  outcome.questions = std::move(read.questions);
  outcome.idColumns = std::move(read.idColumns);
  outcome.method = read.method;
  outcome.name = std::move(read.name);
  return outcome;
}

namespace {

// Page numbers are handed out in order on the calling thread to a few
// long-lived workers, each keeping its own recogniser; at most `limit` pages
// are in flight. A worker produces its page's image itself, one worker at a
// time since the PDF libraries are not shared between threads, so the next
// image is made while the other workers read. Outcomes and progress are
// handled on the calling thread.
// Every page passes through buffers of megabytes. The C library hands blocks that large
// back to the system when they are freed, so each page would fault its memory in afresh,
// a sixth of the work of reading it; kept in the heap, the next page reuses them.
void keepPageBuffers() {
  static std::once_flag once;
  std::call_once(once, [] {
    mallopt(M_MMAP_THRESHOLD, 64 << 20);
    mallopt(M_TRIM_THRESHOLD, 256 << 20);
  });
}

// Each page's outcome in its place; none for a page not read, or that was no picture.
Slots readPages(int total, const Producer &produce, const Exam &exam, const Progress &progress,
                std::stop_token stop, const IndexedPageDone &pageDone) {
  keepPageBuffers();
  const int limit =
      std::min(total, inFlightLimit(std::max(1u, std::thread::hardware_concurrency())));
  Slots slots(static_cast<size_t>(std::max(total, 0)));
  if (limit <= 0)
    return slots;

  std::mutex mutex;
  std::mutex producing;
  std::condition_variable_any changed;
  std::deque<Job> waiting;
  std::deque<std::pair<int, std::optional<PageOutcome>>> finished;
  int inFlight = 0;
  int done = 0;

  // A worker ends when its thread is asked to stop: after the last page, or
  // when the calling thread leaves early.
  auto work = [&](std::stop_token finish) {
    for (;;) {
      Job job;
      {
        std::unique_lock lock(mutex);
        if (!changed.wait(lock, finish, [&] { return !waiting.empty(); }))
          return;
        job = std::move(waiting.front());
        waiting.pop_front();
      }
      {
        std::lock_guard lock(producing);
        job = produce(job.index);
      }
      std::optional<PageOutcome> outcome;
      if (job.page)
        outcome = readPage(*job.page, exam, job.source, job.sourcePage, std::nullopt);
      job.owned.reset();
      {
        std::lock_guard lock(mutex);
        finished.emplace_back(job.index, std::move(outcome));
      }
      changed.notify_all();
    }
  };

  // Hands out the next pages in order while fewer than `limit` are in flight and no stop
  // has been asked for; called with the lock held.
  int next = 0;
  auto handOut = [&] {
    const int before = next;
    while (next < total && inFlight < limit && !stop.stop_requested()) {
      Job job;
      job.index = next++;
      waiting.push_back(std::move(job));
      ++inFlight;
    }
    if (next != before)
      changed.notify_all();
  };

  {
    std::vector<std::jthread> workers;
    workers.reserve(static_cast<size_t>(limit));
    for (int i = 0; i < limit; ++i)
      workers.emplace_back(work);

    // Pages already started are finished and kept, stop or not.
    std::unique_lock lock(mutex);
    handOut();
    while (inFlight > 0) {
      changed.wait(lock, [&] { return !finished.empty(); });
      while (!finished.empty()) {
        auto [index, outcome] = std::move(finished.front());
        finished.pop_front();
        --inFlight;
        // The worker that finished gets its next page before this one is reported, so it
        // doesn't sit idle while the page's pictures are written.
        handOut();
        lock.unlock();
        if (outcome && pageDone)
          pageDone(index, *outcome);
        slots[static_cast<size_t>(index)] = std::move(outcome);
        ++done;
        if (progress)
          progress(done, total);
        lock.lock();
      }
    }
    // The workers need the lock to notice they are done.
    lock.unlock();
  }

  return slots;
}

} // namespace

int inFlightLimit(unsigned processors) {
  if (processors <= 3)
    return 2;
  if (processors <= 7)
    return static_cast<int>(processors / 2);
  return 4;
}

std::expected<std::vector<PageOutcome>, Failure>
gradePDF(const std::filesystem::path &path, const Exam &exam, const Progress &progress,
         std::stop_token stop, const PageDone &pageDone) {
  const std::optional<PdfDocument> document = PdfDocument::open(path);
  if (!document)
    return std::unexpected(Failure{Failure::Kind::unreadablePDF});
  const int total = document->pageCount();
  if (total <= 0)
    return std::unexpected(Failure{Failure::Kind::noPages});
  const std::optional<PdfImageProbe> probe = PdfImageProbe::open(path);
  const std::set<int> blackAndWhite = probe ? probe->blackAndWhitePages() : std::set<int>{};

  const std::string name = path.filename().string();
  const Producer produce = [&](int index) {
    Job job = pageOf(index, name, index + 1);
    // A scanned page is one picture: decoding it costs a fraction of rendering the page.
    std::optional<GrayImage> image;
    if (const auto size = document->renderedSize(index); size && probe)
      image = probe->pageImage(index, size->first, size->second);
    // A printed page is drawn at the resolution the reader straightens pages to, no finer.
    if (!image)
      image = document->renderPage(index, GrayImage::sheetFrameScale * 72);
    // A page that cannot be rendered reads as blank paper.
    job.owned = std::make_unique<GrayImage>(std::move(image).value_or(GrayImage::blankPage()));
    job.page = job.owned.get();
    return job;
  };
  std::vector<PageOutcome> outcomes =
      present(readPages(total, produce, exam, progress, std::move(stop), indexed(pageDone)));
  for (PageOutcome &outcome : outcomes)
    outcome.blackAndWhite = blackAndWhite.contains(outcome.sourcePage);
  return outcomes;
}

std::vector<PageOutcome> gradeImages(const std::vector<GrayImage> &images,
                                     const std::string &sourceName, const Exam &exam,
                                     const Progress &progress, std::stop_token stop,
                                     const PageDone &pageDone) {
  const Producer produce = [&](int index) {
    Job job = pageOf(index, sourceName, index + 1);
    job.page = &images[static_cast<size_t>(index)];
    return job;
  };
  return present(readPages(static_cast<int>(images.size()), produce, exam, progress,
                           std::move(stop), indexed(pageDone)));
}

namespace {

// An image file of a run: its pages are `first` … `first + count - 1` of the run. Its bytes
// are read when its first page is made and let go once its last one is.
struct ImageFile {
  std::filesystem::path path;
  std::string name;
  int first = 0;
  int count = 0;
  int made = 0;
  std::optional<Bytes> bytes;
  bool unreadable = false;
};

std::vector<ImageFile> imageFiles(const std::vector<std::filesystem::path> &paths) {
  std::vector<ImageFile> files;
  int first = 0;
  for (const std::filesystem::path &path : paths) {
    ImageFile file;
    file.path = path;
    file.name = path.filename().string();
    file.first = first;
    file.count = GrayImage::imageCountOfFile(path);
    file.unreadable = file.count <= 0;
    first += std::max(file.count, 0);
    files.push_back(std::move(file));
  }
  return files;
}

// The file page `index` of the run comes from: the last one starting at or before it (files
// of no pages start where the next one does, and come before it). Only `first`, which
// never changes, is read, so this is safe while the producer updates the files.
size_t fileOf(const std::vector<ImageFile> &files, int index) {
  return static_cast<size_t>(
      std::prev(std::ranges::upper_bound(files, index, {}, &ImageFile::first)) - files.begin());
}

// Page `index` of the run, decoded from its file.
Job imageFilePage(std::vector<ImageFile> &files, int index) {
  ImageFile &file = files[fileOf(files, index)];
  const int page = index - file.first;
  Job job = pageOf(index, file.name, page + 1);
  if (!file.bytes)
    file.bytes = GrayImage::fileBytes(file.path);
  std::optional<GrayImage> image =
      file.bytes ? GrayImage::fromImageData(*file.bytes, page) : std::nullopt;
  if (++file.made == file.count)
    file.bytes.reset();
  // The first image tells whether the file is a picture at all.
  if (!image && page == 0) {
    file.unreadable = true;
    return job;
  }
  job.owned = std::make_unique<GrayImage>(std::move(image).value_or(GrayImage::blankPage()));
  job.page = job.owned.get();
  return job;
}

} // namespace

std::vector<std::optional<std::vector<PageOutcome>>>
gradeImageFiles(const std::vector<std::filesystem::path> &paths, const Exam &exam,
                const Progress &progress, std::stop_token stop, const FilePageDone &pageDone) {
  std::vector<ImageFile> files = imageFiles(paths);
  int total = 0;
  for (const ImageFile &file : files)
    total += file.unreadable ? 0 : file.count;
  const Producer produce = [&](int index) { return imageFilePage(files, index); };
  IndexedPageDone done;
  if (pageDone)
    done = [&](int index, PageOutcome &page) { pageDone(fileOf(files, index), page); };
  Slots slots = readPages(total, produce, exam, progress, std::move(stop), done);

  std::vector<std::optional<std::vector<PageOutcome>>> outcomes;
  for (const ImageFile &file : files) {
    if (file.unreadable) {
      outcomes.emplace_back();
      continue;
    }
    const auto from = slots.begin() + file.first;
    outcomes.push_back(
        present(Slots(std::make_move_iterator(from), std::make_move_iterator(from + file.count))));
  }
  return outcomes;
}

std::optional<std::vector<PageOutcome>> gradeImageFile(const std::filesystem::path &path,
                                                       const Exam &exam, const Progress &progress,
                                                       std::stop_token stop,
                                                       const PageDone &pageDone) {
  FilePageDone done;
  if (pageDone)
    done = [&](size_t, PageOutcome &page) { pageDone(page); };
  return std::move(gradeImageFiles({path}, exam, progress, std::move(stop), done).front());
}

std::optional<int> pdfPageCount(const std::filesystem::path &path) {
  const std::optional<PdfDocument> document = PdfDocument::open(path);
  if (!document)
    return std::nullopt;
  return document->pageCount();
}

} // namespace ovalon::Grader
