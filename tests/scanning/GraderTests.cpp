#include "scanning/Grader.h"

#include "library/FileIO.h"
#include "scanning/PdfImageProbe.h"
#include "sheets/SheetLayout.h"
#include "sheets/SheetPDF.h"
#include "support/PageDistortion.h"
#include "support/ScannedPdf.h"
#include "support/TempDir.h"
#include "support/TestSheetPage.h"

#include <gtest/gtest.h>
#include <tiffio.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <utility>

namespace ovalon {
namespace {

using testing::ScanDepth;

const Exam exam = testing::testExam(40, 4, 6, Paper::letter);
const SheetLayout layout(exam);
const Size letterPage{612, 792};

// Rows marked at position mod 4, except a double mark at 7 and a blank at 12.
std::vector<testing::PencilMark> filledMarks() {
  std::vector<testing::PencilMark> marks;
  for (int position = 0; position < exam.questionCount; ++position) {
    if (position == 12)
      continue;
    marks.push_back(testing::answerMark(layout, position, position % 4));
    if (position == 7)
      marks.push_back(testing::answerMark(layout, position, 0));
  }
  for (int column = 0; column < exam.idDigits; ++column)
    marks.push_back(testing::idMark(layout, column, (column * 3) % 10));
  return marks;
}

std::vector<testing::PencilMark> cleanMarks() {
  std::vector<testing::PencilMark> marks;
  for (int position = 0; position < exam.questionCount; ++position)
    marks.push_back(testing::answerMark(layout, position, position % 4));
  for (int column = 0; column < exam.idDigits; ++column)
    marks.push_back(testing::idMark(layout, column, 1));
  return marks;
}

GrayImage decoded(const std::optional<Bytes> &bytes) {
  if (!bytes)
    return {};
  return GrayImage::fromImageData(*bytes).value_or(GrayImage{});
}

void run(const std::string &command) {
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

std::filesystem::path writtenPdf(const testing::TempDir &dir, const std::string &name,
                                 const Bytes &bytes) {
  const auto path = dir / name;
  testing::writeBytes(path, bytes);
  return path;
}

// One directory of a TIFF: a page, a reduced preview of one (not a page of its
// own), or a page in a form libtiff cannot turn into pixels.
struct TiffEntry {
  GrayImage image;
  enum class Kind { page, preview, undecodable } kind = Kind::page;
};

void writeTiff(const std::filesystem::path &path, const std::vector<TiffEntry> &entries) {
  TIFF *tiff = TIFFOpen(path.c_str(), "w");
  for (const auto &[image, kind] : entries) {
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, static_cast<uint32_t>(image.width));
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, static_cast<uint32_t>(image.height));
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC,
                 kind == TiffEntry::Kind::undecodable ? PHOTOMETRIC_MASK : PHOTOMETRIC_MINISBLACK);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_ADOBE_DEFLATE);
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, 32);
    if (kind == TiffEntry::Kind::preview)
      TIFFSetField(tiff, TIFFTAG_SUBFILETYPE, FILETYPE_REDUCEDIMAGE);
    for (int64_t y = 0; y < image.height; ++y)
      TIFFWriteScanline(tiff, const_cast<uint8_t *>(image.pixels.data() + y * image.width),
                        static_cast<uint32_t>(y), 0);
    TIFFWriteDirectory(tiff);
  }
  TIFFClose(tiff);
}

Bytes blankSheets(int copies) {
  return *SheetPDF::make(exam, {SheetJob{0, copies, {}}});
}

TEST(Grader, pdfsThatCannotBeGradedSayWhy) {
  testing::TempDir dir;
  const auto plain = writtenPdf(dir, "plain.pdf", blankSheets(1));
  run("qpdf --encrypt secret owner 256 -- '" + plain.string() + "' '" +
      (dir / "locked.pdf").string() + "'");
  run("qpdf --empty '" + (dir / "nothing.pdf").string() + "'");
  writtenPdf(dir, "garbage.pdf", Bytes{'n', 'o', 't', ' ', 'a', ' ', 'p'});
  writtenPdf(dir, "empty.pdf", Bytes{});
  using Kind = Grader::Failure::Kind;
  const std::vector<std::tuple<std::string, Kind, std::optional<int>>> cases{
      {"locked.pdf", Kind::unreadablePDF, std::nullopt},
      {"garbage.pdf", Kind::unreadablePDF, std::nullopt},
      {"empty.pdf", Kind::unreadablePDF, std::nullopt},
      {"missing.pdf", Kind::unreadablePDF, std::nullopt},
      {"nothing.pdf", Kind::noPages, 0}};
  EXPECT_EQ(Grader::pdfPageCount(plain), 1);
  for (const auto &[name, kind, pages] : cases) {
    EXPECT_EQ(Grader::pdfPageCount(dir / name), pages) << name;
    const auto result = Grader::gradePDF(dir / name, exam);
    ASSERT_FALSE(result) << name;
    EXPECT_EQ(result.error().kind, kind) << name;
  }
}

