#include "scanning/Grader.h"
#include "scanning/GrayImage.h"
#include "support/ScannedPdf.h"
#include "support/TempDir.h"
#include "support/TestSheetPage.h"

#include <gtest/gtest.h>
#include <png.h>
#include <tiffio.h>

#include <cstdint>
#include <fstream>
#include <functional>
#include <iterator>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace ovalon {
namespace {

namespace fs = std::filesystem;

// One row of a picture, `width` bytes, filled for row `y`.
using RowSource = std::function<void(uint32_t y, uint8_t *row)>;

void appendTo(png_structp png, png_bytep data, png_size_t size) {
  auto *out = static_cast<Bytes *>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + size);
}

// A gray PNG of `bits` per pixel written a row at a time, so even a huge one is
// made without holding it; with no rows it stops after its header.
Bytes pngBytes(uint32_t width, uint32_t height, int bits, const RowSource &rows) {
  Bytes out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_set_write_fn(png, &out, appendTo, nullptr);
  png_set_user_limits(png, 0x7fffffff, 0x7fffffff);
  png_set_compression_level(png, 1);
  png_set_IHDR(png, info, width, height, bits, PNG_COLOR_TYPE_GRAY, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  if (rows) {
    std::vector<uint8_t> row((size_t{width} * static_cast<size_t>(bits) + 7) / 8);
    for (uint32_t y = 0; y < height; ++y) {
      rows(y, row.data());
      png_write_row(png, row.data());
    }
    png_write_end(png, info);
  }
  png_destroy_write_struct(&png, &info);
  return out;
}

Bytes readFile(const fs::path &path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

// A one-page gray TIFF, 8-bit LZW in strips of 16 rows, or 1-bit G4 (rows packed,
// white = 0) in one strip.
Bytes tiffBytes(const testing::TempDir &dir, uint32_t width, uint32_t height, int bits,
                const RowSource &rows) {
  const auto path = dir / "picture.tif";
  TIFF *tiff = TIFFOpen(path.c_str(), "w");
  TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, width);
  TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, height);
  TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 1);
  TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, bits);
  TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC,
               bits == 1 ? PHOTOMETRIC_MINISWHITE : PHOTOMETRIC_MINISBLACK);
  TIFFSetField(tiff, TIFFTAG_COMPRESSION, bits == 1 ? COMPRESSION_CCITTFAX4 : COMPRESSION_LZW);
  TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, bits == 1 ? height : 16u);
  std::vector<uint8_t> row((size_t{width} * static_cast<size_t>(bits) + 7) / 8);
  for (uint32_t y = 0; y < height; ++y) {
    rows(y, row.data());
    TIFFWriteScanline(tiff, row.data(), y, 0);
  }
  TIFFClose(tiff);
  return readFile(path);
}

// A small JPEG whose frame header is made to claim `width` × `height`.
Bytes jpegClaiming(uint16_t width, uint16_t height) {
  Bytes jpeg = *GrayImage::blank(64, 64, 255).jpegData(0.8);
  for (size_t i = 2; i + 8 < jpeg.size(); ++i)
    if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0) {
      jpeg[i + 5] = static_cast<uint8_t>(height >> 8);
      jpeg[i + 6] = static_cast<uint8_t>(height);
      jpeg[i + 7] = static_cast<uint8_t>(width >> 8);
      jpeg[i + 8] = static_cast<uint8_t>(width);
      return jpeg;
    }
  return {};
}

RowSource rowsOf(const GrayImage &image) {
  return [&image](uint32_t y, uint8_t *row) {
    std::copy_n(image.pixels.data() + y * image.width, image.width, row);
  };
}

const RowSource whiteBits = [](uint32_t, uint8_t *) {};

TEST(ImageBounds, claimsOfMoreThanAGigapixelAreRefused) {
  testing::TempDir dir;
  // Real pictures, tiny on disk, that would decode if their size were allowed.
  const std::vector<std::pair<std::string, Bytes>> bombs{
      {"1-bit PNG, 40000 x 30000", pngBytes(40000, 30000, 1, whiteBits)},
      {"G4 TIFF, 40000 x 30000", tiffBytes(dir, 40000, 30000, 1, whiteBits)},
      {"JPEG, 40000 x 30000", jpegClaiming(40000, 30000)},
      {"PNG header, 100000 x 10001", pngBytes(100000, 10001, 8, {})},
  };
  for (const auto &[name, bytes] : bombs) {
    ASSERT_LT(bytes.size(), 1'000'000u) << name;
    EXPECT_FALSE(GrayImage::fromImageData(bytes)) << name;
  }
}

