#include "scanning/GrayImage.h"

#include "sheets/Canvas.h"
#include "support/PageDistortion.h"
#include "support/TempDir.h"

#include <cairo.h>
#include <gtest/gtest.h>
#include <libheif/heif.h>
#include <tiffio.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>

namespace ovalon {
namespace {

// A picture whose orientation can be told apart: a 16 × 16 black block in
// the top-left corner of a light gray field.
GrayImage markedCorner(int64_t width, int64_t height) {
  GrayImage image = GrayImage::blank(width, height, 220);
  for (int64_t y = 0; y < 16; ++y)
    for (int64_t x = 0; x < 16; ++x)
      image.set(x, y, 0);
  return image;
}

// Which quarter holds the dark block: 0 top-left, 1 top-right, 2 bottom-right, 3 bottom-left.
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

Bytes readFile(const std::filesystem::path &path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

// Inserts an EXIF segment carrying `orientation` right after the JPEG's start marker.
Bytes withExifOrientation(const Bytes &jpeg, uint16_t orientation) {
  const uint8_t exif[] = {0xFF, 0xE1, 0x00, 0x22, 'E', 'x', 'i', 'f', 0, 0,
                          // TIFF header, big-endian, IFD at offset 8
                          'M', 'M', 0, 42, 0, 0, 0, 8,
                          // one entry: tag 0x0112, SHORT, count 1, value
                          0, 1, 0x01, 0x12, 0, 3, 0, 0, 0, 1,
                          static_cast<uint8_t>(orientation >> 8), static_cast<uint8_t>(orientation),
                          0, 0,
                          // no next IFD
                          0, 0, 0, 0};
  Bytes out(jpeg.begin(), jpeg.begin() + 2);
  out.insert(out.end(), std::begin(exif), std::end(exif));
  out.insert(out.end(), jpeg.begin() + 2, jpeg.end());
  return out;
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

Bytes tiffFile(const testing::TempDir &dir, const GrayImage &image, uint16_t orientation) {
  const auto path = dir / "page.tif";
  TIFF *tiff = TIFFOpen(path.c_str(), "w");
  TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, static_cast<uint32_t>(image.width));
  TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, static_cast<uint32_t>(image.height));
  TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 1);
  TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8);
  TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
  TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
  TIFFSetField(tiff, TIFFTAG_ORIENTATION, orientation);
  TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, 8);
  for (int64_t y = 0; y < image.height; ++y)
    TIFFWriteScanline(tiff, const_cast<uint8_t *>(image.pixels.data() + y * image.width),
                      static_cast<uint32_t>(y), 0);
  TIFFClose(tiff);
  return readFile(path);
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

TEST(GrayImage, blankRaisesSizesToOnePixel) {
  const GrayImage image = GrayImage::blank(0, 0, 7);
  EXPECT_EQ(image.width, 1);
  EXPECT_EQ(image.height, 1);
  EXPECT_EQ(image.pixels, std::vector<uint8_t>{7});
  EXPECT_EQ(GrayImage::blank(3, 2, 9).pixels.size(), 6u);
}

TEST(GrayImage, pixelAccessIsRowMajor) {
  GrayImage image = GrayImage::blank(4, 3, 255);
  image.set(3, 1, 17);
  EXPECT_EQ(image.at(3, 1), 17);
  EXPECT_EQ(image.pixels[1 * 4 + 3], 17);
  EXPECT_NE(image, GrayImage::blank(4, 3, 255));
  EXPECT_NE(std::hash<GrayImage>{}(image), std::hash<GrayImage>{}(GrayImage::blank(4, 3, 255)));
}

TEST(GrayImageDeathTest, checkedConstructionAndIndicesStopTheProgram) {
  EXPECT_DEATH(GrayImage(3, 3, std::vector<uint8_t>(8, 0)), "pixel count");
  const GrayImage image = GrayImage::blank(2, 2, 0);
  EXPECT_DEATH((void)image.at(2, 0), "out of range");
  EXPECT_DEATH((void)image.at(0, -1), "out of range");
}