TEST(Grader, readsEveryPageInOrderAndReportsProgressAfterEach) {
  testing::TempDir dir;
  const auto path = writtenPdf(dir, "class scan.pdf", blankSheets(3));
  std::vector<std::pair<int, int>> calls;
  const auto outcomes =
      Grader::gradePDF(path, exam, [&](int done, int total) { calls.emplace_back(done, total); });
  ASSERT_TRUE(outcomes);
  EXPECT_EQ(calls, (std::vector<std::pair<int, int>>{{1, 3}, {2, 3}, {3, 3}}));
  ASSERT_EQ(outcomes->size(), 3u);
  for (int i = 0; i < 3; ++i) {
    const PageOutcome &outcome = (*outcomes)[static_cast<size_t>(i)];
    EXPECT_EQ(outcome.source, "class scan.pdf");
    EXPECT_EQ(outcome.sourcePage, i + 1);
    EXPECT_FALSE(outcome.problem);
    EXPECT_EQ(outcome.questions.size(), 40u);
    EXPECT_FALSE(outcome.blackAndWhite);
    // Printed but never filled in: every row is blank, so every row has a crop.
    EXPECT_EQ(outcome.crops.size(), 40u);
  }
}

TEST(Grader, outcomeCarriesPreviewAndCropsOfDoubtfulRowsOnly) {
  const std::vector<GrayImage> pages{testing::renderSheetPage(exam, 1, 200, filledMarks())};
  const auto outcomes = Grader::gradeImages(pages, "Phone photos", exam);
  ASSERT_EQ(outcomes.size(), 1u);
  const PageOutcome &outcome = outcomes[0];
  ASSERT_FALSE(outcome.problem);
  EXPECT_EQ(outcome.source, "Phone photos");
  EXPECT_EQ(outcome.method, CornerMethod::vision);
  EXPECT_EQ(outcome.idColumns.size(), 6u);
  EXPECT_EQ(outcome.idColumns[2].choice, 6);

  const GrayImage preview = decoded(outcome.preview);
  EXPECT_EQ(std::max(preview.width, preview.height), 1080);

  ASSERT_EQ(outcome.crops.size(), 2u);
  EXPECT_TRUE(outcome.crops.contains(7));
  EXPECT_TRUE(outcome.crops.contains(12));
  const GrayImage crop = decoded(outcome.crops.at(7));
  const Rect row = layout.rowRect(7);
  EXPECT_NEAR(static_cast<double>(crop.width), (row.width + 8) * 2.5, 2);
  EXPECT_NEAR(static_cast<double>(crop.height), (row.height + 6) * 2.5, 2);

  const GrayImage id = decoded(outcome.idCrop);
  EXPECT_EQ(std::max(id.width, id.height), 360);
  const GrayImage name = decoded(outcome.nameCrop);
  ASSERT_GT(name.width, 0);
  EXPECT_LE(std::max(name.width, name.height), 900);
  EXPECT_GT(name.width, name.height * 4) << "the name box is a wide strip";
}

// A clean page has no row crops; paper without a code still has a preview of the page.
TEST(Grader, cleanAndUnidentifiedPages) {
  const std::vector<GrayImage> pages{testing::renderSheetPage(exam, 1, 200, cleanMarks()),
                                     GrayImage::blank(1700, 2200, 255)};
  const auto outcomes = Grader::gradeImages(pages, "scan", exam);
  ASSERT_EQ(outcomes.size(), 2u);
  ASSERT_FALSE(outcomes[0].problem);
  EXPECT_TRUE(outcomes[0].crops.empty());
  EXPECT_TRUE(outcomes[0].idCrop);
  EXPECT_EQ(outcomes[1].problem, PageProblem::noCode());
  const GrayImage preview = decoded(outcomes[1].preview);
  EXPECT_EQ(preview.height, 1400);
  EXPECT_NEAR(static_cast<double>(preview.width), 1700.0 * 1400 / 2200, 1);
  EXPECT_TRUE(outcomes[1].crops.empty());
  EXPECT_FALSE(outcomes[1].idCrop);
}

