#include "scanning/PageReader.h"

#include "scanning/CornerFinder.h"
#include "scanning/ImageProcessing.h"
#include "scanning/MarkReading.h"
#include "scanning/NameReader.h"
#include "scanning/QrReader.h"
#include "scanning/Registration.h"
#include "scanning/SheetLocator.h"
#include "sheets/SheetLayout.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace ovalon::PageReader {

namespace {

struct Symbol {
  SheetIdentity identity;
  Rect box;                     // normalised, origin bottom-left
  std::array<Point, 4> corners; // pixels of the searched image
};

std::optional<Symbol> firstParsable(const GrayImage &image,
                                    QrReader::Effort effort = QrReader::Effort::thorough) {
  for (const QrObservation &observation : QrReader::detect(image, effort)) {
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
// rows first, then ID columns) and classifies each row. A row whose printed bubbles
// couldn't be lined up is never taken as an answer.
void readMarks(const RegisteredPage &registered, const SheetLayout &layout, int page,
               const MarkThresholds &thresholds, PageRead &read) {
  const GrayImage &straightened = registered.image;
  const int choices = layout.signature.choiceCount;
  const int idDigits = page == 1 ? layout.signature.idDigits : 0;
  std::vector<MarkReading::Bubble> bubbles;
  std::vector<int> positions;
  for (int position : layout.positions(page)) {
    positions.push_back(position);
    for (int slot = 0; slot < choices; ++slot)
      bubbles.push_back({layout.bubbleCenter(position, slot), MarkReading::BubbleKind::answer});
  }
  for (int column = 0; column < idDigits; ++column)
    for (int digit = 0; digit < 10; ++digit)
      bubbles.push_back({layout.idBubbleCenter(column, digit), MarkReading::BubbleKind::studentID});
  const std::vector<double> raw = MarkReading::sampleAgainstPaper(straightened, bubbles);

  const MarkReading::Calibration levels = MarkReading::calibrate(raw);
  const std::span<const double> all(raw);
  size_t offset = 0;
  auto next = [&](size_t count) {
    const auto fills = MarkReading::normalize(levels, all.subspan(offset, count));
    offset += count;
    return MarkReading::classify(fills, thresholds);
  };
  auto unlessLinedUp = [](MarkRead mark, bool linedUp) {
    // Its samples may be off the printed bubbles: no answer, and no darkest bubble to
    // suggest either.
    if (!linedUp) {
      mark.choice.reset();
      mark.strongest.reset();
      mark.flag = MarkFlag::unaligned;
    }
    return mark;
  };
  for (size_t row = 0; row < positions.size(); ++row)
    read.questions.push_back({positions[row], unlessLinedUp(next(static_cast<size_t>(choices)),
                                                            registered.rowsLinedUp[row])});
  for (int column = 0; column < idDigits; ++column)
    read.idColumns.push_back(
        unlessLinedUp(next(10), registered.idColumnsLinedUp[static_cast<size_t>(column)]));
}

// Pages this long or longer are first searched at half size.
constexpr int64_t quickLookSide = 1600;

// The symbol in one area of the page, with its corners and centre in page pixels. The
// area is widened to start on the binariser's 8-pixel blocks, so the symbol reads as it
// would on the whole page.
std::optional<FoundCode> foundIn(const GrayImage &page, const Rect &area,
                                 QrReader::Effort effort = QrReader::Effort::thorough) {
  auto block = [](double v) { return std::max(0.0, std::floor(v / 8) * 8); };
  const double left = block(area.minX()), top = block(area.minY());
  const GrayImage region = page.cropped({left, top, area.maxX() - left, area.maxY() - top});
  auto symbol = firstParsable(region, effort);
  if (!symbol)
    return std::nullopt;
  for (Point &corner : symbol->corners)
    corner = {left + corner.x, top + corner.y};
  const auto regionWidth = static_cast<double>(region.width);
  const auto regionHeight = static_cast<double>(region.height);
  return FoundCode{
      symbol->identity,
      {left + regionWidth * symbol->box.midX(), top + regionHeight * (1 - symbol->box.midY())},
      symbol->corners};
}

// A copier scan holds the whole sheet, upright or upside down, in the paper's proportions,
// so the symbol is where the sheet prints it, give or take the paper's offset on the glass.
// A look there alone finds it for a small part of the work of searching the page. A photo
// has the camera's proportions and is left to the search.
std::optional<FoundCode> atPrintedPlace(const GrayImage &page, const SheetLayout &layout) {
  const auto width = static_cast<double>(page.width);
  const auto height = static_cast<double>(page.height);
  const Size paper = layout.pageSize;
  if (height <= width || std::abs(width / height * paper.height / paper.width - 1) > 0.02)
    return std::nullopt;
  const double scale = width / paper.width;
  const Rect code = layout.codeRect();
  const double reach = 0.5 * code.width + 24;
  const Rect upright{(code.x - reach) * scale, (code.y - reach) * scale,
                     (code.width + 2 * reach) * scale, (code.height + 2 * reach) * scale};
  const Rect turned{width - upright.maxX(), height - upright.maxY(), upright.width, upright.height};
  for (const Rect &area : {upright, turned})
    if (auto found = foundIn(page, area, QrReader::Effort::quick))
      return found;
  return std::nullopt;
}

// Most scans hold the symbol at several times the resolution it needs. A look at half
// size finds it; a second look at full size over its square alone then gives the corners
// the whole page would (with a wide margin), for a small part of the work of searching
// the whole page.
std::optional<FoundCode> quickFind(const GrayImage &page) {
  const int64_t longSide = std::max(page.width, page.height);
  if (longSide < quickLookSide)
    return std::nullopt;
  const GrayImage half = page.downscaled(longSide / 2);
  const double scale = static_cast<double>(page.width) / static_cast<double>(half.width);
  const std::vector<QrObservation> seen = QrReader::detect(half, QrReader::Effort::quick);
  if (seen.empty())
    return std::nullopt;
  double minX = 1e9, minY = 1e9, maxX = -1e9, maxY = -1e9;
  for (const Point corner : seen.front().corners) {
    minX = std::min(minX, corner.x * scale);
    maxX = std::max(maxX, corner.x * scale);
    minY = std::min(minY, corner.y * scale);
    maxY = std::max(maxY, corner.y * scale);
  }
  const double margin = 0.6 * std::max(maxX - minX, maxY - minY) + 16;
  return foundIn(
      page, {minX - margin, minY - margin, maxX - minX + 2 * margin, maxY - minY + 2 * margin});
}

} // namespace

std::optional<FoundCode> findCode(const GrayImage &page) {
  if (auto found = quickFind(page))
    return found;
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

std::optional<FoundCode> findCode(const GrayImage &page, const SheetLayout &layout) {
  if (auto found = atPrintedPlace(page, layout))
    return found;
  return findCode(page);
}

PageRead read(const GrayImage &page, const Exam &exam, const MarkThresholds &thresholds,
              const std::optional<SheetIdentity> &assumed) {
  if (!usable(page))
    return withProblem(std::nullopt, PageProblem::noCode());

  std::optional<SheetIdentity> identity;
  std::optional<SeenSymbol> symbol;
  if (auto found = findCode(page, SheetLayout(exam.signature()))) {
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
  RegisteredPage registered =
      Registration::registered(std::move(*straightened), layout, identity->page);
  readMarks(registered, layout, identity->page, thresholds, read);
  if (identity->page == 1)
    read.name = NameReader::readName(registered.image, paper.width, layout.signature.idDigits);
  read.straightened = std::move(registered.image);
  return read;
}

} // namespace ovalon::PageReader