TEST(GrayImage, renderedFillsTheRoundedPixelSizeWithTheDrawing) {
  // 100.2 × 50.5 pt at 2 px/pt: 200 × 101 pixels.
  const GrayImage image = GrayImage::rendered({100.2, 50.5}, 2, 200, [](Canvas &canvas) {
    canvas.setFillGray(0);
    canvas.fillRect({0, 0, 50.1, 50.5});  // left half, in page coordinates (y up)
    canvas.fillRect({50.1, 0, 50.1, 10}); // bottom strip of the right half
  });
  EXPECT_EQ(image.width, 200);
  EXPECT_EQ(image.height, 101);
  EXPECT_EQ(image.at(10, 10), 0);
  EXPECT_EQ(image.at(99, 100), 0);
  EXPECT_EQ(image.at(150, 10), 200); // untouched: the fill
  EXPECT_EQ(image.at(150, 95), 0);   // bottom rows: drawn with the origin at the bottom-left
  EXPECT_EQ(image.at(199, 50), 200);
  EXPECT_EQ(GrayImage::rendered({0, 0}, 2, 7, [](Canvas &) {}), GrayImage::blank(1, 1, 7));
}

TEST(GrayImageCodecs, pngRoundTripIsExact) {
  const GrayImage image = noiseImage(37, 23, 5);
  const auto png = image.pngData();
  ASSERT_TRUE(png);
  EXPECT_EQ(GrayImage::fromImageData(*png), image);
}

TEST(GrayImageCodecs, jpegRoundTripKeepsSizeAndTone) {
  GrayImage image = GrayImage::blank(300, 200, 0);
  for (int64_t y = 0; y < 200; ++y)
    for (int64_t x = 0; x < 300; ++x)
      image.set(x, y, static_cast<uint8_t>((x * 255) / 299));
  const auto fine = image.jpegData(0.95), coarse = image.jpegData(0.2);
  ASSERT_TRUE(fine && coarse);
  EXPECT_LT(coarse->size(), fine->size());
  const auto decoded = GrayImage::fromImageData(*fine);
  ASSERT_TRUE(decoded);
  EXPECT_EQ(decoded->width, 300);
  EXPECT_EQ(decoded->height, 200);
  EXPECT_LT(meanAbsoluteDifference(*decoded, image), 1.5);
}

TEST(GrayImageCodecs, jpegOrientationTagIsApplied) {
  const auto jpeg = *markedCorner(64, 32).jpegData(0.9);
  struct Case {
    uint16_t orientation;
    int64_t width, height;
    int corner;
  };
  for (const Case c :
       {Case{1, 64, 32, 0}, Case{2, 64, 32, 1}, Case{3, 64, 32, 2}, Case{4, 64, 32, 3},
        Case{5, 32, 64, 0}, Case{6, 32, 64, 1}, Case{7, 32, 64, 2}, Case{8, 32, 64, 3}}) {
    const auto image = GrayImage::fromImageData(withExifOrientation(jpeg, c.orientation));
    ASSERT_TRUE(image) << c.orientation;
    EXPECT_EQ(image->width, c.width) << c.orientation;
    EXPECT_EQ(image->height, c.height) << c.orientation;
    EXPECT_EQ(darkCorner(*image), c.corner) << c.orientation;
  }
}

TEST(GrayImageCodecs, largeJpegIsCappedAt4000Pixels) {
  GrayImage wide = GrayImage::blank(8200, 400, 255);
  for (int64_t y = 100; y < 300; ++y)
    for (int64_t x = 0; x < 4100; ++x)
      wide.set(x, y, 0);
  const auto image = GrayImage::fromImageData(*wide.jpegData(0.9));
  ASSERT_TRUE(image);
  EXPECT_EQ(image->width, 4000);
  EXPECT_EQ(image->height, 195); // 400 × 4000 / 8200 = 195.1
  // The dark band still covers the left half, the right half stays white.
  EXPECT_GT(image->darkness(1000, 97, 20), 0.95);
  EXPECT_LT(image->darkness(3000, 97, 20), 0.05);
  EXPECT_LT(image->darkness(1000, 20, 10), 0.05);
}

TEST(GrayImageCodecs, longPngIsCappedAt4000Pixels) {
  const auto image = GrayImage::fromImageData(*GrayImage::blank(5000, 1, 30).pngData());
  ASSERT_TRUE(image);
  EXPECT_EQ(image->width, 4000);
  EXPECT_EQ(image->height, 1);
  EXPECT_EQ(image->at(1234, 0), 30);
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
  EXPECT_EQ(image->at(5, 5), 255); // fully transparent
  EXPECT_NEAR(image->at(15, 5), 128, 2);
  EXPECT_NEAR(image->at(25, 5), 76, 2); // red's luminance
  EXPECT_EQ(image->at(35, 5), 255);
}