TEST(Grader, laterPagesHaveNoIDOrNameCrops) {
  const Exam longExam = testing::testExam(120, 4, 6, Paper::a4);
  const std::vector<GrayImage> pages{testing::renderSheetPage(longExam, 1, 200),
                                     testing::renderSheetPage(longExam, 2, 200)};
  const auto outcomes = Grader::gradeImages(pages, "scan", longExam);
  ASSERT_EQ(outcomes.size(), 2u);
  ASSERT_FALSE(outcomes[1].problem);
  EXPECT_TRUE(outcomes[0].idCrop);
  EXPECT_TRUE(outcomes[0].nameCrop);
  EXPECT_FALSE(outcomes[1].idCrop);
  EXPECT_FALSE(outcomes[1].nameCrop);
  EXPECT_EQ(outcomes[1].questions.front().position, 100);
  // A4 previews are 1.5 pixels per point of the corner frame's longer side.
  const GrayImage preview = decoded(outcomes[1].preview);
  EXPECT_EQ(std::max(preview.width, preview.height), 1154);
}

TEST(Grader, imageFilesAreReadInOneRunEachPageOfAMultiPageTiffInOrder) {
  testing::TempDir dir;
  const GrayImage filled = testing::renderSheetPage(exam, 1, 150, filledMarks());
  const GrayImage clean = testing::renderSheetPage(exam, 1, 150, cleanMarks());
  const auto path = dir / "class scan.tif";
  writeTiff(path, {{filled},
                   {filled.downscaled(200), TiffEntry::Kind::preview},
                   {clean},
                   {clean, TiffEntry::Kind::undecodable},
                   {testing::renderSheetPage(exam, 1, 150)}});

  // Read in one run with a file that is no picture and a photo of one page.
  std::ofstream(dir / "notes.txt") << "not a picture";
  ASSERT_TRUE(FileIO::writeAtomically(
      dir / "photo.png", *testing::renderSheetPage(exam, 1, 150, cleanMarks()).pngData()));
  std::vector<std::pair<int, int>> calls;
  std::vector<size_t> files;
  auto run = Grader::gradeImageFiles(
      {path, dir / "notes.txt", dir / "photo.png"}, exam,
      [&](int done, int total) { calls.emplace_back(done, total); }, {},
      [&](size_t file, PageOutcome &page) {
        EXPECT_EQ(page.source, file == 0 ? "class scan.tif" : "photo.png");
        files.push_back(file);
      });
  ASSERT_EQ(run.size(), 3u);
  EXPECT_FALSE(run[1]);
  ASSERT_TRUE(run[2] && run[2]->size() == 1u);
  EXPECT_EQ((*run[2])[0].source, "photo.png");
  EXPECT_EQ((*run[2])[0].sourcePage, 1);
  EXPECT_FALSE((*run[2])[0].problem);
  EXPECT_EQ(calls, (std::vector<std::pair<int, int>>{{1, 5}, {2, 5}, {3, 5}, {4, 5}, {5, 5}}));
  std::ranges::sort(files);
  EXPECT_EQ(files, (std::vector<size_t>{0, 0, 0, 0, 2}));

  const auto &outcomes = run[0];
  ASSERT_TRUE(outcomes);
  ASSERT_EQ(outcomes->size(), 4u) << "the preview is no page";
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ((*outcomes)[static_cast<size_t>(i)].source, "class scan.tif");
    EXPECT_EQ((*outcomes)[static_cast<size_t>(i)].sourcePage, i + 1);
  }
  // Each page reads as itself: the filled one with its double and blank rows, the clean
  // one clean, the unreadable one as paper without a code, the empty sheet all blank.
  const PageOutcome &first = (*outcomes)[0], &second = (*outcomes)[1], &last = (*outcomes)[3];
  ASSERT_FALSE(first.problem);
  EXPECT_EQ(first.crops.size(), 2u);
  EXPECT_EQ(first.questions[7].mark.flag, MarkFlag::double_);
  EXPECT_EQ(first.questions[12].mark.flag, MarkFlag::blank);
  EXPECT_EQ(first.questions[13].mark.choice, 1);
  ASSERT_FALSE(second.problem);
  EXPECT_TRUE(second.crops.empty());
  EXPECT_EQ(second.questions[13].mark.choice, 1);
  EXPECT_EQ((*outcomes)[2].problem, PageProblem::noCode());
  ASSERT_FALSE(last.problem);
  EXPECT_EQ(last.crops.size(), 40u);

  // Import Photos takes every page of such a file too, keeping each in its place.
  const auto pages = GrayImage::allFromImageFile(path);
  ASSERT_EQ(pages.size(), 4u);
  EXPECT_EQ(pages[1], clean);
  EXPECT_EQ(pages[2], GrayImage::blankPage());
  EXPECT_FALSE(Grader::gradeImageFile(dir / "missing.tif", exam));
}

