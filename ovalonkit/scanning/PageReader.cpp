#include "scanning/PageReader.h"

#include "scanning/CornerFinder.h"
#include "scanning/ImageProcessing.h"
#include "scanning/MarkReading.h"
#include "scanning/NameReader.h"
#include "scanning/QrReader.h"
#include "scanning/SheetLocator.h"
#include "sheets/SheetLayout.h"

#include <array>
#include <cmath>

namespace ovalon::PageReader {

namespace {

struct Symbol {
  SheetIdentity identity;
  Rect box;                     // normalised, origin bottom-left
  std::array<Point, 4> corners; // pixels of the searched image
};

std::optional<Symbol> firstParsable(const GrayImage &image) {
  for (const QrObservation &observation : QrReader::detect(image)) {
    if (!observation.payload)
      continue;
    if (auto identity = SheetIdentity::parse(*observation.payload))
      return Symbol{std::move(*identity), observation.boundingBox, observation.corners};
  }
  return std::nullopt;
}

// A page image the rest of the reader can work on: some pixels, all of them there.
bool usable(const GrayImage &page) {
  return page.width > 0 && page.height > 0 &&
         page.pixels.size() == static_cast<size_t>(page.width * page.height);
}

PageRead withProblem(std::optional<SheetIdentity> identity, PageProblem problem) {
  PageRead read;
  read.identity = std::move(identity);
  read.problem = std::move(problem);
  return read;
}

// Samples every bubble of the page once, calibrates over all of them (answer
// rows first, then ID columns) and classifies each row.
void readMarks(const GrayImage &straightened, const SheetLayout &layout, int page,
               const MarkThresholds &thresholds, PageRead &read) {
  const int choices = layout.signature.choiceCount;
  const int idDigits = page == 1 ? layout.signature.idDigits : 0;
  std::vector<double> raw;
  std::vector<int> positions;
  for (int position : layout.positions(page)) {
    positions.push_back(position);
    for (int slot = 0; slot < choices; ++slot)
      raw.push_back(MarkReading::sample(straightened, layout.bubbleCenter(position, slot),
                                        MarkReading::BubbleKind::answer));
  }
  for (int column = 0; column < idDigits; ++column)
    for (int digit = 0; digit < 10; ++digit)
      raw.push_back(MarkReading::sample(straightened, layout.idBubbleCenter(column, digit),
                                        MarkReading::BubbleKind::studentID));

  const MarkReading::Calibration levels = MarkReading::calibrate(raw);
  const std::span<const double> all(raw);
  size_t offset = 0;
  auto next = [&](size_t count) {
    const auto fills = MarkReading::normalize(levels, all.subspan(offset, count));
    offset += count;
    return MarkReading::classify(fills, thresholds);
  };
  for (int position : positions)
    read.questions.push_back({position, next(static_cast<size_t>(choices))});
  for (int column = 0; column < idDigits; ++column)
    read.idColumns.push_back(next(10));
}

} // namespace

std::optional<FoundCode> findCode(const GrayImage &page) {
  const double width = static_cast<double>(page.width);
  const double height = static_cast<double>(page.height);
  if (auto symbol = firstParsable(page))
    return FoundCode{symbol->identity,
                     {width * symbol->box.midX(), height * (1 - symbol->box.midY())},
                     symbol->corners};

  // A small or blurred symbol often decodes once its corner of the page is
  // enlarged and sharpened.
  const double regionWidth = std::floor(width * 0.42);
  const double regionHeight = std::floor(height * 0.42);
  const double farX = std::floor(width * 0.58);
  const double farYFromBottom = std::floor(height * 0.58);
  // Origins in bottom-left coordinates: top-left, top-right, bottom-left, bottom-right.
  const std::array<Point, 4> origins{
      {{0, farYFromBottom}, {farX, farYFromBottom}, {0, 0}, {farX, 0}}};
  if (regionWidth < 1 || regionHeight < 1)
    return std::nullopt;
  for (const Point origin : origins) {
    const double top = height - origin.y - regionHeight;
    const GrayImage region = page.cropped({origin.x, top, regionWidth, regionHeight});
    GrayImage enlarged =
        ImageProcessing::unsharpMasked(ImageProcessing::lanczosScaled(region, 2), 2.5, 0.8);
    enlarged = enlarged.cropped({0, 0, regionWidth * 2, regionHeight * 2});
    if (auto symbol = firstParsable(enlarged)) {
      std::array<Point, 4> corners = symbol->corners;
      for (Point &corner : corners)
        corner = {origin.x + corner.x / 2, top + corner.y / 2};
      return FoundCode{symbol->identity,
                       {origin.x + regionWidth * symbol->box.midX(),
                        height - (origin.y + regionHeight * symbol->box.midY())},
                       corners};
    }
  }
  return std::nullopt;
}

PageRead read(const GrayImage &page, const Exam &exam, const MarkThresholds &thresholds,
              const std::optional<SheetIdentity> &assumed) {
  if (!usable(page))
    return withProblem(std::nullopt, PageProblem::noCode());

  std::optional<SheetIdentity> identity;
  std::optional<SeenSymbol> symbol;
  if (auto found = findCode(page)) {
    identity = std::move(found->identity);
    symbol = SeenSymbol{found->centre, found->corners};
  } else if (assumed) {
    identity = assumed;
  } else {
    return withProblem(std::nullopt, PageProblem::noCode());
  }

  if (identity->examCode != exam.examCode())
    return withProblem(identity, PageProblem::otherExam(identity->examCode));
  if (identity->signature != exam.signature())
    return withProblem(identity, PageProblem::layoutChanged(identity->signature));

  const SheetLayout layout(identity->signature);
  const Size paper = layout.pageSize;
  LocatedSheet located = SheetLocator::locate(page, exam, *identity, symbol);
  if (!located.straightened) {
    PageRead read = withProblem(identity, PageProblem::noMarks());
    read.method = located.method;
    return read;
  }
  std::optional<GrayImage> straightened = std::move(located.straightened);
  const std::optional<CornerMethod> method = located.method;

  PageRead read;
  read.identity = identity;
  read.method = method;
  readMarks(*straightened, layout, identity->page, thresholds, read);
  if (identity->page == 1)
    read.name = NameReader::readName(*straightened, paper.width, layout.signature.idDigits);
  read.straightened = std::move(straightened);
  return read;
}

} // namespace ovalon::PageReader