// A letter sheet at 860 dpi, 7310 × 9460 pixels: beyond what is decoded whole.
TEST(ImageBounds, oversizedScanDecodesReducedToTheCapAndReads) {
  testing::TempDir dir;
  const Exam exam = testing::testExam(20, 4, 0, Paper::letter);
  const SheetLayout layout(exam);
  std::vector<testing::PencilMark> marks;
  for (int position = 0; position < exam.questionCount; ++position)
    marks.push_back(testing::answerMark(layout, position, (position * 3) % 4));
  const GrayImage sheet = testing::renderSheetPage(exam, 1, 860, marks);
  ASSERT_GT(sheet.width * sheet.height, 64'000'000);

  const std::vector<std::pair<std::string, Bytes>> files{
      {"sheet.jpg", *sheet.jpegData(0.85)},
      {"sheet.png", *sheet.pngData()},
      {"sheet.tif", tiffBytes(dir, static_cast<uint32_t>(sheet.width),
                              static_cast<uint32_t>(sheet.height), 8, rowsOf(sheet))},
  };
  for (const auto &[name, bytes] : files) {
    const auto decoded = GrayImage::fromImageData(bytes);
    ASSERT_TRUE(decoded) << name;
    EXPECT_EQ(decoded->height, 4000) << name;
    EXPECT_NEAR(static_cast<double>(decoded->width), 4000.0 * 612 / 792, 2) << name;

    testing::writeBytes(dir / name, bytes);
    const auto outcomes = Grader::gradeImageFile(dir / name, exam);
    ASSERT_TRUE(outcomes) << name;
    ASSERT_EQ(outcomes->size(), 1u) << name;
    ASSERT_FALSE((*outcomes)[0].problem) << name;
    for (const QuestionRead &row : (*outcomes)[0].questions)
      EXPECT_EQ(row.mark.choice, (row.position * 3) % 4) << name << " row " << row.position;
  }
}

// A field of /proc/self/status in kilobytes ("VmRSS", "VmHWM").
long statusKilobytes(const std::string &field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.starts_with(field + ":"))
      return std::stol(line.substr(field.size() + 1));
  return -1;
}

// Decodes in a child process, whose peak resident size belongs to this decoding
// alone: how far it rose, in kilobytes, and the decoded size; -1 when it failed.
std::array<long, 3> decodeInChild(const Bytes &bytes) {
  int channel[2];
  if (pipe(channel) != 0)
    return {-1, 0, 0};
  const pid_t child = fork();
  if (child == 0) {
    close(channel[0]);
    const long before = statusKilobytes("VmRSS");
    const auto image = GrayImage::fromImageData(bytes);
    const std::array<long, 3> result{image ? statusKilobytes("VmHWM") - before : -1,
                                     image ? static_cast<long>(image->width) : 0,
                                     image ? static_cast<long>(image->height) : 0};
    const ssize_t written = write(channel[1], result.data(), sizeof result);
    _exit(written == sizeof result ? 0 : 1);
  }
  close(channel[1]);
  std::array<long, 3> result{-1, 0, 0};
  const ssize_t got = read(channel[0], result.data(), sizeof result);
  close(channel[0]);
  int status = 0;
  waitpid(child, &status, 0);
  return got == sizeof result && WIFEXITED(status) && WEXITSTATUS(status) == 0
             ? result
             : std::array<long, 3>{-1, 0, 0};
}

// A 1200-dpi letter scan, 10200 × 13200: 135 MB as gray pixels, 540 MB as RGBA.
TEST(ImageBounds, aTwelveHundredDpiScanIsNeverHeldWhole) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the address sanitizer keeps freed memory in quarantine, so resident "
                  "size says nothing about what the decoder holds";
#endif
  testing::TempDir dir;
  constexpr uint32_t width = 10200, height = 13200;
  // White paper with a dark band across every 600th row.
  const RowSource rows = [](uint32_t y, uint8_t *row) {
    std::fill_n(row, width, static_cast<uint8_t>((y / 100) % 6 == 0 ? 40 : 250));
  };
  std::vector<std::pair<std::string, Bytes>> files;
  files.emplace_back("TIFF", tiffBytes(dir, width, height, 8, rows));
  files.emplace_back("PNG", pngBytes(width, height, 8, rows));
  {
    GrayImage scan(width, height, std::vector<uint8_t>(size_t{width} * height));
    for (uint32_t y = 0; y < height; ++y)
      rows(y, scan.pixels.data() + size_t{y} * width);
    files.emplace_back("JPEG", *scan.jpegData(0.8));
  }
  const long fullSizeKB = long{width} * height / 1024;
  for (const auto &[name, bytes] : files) {
    const auto [peakKB, decodedWidth, decodedHeight] = decodeInChild(bytes);
    ASSERT_GE(peakKB, 0) << name << " did not decode";
    EXPECT_EQ(decodedHeight, 4000) << name;
    EXPECT_EQ(decodedWidth, 3091) << name;
    EXPECT_LT(peakKB, fullSizeKB / 2) << name << " peaked at +" << peakKB << " KB";
  }
}

} // namespace
} // namespace ovalon