TEST(Grader, oneBitScanIsMarkedBlackAndWhiteButAMixedOneIsNot) {
  testing::TempDir dir;
  const std::vector<GrayImage> pages{testing::renderSheetPage(exam, 1, 200, cleanMarks()),
                                     testing::renderSheetPage(exam, 1, 200, filledMarks())};
  const auto oneBit =
      writtenPdf(dir, "bw.pdf", testing::scannedPdf(pages, letterPage, ScanDepth::oneBit));
  const auto mixed =
      writtenPdf(dir, "mixed.pdf", testing::scannedPdf(pages, letterPage, ScanDepth::mixed));
  const auto gray =
      writtenPdf(dir, "gray.pdf", testing::scannedPdf(pages, letterPage, ScanDepth::gray));
  EXPECT_EQ(PdfImageProbe::blackAndWhitePages(oneBit), (std::set<int>{1, 2}));
  EXPECT_EQ(PdfImageProbe::blackAndWhitePages(mixed), std::set<int>{});
  EXPECT_EQ(PdfImageProbe::blackAndWhitePages(gray), std::set<int>{});
  // Vector pages have no scanned images at all.
  EXPECT_EQ(PdfImageProbe::blackAndWhitePages(writtenPdf(dir, "v.pdf", blankSheets(2))),
            std::set<int>{});

  const auto bwOutcomes = Grader::gradePDF(oneBit, exam);
  ASSERT_TRUE(bwOutcomes);
  ASSERT_EQ(bwOutcomes->size(), 2u);
  for (const PageOutcome &outcome : *bwOutcomes) {
    EXPECT_TRUE(outcome.blackAndWhite);
    EXPECT_FALSE(outcome.problem);
  }
  EXPECT_TRUE((*bwOutcomes)[0].crops.empty());
  const auto mixedOutcomes = Grader::gradePDF(mixed, exam);
  ASSERT_TRUE(mixedOutcomes);
  for (const PageOutcome &outcome : *mixedOutcomes)
    EXPECT_FALSE(outcome.blackAndWhite);
}

TEST(Grader, stopRequestStopsStartingPagesButKeepsThoseBeingRead) {
  const std::vector<GrayImage> pages(6, testing::renderSheetPage(exam, 1, 150));
  std::stop_source stop;
  int calls = 0;
  const auto outcomes = Grader::gradeImages(
      pages, "scan", exam,
      [&](int, int) {
        ++calls;
        stop.request_stop();
      },
      stop.get_token());
  // The pages in flight when the first was reported, and the one its worker was handed
  // before the report.
  const auto limit =
      static_cast<size_t>(Grader::inFlightLimit(std::thread::hardware_concurrency()));
  ASSERT_GE(outcomes.size(), 1u);
  EXPECT_LE(outcomes.size(), limit + 1);
  EXPECT_EQ(calls, static_cast<int>(outcomes.size()));
  for (size_t i = 0; i < outcomes.size(); ++i)
    EXPECT_EQ(outcomes[i].sourcePage, static_cast<int>(i) + 1);

  std::stop_source stopped;
  stopped.request_stop();
  EXPECT_TRUE(Grader::gradeImages(pages, "scan", exam, {}, stopped.get_token()).empty());
  EXPECT_TRUE(Grader::gradeImages({}, "scan", exam, [&](int, int) { ++calls; }).empty());
  EXPECT_EQ(calls, static_cast<int>(outcomes.size()));
}

} // namespace
} // namespace ovalon
