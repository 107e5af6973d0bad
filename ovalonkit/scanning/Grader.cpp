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
#include <malloc.h>
#include <memory>
#include <mutex>
#include <set>
#include <thread>

namespace ovalon::Grader {

namespace {

// One page waiting to be read; `page` points into `owned` or at the caller's image.
struct Job {
  int index = 0;
  std::unique_ptr<GrayImage> owned;
  const GrayImage *page = nullptr;
};

using Producer = std::function<Job(int index)>;

Rect grown(Rect rect, double dx, double dy) {
  return {rect.x - dx, rect.y - dy, rect.width + 2 * dx, rect.height + 2 * dy};
}

std::optional<Bytes> pngOfRegion(const GrayImage &straightened, const SheetLayout &layout,
                                 Rect points, int64_t maxSide) {
  return straightened.cropped(layout.toImage(points, GrayImage::sheetFrameScale))
      .downscaled(maxSide)
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

std::vector<PageOutcome> readPages(int total, const Producer &produce, const Exam &exam,
                                   const std::string &source, const Progress &progress,
                                   std::stop_token stop, const PageDone &pageDone) {
  keepPageBuffers();
  const int limit =
      std::min(total, inFlightLimit(std::max(1u, std::thread::hardware_concurrency())));
  std::vector<std::optional<PageOutcome>> slots(static_cast<size_t>(total));
  if (limit <= 0)
    return {};

  std::mutex mutex;
  std::mutex producing;
  std::condition_variable_any changed;
  std::deque<Job> waiting;
  std::deque<std::pair<int, PageOutcome>> finished;
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
      PageOutcome outcome = readPage(*job.page, exam, source, job.index + 1, std::nullopt);
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
        if (pageDone)
          pageDone(outcome);
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

  std::vector<PageOutcome> outcomes;
  for (auto &slot : slots)
    if (slot)
      outcomes.push_back(std::move(*slot));
  return outcomes;
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

  const Producer produce = [&](int index) {
    Job job;
    job.index = index;
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
  std::vector<PageOutcome> outcomes = readPages(total, produce, exam, path.filename().string(),
                                                progress, std::move(stop), pageDone);
  for (PageOutcome &outcome : outcomes)
    outcome.blackAndWhite = blackAndWhite.contains(outcome.sourcePage);
  return outcomes;
}

std::vector<PageOutcome> gradeImages(const std::vector<GrayImage> &images,
                                     const std::string &sourceName, const Exam &exam,
                                     const Progress &progress, std::stop_token stop,
                                     const PageDone &pageDone) {
  const Producer produce = [&](int index) {
    Job job;
    job.index = index;
    job.page = &images[static_cast<size_t>(index)];
    return job;
  };
  return readPages(static_cast<int>(images.size()), produce, exam, sourceName, progress,
                   std::move(stop), pageDone);
}

std::optional<std::vector<PageOutcome>> gradeImageFile(const std::filesystem::path &path,
                                                       const Exam &exam, const Progress &progress,
                                                       std::stop_token stop,
                                                       const PageDone &pageDone) {
  const std::optional<Bytes> bytes = GrayImage::fileBytes(path);
  if (!bytes)
    return std::nullopt;
  const int total = GrayImage::imageCount(*bytes);
  // The first image tells whether this is a picture at all; it is read as it is.
  std::optional<GrayImage> first = total > 0 ? GrayImage::fromImageData(*bytes) : std::nullopt;
  if (!first)
    return std::nullopt;
  const Producer produce = [&](int index) {
    Job job;
    job.index = index;
    std::optional<GrayImage> image =
        index == 0 ? std::move(first) : GrayImage::fromImageData(*bytes, index);
    job.owned = std::make_unique<GrayImage>(std::move(image).value_or(GrayImage::blankPage()));
    job.page = job.owned.get();
    return job;
  };
  return readPages(total, produce, exam, path.filename().string(), progress, std::move(stop),
                   pageDone);
}

std::optional<int> pdfPageCount(const std::filesystem::path &path) {
  const std::optional<PdfDocument> document = PdfDocument::open(path);
  if (!document)
    return std::nullopt;
  return document->pageCount();
}

} // namespace ovalon::Grader