TEST(GrayImageCodecs, tiffDecodesWithOrientation) {
  testing::TempDir dir;
  const GrayImage image = markedCorner(48, 24);
  EXPECT_EQ(GrayImage::fromImageData(tiffFile(dir, image, ORIENTATION_TOPLEFT)), image);
  const auto turned = GrayImage::fromImageData(tiffFile(dir, image, ORIENTATION_RIGHTTOP));
  ASSERT_TRUE(turned);
  EXPECT_EQ(turned->width, 24);
  EXPECT_EQ(turned->height, 48);
  EXPECT_EQ(darkCorner(*turned), 1);
  const auto upsideDown = GrayImage::fromImageData(tiffFile(dir, image, ORIENTATION_BOTRIGHT));
  ASSERT_TRUE(upsideDown);
  EXPECT_EQ(darkCorner(*upsideDown), 2);
}

TEST(GrayImageCodecs, heicDecodesToLuminance) {
  const GrayImage image = markedCorner(128, 96);
  const auto decoded = GrayImage::fromImageData(heicFile(image));
  ASSERT_TRUE(decoded);
  EXPECT_EQ(decoded->width, 128);
  EXPECT_EQ(decoded->height, 96);
  EXPECT_EQ(darkCorner(*decoded), 0);
  EXPECT_LT(meanAbsoluteDifference(*decoded, image), 4.0);
}

TEST(GrayImageCodecs, undecodableDataGivesNothing) {
  EXPECT_FALSE(GrayImage::fromImageData(Bytes{}));
  EXPECT_FALSE(GrayImage::fromImageData(Bytes{'h', 'e', 'l', 'l', 'o'}));
  Bytes truncated = *GrayImage::blank(50, 50, 0).pngData();
  truncated.resize(truncated.size() / 2);
  EXPECT_FALSE(GrayImage::fromImageData(truncated));
  EXPECT_FALSE(GrayImage::fromImageData(Bytes{0xFF, 0xD8, 0xFF, 0xE0, 0, 4, 0, 0}));
}

TEST(GrayImage, downscaledKeepsAspectAndAverages) {
  const GrayImage fits = GrayImage::blank(1000, 600, 3);
  EXPECT_EQ(fits.downscaled(1000), fits);
  const GrayImage tall = GrayImage::blank(3000, 10, 0).downscaled(1000);
  EXPECT_EQ(tall.width, 1000);
  EXPECT_EQ(tall.height, 3);
  EXPECT_EQ(GrayImage::blank(5000, 1, 0).downscaled(1000).width, 1000);
  // Alternating black and white columns average to mid gray.
  GrayImage stripes = GrayImage::blank(400, 400, 255);
  for (int64_t y = 0; y < 400; ++y)
    for (int64_t x = 0; x < 400; x += 2)
      stripes.set(x, y, 0);
  const GrayImage small = stripes.downscaled(100);
  EXPECT_EQ(small.width, 100);
  EXPECT_NEAR(small.at(50, 50), 128, 2);
}

TEST(GrayImage, croppedUsesTheIntegralRectangleClippedToTheImage) {
  const GrayImage image = noiseImage(100, 100, 9);
  const GrayImage corner = image.cropped({-5.5, -5.5, 10, 10});
  EXPECT_EQ(corner.width, 5);
  EXPECT_EQ(corner.height, 5);
  EXPECT_EQ(corner.at(4, 4), image.at(4, 4));
  const GrayImage inner = image.cropped({10.2, 20.7, 5.1, 3.0});
  EXPECT_EQ(inner.width, 6);  // 10 … 16
  EXPECT_EQ(inner.height, 4); // 20 … 24
  EXPECT_EQ(inner.at(0, 0), image.at(10, 20));
  EXPECT_EQ(inner.at(5, 3), image.at(15, 23));
  EXPECT_EQ(image.cropped({200, 200, 10, 10}), GrayImage::blank(1, 1, 255));
  EXPECT_EQ(image.cropped({10, 10, 0, 0}), GrayImage::blank(1, 1, 255));
}

TEST(GrayImage, darknessAveragesPixelsWhoseCentresLieInTheCircle) {
  const GrayImage black = GrayImage::blank(10, 10, 0);
  EXPECT_DOUBLE_EQ(black.darkness(0.5, 0.5, 0.4), 1.0);
  EXPECT_DOUBLE_EQ(black.darkness(0.0, 0.0, 0.4), 0.0);
  EXPECT_DOUBLE_EQ(black.darkness(-20, 5, 3), 0.0);
  EXPECT_DOUBLE_EQ(black.darkness(5, 50, 3), 0.0);

  GrayImage image = GrayImage::blank(10, 10, 255);
  image.set(4, 4, 0);
  image.set(5, 4, 255);
  image.set(4, 5, 51);
  image.set(5, 5, 204);
  image.set(3, 5, 0); // centre 1.58 from (5, 5): outside a circle of radius 1
  EXPECT_DOUBLE_EQ(image.darkness(5, 5, 1), (255.0 + 0 + 204 + 51) / (4 * 255.0));
  // The boundary counts: the centre of (1, 0) lies exactly 1 from (0.5, 0.5).
  GrayImage edge = GrayImage::blank(3, 3, 255);
  edge.set(1, 0, 0);
  EXPECT_DOUBLE_EQ(edge.darkness(0.5, 0.5, 1.0), 1.0 / 3.0); // (0,0), (1,0), (0,1)
}

