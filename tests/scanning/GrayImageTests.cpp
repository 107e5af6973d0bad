#include "scanning/GrayImage.h"

#include "library/FileIO.h"
#include "scanning/Homography.h"
#include "scanning/ImageProcessing.h"
#include "support/ScannedPdf.h"
#include "support/TempDir.h"

#include <cairo.h>
#include <gtest/gtest.h>
#include <libheif/heif.h>
#include <png.h>
#include <tiffio.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <sys/wait.h>
#include <unistd.h>

namespace ovalon {
namespace {

// A light gray picture with a 16 × 16 black block in its top-left corner, so its
// orientation can be told.
GrayImage markedCorner(int64_t width, int64_t height) {
  GrayImage image = GrayImage::blank(width, height, 220);
  for (int64_t y = 0; y < 16; ++y)
    for (int64_t x = 0; x < 16; ++x)
      image.set(x, y, 0);
  return image;
}

// Which corner holds the dark block: 0 top-left, 1 top-right, 2 bottom-right, 3 bottom-left.
int darkCorner(const GrayImage &image) {
  const double w = static_cast<double>(image.width), h = static_cast<double>(image.height);
  const std::array<Point, 4> centres{{{8, 8}, {w - 8, 8}, {w - 8, h - 8}, {8, h - 8}}};
  for (int i = 0; i < 4; ++i)
    if (image.darkness(centres[i].x, centres[i].y, 4) > 0.8)
      return i;
  return -1;
}

GrayImage noiseImage(int64_t width, int64_t height, uint64_t seed) {
  std::mt19937_64 random(seed);
  std::vector<uint8_t> pixels(static_cast<size_t>(width * height));
  for (auto &p : pixels)
    p = static_cast<uint8_t>(random() & 0xFF);
  return GrayImage(width, height, std::move(pixels));
}

double meanAbsoluteDifference(const GrayImage &a, const GrayImage &b) {
  double total = 0;
  for (size_t i = 0; i < a.pixels.size(); ++i)
    total += std::abs(int{a.pixels[i]} - int{b.pixels[i]});
  return total / static_cast<double>(a.pixels.size());
}

// One row of a picture, filled for row `y`.
using RowSource = std::function<void(uint32_t y, uint8_t *row)>;

RowSource rowsOf(const GrayImage &image) {
  return [&image](uint32_t y, uint8_t *row) {
    std::copy_n(image.pixels.data() + y * image.width, image.width, row);
  };
}

const RowSource whiteBits = [](uint32_t, uint8_t *) {};

// A gray PNG written a row at a time, so even a huge one is made without holding it; with
// no rows it stops after its header.
Bytes pngBytes(uint32_t width, uint32_t height, int bits, const RowSource &rows) {
  Bytes out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_set_write_fn(
      png, &out,
      [](png_structp p, png_bytep data, png_size_t size) {
        auto *bytes = static_cast<Bytes *>(png_get_io_ptr(p));
        bytes->insert(bytes->end(), data, data + size);
      },
      nullptr);
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

// A one-page gray TIFF: 8-bit LZW in strips of 16 rows, or 1-bit G4 (white = 0) in one strip.
Bytes tiffBytes(const testing::TempDir &dir, uint32_t width, uint32_t height, int bits,
                const RowSource &rows, uint16_t orientation = ORIENTATION_TOPLEFT) {
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
  TIFFSetField(tiff, TIFFTAG_ORIENTATION, orientation);
  std::vector<uint8_t> row((size_t{width} * static_cast<size_t>(bits) + 7) / 8);
  for (uint32_t y = 0; y < height; ++y) {
    rows(y, row.data());
    TIFFWriteScanline(tiff, row.data(), y, 0);
  }
  TIFFClose(tiff);
  return FileIO::read(path).value();
}

Bytes tiffOf(const testing::TempDir &dir, const GrayImage &image, uint16_t orientation) {
  return tiffBytes(dir, static_cast<uint32_t>(image.width), static_cast<uint32_t>(image.height), 8,
                   rowsOf(image), orientation);
}

// An RGB HEIC photo, lossy, made with libheif's own encoder.
Bytes heicFile(const GrayImage &gray) {
  heif_context *context = heif_context_alloc();
  heif_encoder *encoder = nullptr;
  heif_context_get_encoder_for_format(context, heif_compression_HEVC, &encoder);
  EXPECT_NE(encoder, nullptr);
  heif_encoder_set_lossy_quality(encoder, 95);
  heif_image *image = nullptr;
  const int w = static_cast<int>(gray.width), h = static_cast<int>(gray.height);
  heif_image_create(w, h, heif_colorspace_RGB, heif_chroma_interleaved_RGB, &image);
  heif_image_add_plane(image, heif_channel_interleaved, w, h, 8);
  int stride = 0;
  uint8_t *plane = heif_image_get_plane(image, heif_channel_interleaved, &stride);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      std::memset(plane + y * stride + 3 * x, gray.pixels[static_cast<size_t>(y * w + x)], 3);
  heif_context_encode_image(context, image, encoder, nullptr, nullptr);
  heif_encoder_release(encoder);
  heif_image_release(image);
  heif_writer writer{1, [](heif_context *, const void *data, size_t size, void *userdata) {
                       auto *out = static_cast<Bytes *>(userdata);
                       auto *bytes = static_cast<const uint8_t *>(data);
                       out->insert(out->end(), bytes, bytes + size);
                       return heif_error{heif_error_Ok, heif_suberror_Unspecified, ""};
                     }};
  Bytes bytes;
  heif_context_write(context, &writer, &bytes);
  heif_context_free(context);
  return bytes;
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

// Soft stripes both ways: smooth enough that resampling twice barely blurs them, steep
// enough that a pixel's worth of misplacement shows.
GrayImage stripes(int64_t width, int64_t height) {
  GrayImage image = GrayImage::blank(width, height, 0);
  constexpr double tau = 6.283185307179586;
  for (int64_t y = 0; y < height; ++y)
    for (int64_t x = 0; x < width; ++x) {
      const double cx = static_cast<double>(x) + 0.5, cy = static_cast<double>(y) + 0.5;
      image.set(x, y,
                static_cast<uint8_t>(std::lround(128 + 55 * std::sin(tau * cx / 23) +
                                                 55 * std::sin(tau * cy / 29))));
    }
  return image;
}

struct Capture {
  const char *name;
  std::array<Point, 4> frameOnPage; // where the frame's corners land on the page
  Size page;
};

// A frame is put on a page through a known perspective, then straightened back from the
// corners: the stripes must come back where they were, across every tile of the frame.
TEST(GrayImageGeometry, straighteningUndoesTheCapturesPerspective) {
  const int64_t width = 600, height = 800;
  const GrayImage frame = stripes(width, height);
  const std::array<Point, 4> frameCorners{{{0, 0}, {600, 0}, {600, 800}, {0, 800}}};
  const Capture captures[] = {
      {"a straight scan", {{{40, 30}, {700, 30}, {700, 910}, {40, 910}}}, {760, 960}},
      {"a tilted scan", {{{52, 20}, {711, 34}, {692, 913}, {33, 899}}}, {760, 960}},
      {"a corner off by a pixel", {{{52, 20}, {711, 34}, {693.2, 913.6}, {33, 899}}}, {760, 960}},
      {"a steep photo", {{{140, 60}, {620, 95}, {720, 950}, {30, 905}}}, {760, 1000}},
  };
  for (const Capture &capture : captures) {
    SCOPED_TRACE(capture.name);
    const auto toFrame = Homography::fitted(capture.frameOnPage, frameCorners);
    ASSERT_TRUE(toFrame);
    const double pw = capture.page.width, ph = capture.page.height;
    std::array<Point, 4> pageOnFrame;
    const std::array<Point, 4> pageCorners{{{0, 0}, {pw, 0}, {pw, ph}, {0, ph}}};
    for (size_t i = 0; i < 4; ++i)
      pageOnFrame[i] = toFrame->map(pageCorners[i]);
    const auto page = ImageProcessing::perspectiveCorrected(
        frame, pageOnFrame, static_cast<int64_t>(pw), static_cast<int64_t>(ph));
    ASSERT_TRUE(page);
    const auto back =
        ImageProcessing::perspectiveCorrected(*page, capture.frameOnPage, width, height);
    ASSERT_TRUE(back);
    ASSERT_EQ(back->width, width);
    ASSERT_EQ(back->height, height);
    int worst = 0;
    double total = 0;
    for (int64_t y = 4; y < height - 4; ++y)
      for (int64_t x = 4; x < width - 4; ++x) {
        const int difference = std::abs(int{back->at(x, y)} - int{frame.at(x, y)});
        worst = std::max(worst, difference);
        total += difference;
      }
    EXPECT_LE(worst, 6);
    EXPECT_LT(total / static_cast<double>((width - 8) * (height - 8)), 1.0);
  }
}

// A preview is shrunk the quick way; it must stay close to area averaging at every ratio.
TEST(GrayImageGeometry, aPictureForViewIsCloseToAreaAveraging) {
  const GrayImage frame = stripes(1350, 1800);
  for (const int64_t side : {1800, 1080, 900, 450}) {
    SCOPED_TRACE(side);
    const GrayImage quick = frame.downscaledForView(side);
    const GrayImage area = frame.downscaled(side);
    ASSERT_EQ(quick.width, area.width);
    ASSERT_EQ(quick.height, area.height);
    EXPECT_LT(meanAbsoluteDifference(quick, area), 1.5);
  }
}

TEST(GrayImageCodecs, roundTripsKeepSizeAndTone) {
  const GrayImage noise = noiseImage(37, 23, 5);
  EXPECT_EQ(GrayImage::fromImageData(*noise.pngData()), noise);
  GrayImage ramp = GrayImage::blank(300, 200, 0);
  for (int64_t y = 0; y < 200; ++y)
    for (int64_t x = 0; x < 300; ++x)
      ramp.set(x, y, static_cast<uint8_t>((x * 255) / 299));
  const auto fine = ramp.jpegData(0.95), coarse = ramp.jpegData(0.2);
  ASSERT_TRUE(fine && coarse);
  EXPECT_LT(coarse->size(), fine->size());
  const auto decoded = GrayImage::fromImageData(*fine);
  ASSERT_TRUE(decoded);
  ASSERT_EQ(decoded->width, 300);
  EXPECT_EQ(decoded->height, 200);
  EXPECT_LT(meanAbsoluteDifference(*decoded, ramp), 1.5);
  const GrayImage corner = markedCorner(128, 96);
  const auto heic = GrayImage::fromImageData(heicFile(corner));
  ASSERT_TRUE(heic);
  ASSERT_EQ(heic->width, 128);
  EXPECT_EQ(darkCorner(*heic), 0);
  EXPECT_LT(meanAbsoluteDifference(*heic, corner), 4.0);
}

TEST(GrayImageCodecs, orientationTagsAreApplied) {
  testing::TempDir dir;
  const GrayImage image = markedCorner(64, 32);
  const auto jpeg = *image.jpegData(0.9);
  EXPECT_EQ(GrayImage::fromImageData(tiffOf(dir, image, ORIENTATION_TOPLEFT)), image);
  struct Case {
    uint16_t orientation;
    int corner;
  };
  for (const Case c : {Case{1, 0}, Case{2, 1}, Case{3, 2}, Case{4, 3}, Case{5, 0}, Case{6, 1},
                       Case{7, 2}, Case{8, 3}}) {
    SCOPED_TRACE(c.orientation);
    const bool turned = c.orientation >= 5;
    for (const Bytes &bytes :
         {testing::withExifOrientation(jpeg, c.orientation), tiffOf(dir, image, c.orientation)}) {
      const auto decoded = GrayImage::fromImageData(bytes);
      ASSERT_TRUE(decoded);
      EXPECT_EQ(decoded->width, turned ? 32 : 64);
      EXPECT_EQ(decoded->height, turned ? 64 : 32);
      EXPECT_EQ(darkCorner(*decoded), c.corner);
    }
  }
}

Bytes pngFromCairo(cairo_surface_t *surface) {
  Bytes bytes;
  cairo_surface_write_to_png_stream(
      surface,
      [](void *closure, const unsigned char *data, unsigned int length) {
        auto *out = static_cast<Bytes *>(closure);
        out->insert(out->end(), data, data + length);
        return CAIRO_STATUS_SUCCESS;
      },
      &bytes);
  return bytes;
}

TEST(GrayImageCodecs, transparencyReadsAsWhiteAndColourAsLuminance) {
  cairo_surface_t *surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 40, 10);
  cairo_t *cr = cairo_create(surface);
  cairo_set_source_rgba(cr, 0, 0, 0, 0.5); // half-transparent black: x 10…19
  cairo_rectangle(cr, 10, 0, 10, 10);
  cairo_fill(cr);
  cairo_set_source_rgb(cr, 1, 0, 0); // opaque red: x 20…29
  cairo_rectangle(cr, 20, 0, 10, 10);
  cairo_fill(cr);
  cairo_destroy(cr);
  const auto image = GrayImage::fromImageData(pngFromCairo(surface));
  cairo_surface_destroy(surface);
  ASSERT_TRUE(image);
  EXPECT_EQ(image->at(5, 5), 255);
  EXPECT_NEAR(image->at(15, 5), 128, 2);
  EXPECT_NEAR(image->at(25, 5), 76, 2);
  EXPECT_EQ(image->at(35, 5), 255);
}

// Undecodable data, and real pictures tiny on disk that claim more than a gigapixel.
TEST(GrayImageCodecs, badAndHugePicturesGiveNothing) {
  testing::TempDir dir;
  Bytes truncated = *GrayImage::blank(50, 50, 0).pngData();
  truncated.resize(truncated.size() / 2);
  const std::vector<std::pair<std::string, Bytes>> refused{
      {"empty", {}},
      {"text", {'h', 'e', 'l', 'l', 'o'}},
      {"truncated PNG", truncated},
      {"JPEG header only", {0xFF, 0xD8, 0xFF, 0xE0, 0, 4, 0, 0}},
      {"1-bit PNG, 40000 x 30000", pngBytes(40000, 30000, 1, whiteBits)},
      {"G4 TIFF, 40000 x 30000", tiffBytes(dir, 40000, 30000, 1, whiteBits)},
      {"JPEG, 40000 x 30000", jpegClaiming(40000, 30000)},
      {"PNG header, 100000 x 10001", pngBytes(100000, 10001, 8, {})},
  };
  for (const auto &[name, bytes] : refused) {
    EXPECT_LT(bytes.size(), 1'000'000u) << name;
    EXPECT_FALSE(GrayImage::fromImageData(bytes)) << name;
  }
}

long statusKilobytes(const std::string &field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.starts_with(field + ":"))
      return std::stol(line.substr(field.size() + 1));
  return -1;
}

// Decodes in a child process, whose peak resident size belongs to this decoding alone: how
// far it rose, in kilobytes, and the decoded width and height; nothing when it failed.
std::optional<std::array<long, 3>> decodeInChild(const Bytes &bytes) {
  int channel[2];
  if (pipe(channel) != 0)
    return std::nullopt;
  const pid_t child = fork();
  if (child == 0) {
    close(channel[0]);
    const long before = statusKilobytes("VmRSS");
    const auto image = GrayImage::fromImageData(bytes);
    const std::array<long, 3> report{statusKilobytes("VmHWM") - before,
                                     image ? static_cast<long>(image->width) : 0,
                                     image ? static_cast<long>(image->height) : 0};
    _exit(image && write(channel[1], report.data(), sizeof report) == sizeof report ? 0 : 1);
  }
  close(channel[1]);
  std::array<long, 3> report{};
  const ssize_t got = read(channel[0], report.data(), sizeof report);
  close(channel[0]);
  int status = 0;
  waitpid(child, &status, 0);
  if (got != sizeof report || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
    return std::nullopt;
  return report;
}

// A 1200-dpi letter scan, 10200 × 13200: 135 MB as gray pixels, never held whole.
TEST(ResourceBounds, aTwelveHundredDpiScanIsDecodedReducedWithoutHoldingItWhole) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the address sanitizer keeps freed memory, so resident size says nothing";
#endif
  testing::TempDir dir;
  constexpr uint32_t width = 10200, height = 13200;
  const RowSource rows = [](uint32_t y, uint8_t *row) {
    std::fill_n(row, width, static_cast<uint8_t>((y / 100) % 6 == 0 ? 40 : 250));
  };
  GrayImage scan(width, height, std::vector<uint8_t>(size_t{width} * height));
  for (uint32_t y = 0; y < height; ++y)
    rows(y, scan.pixels.data() + size_t{y} * width);
  const std::vector<std::pair<std::string, Bytes>> files{
      {"TIFF", tiffBytes(dir, width, height, 8, rows)},
      {"PNG", pngBytes(width, height, 8, rows)},
      {"JPEG", *scan.jpegData(0.8)}};
  scan = {};
  for (const auto &[name, bytes] : files) {
    const auto report = decodeInChild(bytes);
    ASSERT_TRUE(report) << name;
    EXPECT_EQ((*report)[1], 3091) << name;
    EXPECT_EQ((*report)[2], 4000) << name;
    EXPECT_LT((*report)[0], long{width} * height / 1024 / 2) << name;
  }
}

} // namespace
} // namespace ovalon
