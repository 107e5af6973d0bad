#include "scanning/GrayImage.h"

#include <gtest/gtest.h>
#include <png.h>

#include <cstdint>
#include <vector>

namespace ovalon {
namespace {

void appendTo(png_structp png, png_bytep data, png_size_t size) {
  auto *out = static_cast<std::vector<uint8_t> *>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + size);
}

// A PNG that stops after its header: all a decompression bomb needs to claim its size.
std::vector<uint8_t> pngHeaderOnly(uint32_t width, uint32_t height) {
  std::vector<uint8_t> out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_set_write_fn(png, &out, appendTo, nullptr);
  png_set_user_limits(png, 0x7fffffff, 0x7fffffff);
  png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_GRAY, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  png_destroy_write_struct(&png, &info);
  return out;
}

// A large white page that compresses to almost nothing.
std::vector<uint8_t> whitePng(uint32_t width, uint32_t height) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = width;
  image.height = height;
  image.format = PNG_FORMAT_GRAY;
  std::vector<uint8_t> pixels(size_t{width} * height, 255);
  png_alloc_size_t size = 0;
  png_image_write_to_memory(&image, nullptr, &size, 0, pixels.data(), 0, nullptr);
  std::vector<uint8_t> out(size);
  png_image_write_to_memory(&image, out.data(), &size, 0, pixels.data(), 0, nullptr);
  out.resize(size);
  return out;
}

TEST(ImageBounds, aHeaderClaimingAHugeImageIsRefusedBeforeDecoding) {
  for (auto [w, h] : {std::pair{30000u, 30000u}, {100000u, 2u}, {1u, 2000000000u}})
    EXPECT_FALSE(GrayImage::fromImageData(pngHeaderOnly(w, h))) << w << " x " << h;
}

TEST(ImageBounds, aLargePageThatDecodesIsCappedAt4000Pixels) {
  std::vector<uint8_t> bomb = whitePng(6000, 7800);
  ASSERT_LT(bomb.size(), 200'000u) << "it really is small on disk";
  auto image = GrayImage::fromImageData(bomb);
  ASSERT_TRUE(image);
  EXPECT_EQ(image->height, 4000);
  EXPECT_EQ(image->width, 3077);
}

} // namespace
} // namespace ovalon