TEST(GrayImageStraightening, producesTheSheetFrameSizeFromAnyResolution) {
  for (const int64_t dpi : {100, 200, 300}) {
    const double scale = dpi / 72.0;
    const GrayImage page =
        GrayImage::blank(std::lround(612 * scale), std::lround(792 * scale), 255);
    const std::array<Point, 4> corners{{{36 * scale, 36 * scale},
                                        {576 * scale, 36 * scale},
                                        {576 * scale, 756 * scale},
                                        {36 * scale, 756 * scale}}};
    const auto letter = GrayImage::straightened(page, corners, {612, 792});
    ASSERT_TRUE(letter);
    EXPECT_EQ(letter->width, 1350);
    EXPECT_EQ(letter->height, 1800);
    const auto a4 = GrayImage::straightened(page, corners, {595.28, 841.89});
    ASSERT_TRUE(a4);
    EXPECT_EQ(a4->width, 1308);
    EXPECT_EQ(a4->height, 1925);
  }
}

TEST(GrayImageStraightening, collapsedCornersGiveNothing) {
  const GrayImage page = GrayImage::blank(500, 500, 255);
  EXPECT_FALSE(GrayImage::straightened(page, {{{100, 100}, {108, 100}, {108, 400}, {100, 400}}},
                                       {612, 792}));
  EXPECT_FALSE(GrayImage::straightened(page, {{{100, 100}, {400, 100}, {400, 105}, {100, 105}}},
                                       {612, 792}));
  EXPECT_FALSE(GrayImage::straightened(page, {{{100, 100}, {400, 100}, {400, NAN}, {100, 400}}},
                                       {612, 792}));
}

TEST(GrayImageStraightening, undoesRotationAndPerspective) {
  // A frame-sized picture with dark dots on a grid, projected into a tilted photo.
  GrayImage frame = GrayImage::blank(1350, 1800, 255);
  std::vector<Point> dots;
  for (double y = 100; y < 1800; y += 200)
    for (double x = 100; x < 1350; x += 200)
      dots.push_back({x, y});
  for (const auto &dot : dots)
    for (int64_t y = static_cast<int64_t>(dot.y) - 12; y < static_cast<int64_t>(dot.y) + 12; ++y)
      for (int64_t x = static_cast<int64_t>(dot.x) - 12; x < static_cast<int64_t>(dot.x) + 12; ++x)
        frame.set(x, y, 0);
  const auto photo = testing::distort(
      frame, {.rotationDegrees = 7, .scale = 1.3, .keystone = 0.06, .skew = 0.02, .margin = 40});
  const std::array<Point, 4> corners{photo.map({0, 0}), photo.map({1350, 0}),
                                     photo.map({1350, 1800}), photo.map({0, 1800})};
  const auto straight = GrayImage::straightened(photo.image, corners, {612, 792});
  ASSERT_TRUE(straight);
  for (const auto &dot : dots) {
    EXPECT_GT(straight->darkness(dot.x, dot.y, 8), 0.95) << dot.x << "," << dot.y;
    EXPECT_LT(straight->darkness(dot.x + 40, dot.y, 8), 0.02) << dot.x << "," << dot.y;
  }
  EXPECT_LT(meanAbsoluteDifference(*straight, frame), 3.0);
}

TEST(GrayImageStraightening, paintsWhiteOutsideThePage) {
  const GrayImage page = GrayImage::blank(400, 500, 0);
  // Corners far outside the image: most of the frame has no source pixels.
  const auto straight = GrayImage::straightened(
      page, {{{-1000, -1000}, {1400, -1000}, {1400, 1500}, {-1000, 1500}}}, {612, 792});
  ASSERT_TRUE(straight);
  EXPECT_EQ(straight->at(5, 5), 255);
  EXPECT_EQ(straight->at(675, 900), 0);
}

} // namespace
} // namespace ovalon
