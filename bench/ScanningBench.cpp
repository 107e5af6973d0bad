// Reading-stage costs on one answer-sheet page: decoding, corner finding,
// straightening, bubble sampling, the identity symbol, the name and a whole page.

#include "model/Exam.h"
#include "scanning/CornerFinder.h"
#include "scanning/GrayImage.h"
#include "scanning/MarkReading.h"
#include "scanning/NameReader.h"
#include "scanning/PageReader.h"
#include "scanning/Registration.h"
#include "sheets/BitmapCanvas.h"
#include "sheets/SheetLayout.h"
#include "sheets/SheetRenderer.h"

#include <benchmark/benchmark.h>

namespace ovalon {
namespace {

const Exam &benchExam() {
  static const Exam exam = Exam::make(*Uuid::parse("0B2C4D6E-8F10-4A12-B314-516171819202"), "Bench",
                                      Date{}, 100, 5, 10, Paper::letter, 3);
  return exam;
}

GrayImage renderedPage(double dpi) {
  const SheetLayout layout(benchExam());
  BitmapCanvas bitmap(layout.pageSize, dpi / 72.0);
  SheetRenderer::draw(benchExam(), 0, 1, std::nullopt, bitmap.canvas());
  GrayBitmap pixels = bitmap.bitmap();
  return GrayImage(pixels.width, pixels.height, std::move(pixels.pixels));
}

Corners exactCorners(double dpi) {
  Corners corners;
  const auto centres = SheetLayout(benchExam()).cornerCenters();
  for (size_t i = 0; i < 4; ++i)
    corners[i] = {centres[i].x * dpi / 72, centres[i].y * dpi / 72};
  return corners;
}

void decodeJpeg(benchmark::State &state) {
  const Bytes jpeg = *renderedPage(static_cast<double>(state.range(0))).jpegData(0.8);
  for (auto _ : state)
    benchmark::DoNotOptimize(GrayImage::fromImageData(jpeg));
}
BENCHMARK(decodeJpeg)->Arg(200)->Arg(300)->Arg(600)->Unit(benchmark::kMillisecond);

void findCorners(benchmark::State &state) {
  const GrayImage page = renderedPage(200);
  const double side = CornerFinder::expectedSquareSide(page.width, page.height, 792);
  const int threshold = CornerFinder::inkThreshold(page.pixels);
  const bool vision = state.range(0) == 1;
  for (auto _ : state)
    benchmark::DoNotOptimize(vision ? CornerFinder::findCornersVision(side, page, threshold)
                                    : CornerFinder::findCornersBlobs(side, page, threshold));
  state.SetLabel(vision ? "vision" : "blobs");
}
BENCHMARK(findCorners)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void straighten(benchmark::State &state) {
  const double dpi = static_cast<double>(state.range(0));
  const GrayImage page = renderedPage(dpi);
  const Corners corners = exactCorners(dpi);
  const Size paper = SheetLayout(benchExam()).pageSize;
  for (auto _ : state)
    benchmark::DoNotOptimize(GrayImage::straightened(page, corners, paper));
}
BENCHMARK(straighten)->Arg(150)->Arg(200)->Arg(300)->Unit(benchmark::kMillisecond);

// Every bubble of a full page: 100 rows of five and ten ID columns.
void sampleAndClassify(benchmark::State &state) {
  const GrayImage straight =
      *GrayImage::straightened(renderedPage(200), exactCorners(200), {612, 792});
  const SheetLayout layout(benchExam());
  std::vector<double> raw;
  for (auto _ : state) {
    raw.clear();
    for (int position : layout.positions(1))
      for (int slot = 0; slot < 5; ++slot)
        raw.push_back(MarkReading::sample(straight, layout.bubbleCenter(position, slot),
                                          MarkReading::BubbleKind::answer));
    for (int column = 0; column < 10; ++column)
      for (int digit = 0; digit < 10; ++digit)
        raw.push_back(MarkReading::sample(straight, layout.idBubbleCenter(column, digit),
                                          MarkReading::BubbleKind::studentID));
    const auto levels = MarkReading::calibrate(raw);
    for (size_t row = 0; row < 100; ++row)
      benchmark::DoNotOptimize(MarkReading::classify(
          MarkReading::normalize(levels, std::span<const double>(raw).subspan(row * 5, 5)), {}));
  }
  state.SetItemsProcessed(state.iterations() * 600);
}
BENCHMARK(sampleAndClassify)->Unit(benchmark::kMicrosecond);

// What a flat page costs on top of plain sampling: the look for its printed bubbles that
// finds them in place (argument 0), and every bubble judged against the paper around it (1).
void checkFlatPage(benchmark::State &state) {
  const SheetLayout layout(benchExam());
  const GrayImage straight =
      *GrayImage::straightened(renderedPage(200), exactCorners(200), layout.pageSize);
  std::vector<MarkReading::Bubble> bubbles;
  for (int position : layout.positions(1))
    for (int slot = 0; slot < 5; ++slot)
      bubbles.push_back({layout.bubbleCenter(position, slot), MarkReading::BubbleKind::answer});
  for (int column = 0; column < 10; ++column)
    for (int digit = 0; digit < 10; ++digit)
      bubbles.push_back({layout.idBubbleCenter(column, digit), MarkReading::BubbleKind::studentID});
  const bool paper = state.range(0) == 1;
  for (auto _ : state) {
    if (paper)
      benchmark::DoNotOptimize(MarkReading::sampleAgainstPaper(straight, bubbles));
    else
      benchmark::DoNotOptimize(Registration::registered(straight, layout, 1));
  }
  state.SetLabel(paper ? "paper around every bubble" : "bubbles found in place");
}
BENCHMARK(checkFlatPage)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace ovalon

namespace ovalon {
namespace {

// The identity symbol searched on the whole page, as the page reader does first.
void findCode(benchmark::State &state) {
  const GrayImage page = renderedPage(200);
  for (auto _ : state)
    benchmark::DoNotOptimize(PageReader::findCode(page));
}
BENCHMARK(findCode)->Unit(benchmark::kMillisecond);

// The handwritten name box of a straightened first page; the OCR engine of the
// thread is started in the first iteration and reused after it.
void readName(benchmark::State &state) {
  const Exam &exam = benchExam();
  const SheetLayout layout(exam);
  auto straight = GrayImage::straightened(renderedPage(200), exactCorners(200), layout.pageSize);
  for (auto _ : state)
    benchmark::DoNotOptimize(NameReader::readName(*straight, layout.pageSize.width, exam.idDigits));
}
BENCHMARK(readName)->Unit(benchmark::kMillisecond);

// A whole 200-dpi Letter page through the page reader, every stage included.
void readPage(benchmark::State &state) {
  const GrayImage page = renderedPage(200);
  for (auto _ : state)
    benchmark::DoNotOptimize(PageReader::read(page, benchExam()));
}
BENCHMARK(readPage)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace ovalon
