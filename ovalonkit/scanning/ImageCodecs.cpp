#include "scanning/ImageCodecs.h"

#include <libheif/heif.h>
#include <png.h>
#include <tiffio.h>
#include <turbojpeg.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

namespace ovalon::ImageCodecs {

namespace {

// Luminance of an RGB triple (ITU-R BT.601 weights, as JPEG uses).
uint8_t luma(unsigned r, unsigned g, unsigned b) {
  return static_cast<uint8_t>((299 * r + 587 * g + 114 * b + 500) / 1000);
}

// Straight (non-premultiplied) alpha composited over white.
uint8_t overWhite(uint8_t value, unsigned alpha) {
  return static_cast<uint8_t>((value * alpha + 255 * (255 - alpha) + 127) / 255);
}

bool startsWith(std::span<const uint8_t> data, std::initializer_list<uint8_t> prefix) {
  return data.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), data.begin());
}

// --- orientation (EXIF / TIFF tag 274 values 1…8) --------------------------

// The stored image turned into the orientation it is meant to be seen in.
GrayImage oriented(const GrayImage &stored, int orientation) {
  if (orientation < 2 || orientation > 8)
    return stored;
  const int64_t w = stored.width, h = stored.height;
  const bool swaps = orientation >= 5;
  const int64_t outW = swaps ? h : w, outH = swaps ? w : h;
  std::vector<uint8_t> out(static_cast<size_t>(outW * outH));
  for (int64_t y = 0; y < outH; ++y)
    for (int64_t x = 0; x < outW; ++x) {
      int64_t sx = x, sy = y;
      switch (orientation) {
      case 2:
        sx = w - 1 - x;
        break; // mirrored
      case 3:
        sx = w - 1 - x;
        sy = h - 1 - y;
        break; // upside down
      case 4:
        sy = h - 1 - y;
        break; // mirrored vertically
      case 5:
        sx = y;
        sy = x;
        break; // transposed
      case 6:
        sx = y;
        sy = h - 1 - x;
        break; // turn clockwise
      case 7:
        sx = w - 1 - y;
        sy = h - 1 - x;
        break; // transversed
      case 8:
        sx = w - 1 - y;
        sy = x;
        break; // turn anticlockwise
      }
      out[static_cast<size_t>(y * outW + x)] = stored.pixels[static_cast<size_t>(sy * w + sx)];
    }
  return GrayImage(outW, outH, std::move(out));
}

// Reads the orientation tag from a JPEG's EXIF segment; 1 when there is none.
int jpegOrientation(std::span<const uint8_t> data) {
  size_t pos = 2;
  while (pos + 4 <= data.size()) {
    if (data[pos] != 0xFF)
      return 1;
    const uint8_t marker = data[pos + 1];
    if (marker == 0xFF) { // fill byte
      ++pos;
      continue;
    }
    if (marker == 0xDA || marker == 0xD9) // image data starts: no more headers
      return 1;
    const size_t length = (size_t{data[pos + 2]} << 8) | data[pos + 3];
    if (length < 2 || pos + 2 + length > data.size())
      return 1;
    const auto segment = data.subspan(pos + 4, length - 2);
    if (marker == 0xE1 && segment.size() >= 14 && std::memcmp(segment.data(), "Exif\0\0", 6) == 0) {
      const auto tiff = segment.subspan(6);
      const bool little = tiff[0] == 'I' && tiff[1] == 'I';
      if (!little && !(tiff[0] == 'M' && tiff[1] == 'M'))
        return 1;
      auto read16 = [&](size_t at) -> uint32_t {
        return little ? tiff[at] | (tiff[at + 1] << 8) : (tiff[at] << 8) | tiff[at + 1];
      };
      auto read32 = [&](size_t at) -> uint32_t {
        return little ? read16(at) | (read16(at + 2) << 16) : (read16(at) << 16) | read16(at + 2);
      };
      const size_t ifd = read32(4);
      if (ifd + 2 > tiff.size())
        return 1;
      const size_t count = read16(ifd);
      for (size_t i = 0; i < count; ++i) {
        const size_t entry = ifd + 2 + 12 * i;
        if (entry + 12 > tiff.size())
          return 1;
        if (read16(entry) == 0x0112 && read16(entry + 2) == 3) {
          const uint32_t value = read16(entry + 8);
          return value >= 1 && value <= 8 ? static_cast<int>(value) : 1;
        }
      }
      return 1;
    }
    pos += 2 + length;
  }
  return 1;
}

// --- JPEG ------------------------------------------------------------------

struct TurboHandle {
  tjhandle handle;
  explicit TurboHandle(tjhandle h) : handle(h) {}
  ~TurboHandle() {
    if (handle)
      tjDestroy(handle);
  }
  TurboHandle(const TurboHandle &) = delete;
  TurboHandle &operator=(const TurboHandle &) = delete;
};

// The most pixels a file may decode to: a 48-megapixel phone photo or a 600-dpi
// scan fits with room to spare, while a header that claims far more (a
// decompression bomb) is refused before anything is allocated for it.
constexpr uint64_t maxDecodedPixels = 64'000'000;

bool withinBudget(uint64_t width, uint64_t height) {
  return width > 0 && height > 0 && width <= maxDecodedPixels / height;
}

std::optional<GrayImage> decodeJpeg(std::span<const uint8_t> data, int64_t keepSide,
                                    bool applyOrientation) {
  TurboHandle tj(tjInitDecompress());
  if (!tj.handle)
    return std::nullopt;
  auto *bytes = const_cast<unsigned char *>(data.data());
  const auto size = static_cast<unsigned long>(data.size());
  int width = 0, height = 0, subsampling = 0, colorspace = 0;
  if (tjDecompressHeader3(tj.handle, bytes, size, &width, &height, &subsampling, &colorspace) !=
          0 ||
      width <= 0 || height <= 0)
    return std::nullopt;
  // The smallest DCT scale that keeps the longer side at or above keepSide:
  // decoding at 1/2, 1/4 or 1/8 is far cheaper than decoding and shrinking.
  int count = 0;
  const tjscalingfactor *factors = tjGetScalingFactors(&count);
  int scaledW = width, scaledH = height;
  for (int i = 0; factors && i < count; ++i) {
    const tjscalingfactor f = factors[i];
    if (f.num > f.denom)
      continue;
    const int w = TJSCALED(width, f), h = TJSCALED(height, f);
    if (std::max(w, h) >= keepSide && int64_t{w} * h < int64_t{scaledW} * scaledH) {
      scaledW = w;
      scaledH = h;
    }
  }
  if (!withinBudget(static_cast<uint64_t>(scaledW), static_cast<uint64_t>(scaledH)))
    return std::nullopt;
  std::vector<uint8_t> pixels(static_cast<size_t>(scaledW) * static_cast<size_t>(scaledH));
  if (tjDecompress2(tj.handle, bytes, size, pixels.data(), scaledW, scaledW, scaledH, TJPF_GRAY,
                    TJFLAG_ACCURATEDCT) != 0 &&
      tjGetErrorCode(tj.handle) == TJERR_FATAL)
    return std::nullopt;
  return oriented(GrayImage(scaledW, scaledH, std::move(pixels)),
                  applyOrientation ? jpegOrientation(data) : 1);
}

// --- PNG -------------------------------------------------------------------

std::optional<GrayImage> decodePng(std::span<const uint8_t> data) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, data.data(), data.size()))
    return std::nullopt;
  image.format = PNG_FORMAT_RGBA;
  if (!withinBudget(image.width, image.height)) {
    png_image_free(&image);
    return std::nullopt;
  }
  std::vector<uint8_t> rgba(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, rgba.data(), 0, nullptr)) {
    png_image_free(&image);
    return std::nullopt;
  }
  const int64_t w = image.width, h = image.height;
  std::vector<uint8_t> pixels(static_cast<size_t>(w * h));
  for (size_t i = 0; i < pixels.size(); ++i) {
    const uint8_t *p = &rgba[4 * i];
    pixels[i] = overWhite(luma(p[0], p[1], p[2]), p[3]);
  }
  return GrayImage(w, h, std::move(pixels));
}

// --- TIFF ------------------------------------------------------------------

struct MemoryFile {
  std::span<const uint8_t> data;
  toff_t offset = 0;
};

tsize_t tiffRead(thandle_t handle, tdata_t buffer, tsize_t size) {
  auto *file = static_cast<MemoryFile *>(handle);
  if (size < 0 || file->offset >= file->data.size())
    return 0;
  const auto n = std::min<toff_t>(static_cast<toff_t>(size), file->data.size() - file->offset);
  std::memcpy(buffer, file->data.data() + file->offset, n);
  file->offset += n;
  return static_cast<tsize_t>(n);
}
tsize_t tiffWrite(thandle_t, tdata_t, tsize_t) {
  return 0;
}
toff_t tiffSeek(thandle_t handle, toff_t offset, int whence) {
  auto *file = static_cast<MemoryFile *>(handle);
  toff_t base = whence == SEEK_CUR ? file->offset : whence == SEEK_END ? file->data.size() : 0;
  file->offset = base + offset;
  return file->offset;
}
int tiffClose(thandle_t) {
  return 0;
}
toff_t tiffSize(thandle_t handle) {
  return static_cast<MemoryFile *>(handle)->data.size();
}
int tiffMap(thandle_t, tdata_t *, toff_t *) {
  return 0;
}
void tiffUnmap(thandle_t, tdata_t, toff_t) {}
int tiffQuiet(TIFF *, void *, const char *, const char *, va_list) {
  return 1;
}

std::optional<GrayImage> decodeTiff(std::span<const uint8_t> data) {
  MemoryFile file{data};
  std::unique_ptr<TIFFOpenOptions, void (*)(TIFFOpenOptions *)> options(TIFFOpenOptionsAlloc(),
                                                                        TIFFOpenOptionsFree);
  TIFFOpenOptionsSetErrorHandlerExtR(options.get(), tiffQuiet, nullptr);
  TIFFOpenOptionsSetWarningHandlerExtR(options.get(), tiffQuiet, nullptr);
  // A damaged strip or tile size must not make libtiff ask for gigabytes: no
  // single buffer larger than the biggest page we accept, in RGBA.
  TIFFOpenOptionsSetMaxSingleMemAlloc(options.get(),
                                      static_cast<tmsize_t>(4 * maxDecodedPixels));
  std::unique_ptr<TIFF, void (*)(TIFF *)> tiff(
      TIFFClientOpenExt("memory", "rm", &file, tiffRead, tiffWrite, tiffSeek, tiffClose, tiffSize,
                        tiffMap, tiffUnmap, options.get()),
      TIFFClose);
  if (!tiff)
    return std::nullopt;
  uint32_t w = 0, h = 0;
  uint16_t orientation = ORIENTATION_TOPLEFT;
  if (!TIFFGetField(tiff.get(), TIFFTAG_IMAGEWIDTH, &w) ||
      !TIFFGetField(tiff.get(), TIFFTAG_IMAGELENGTH, &h) || !withinBudget(w, h))
    return std::nullopt;
  TIFFGetFieldDefaulted(tiff.get(), TIFFTAG_ORIENTATION, &orientation);
  if (orientation < 1 || orientation > 8)
    orientation = ORIENTATION_TOPLEFT;
  // Asking for the file's own orientation gives the rows as stored; the
  // orientation is then applied the same way as for JPEG.
  std::vector<uint32_t> raster(size_t{w} * h);
  if (!TIFFReadRGBAImageOriented(tiff.get(), w, h, raster.data(), orientation, 0))
    return std::nullopt;
  std::vector<uint8_t> pixels(raster.size());
  for (size_t i = 0; i < raster.size(); ++i) {
    // libtiff hands back premultiplied colour, so white shows through as 255 − alpha.
    const uint32_t p = raster[i];
    const unsigned value = luma(TIFFGetR(p), TIFFGetG(p), TIFFGetB(p)) + (255 - TIFFGetA(p));
    pixels[i] = static_cast<uint8_t>(std::min(255u, value));
  }
  return oriented(GrayImage(w, h, std::move(pixels)), orientation);
}

// --- HEIC ------------------------------------------------------------------

std::optional<GrayImage> decodeHeif(std::span<const uint8_t> data) {
  std::unique_ptr<heif_context, void (*)(heif_context *)> context(heif_context_alloc(),
                                                                  heif_context_free);
  if (!context ||
      heif_context_read_from_memory_without_copy(context.get(), data.data(), data.size(), nullptr)
              .code != heif_error_Ok)
    return std::nullopt;
  heif_image_handle *rawHandle = nullptr;
  if (heif_context_get_primary_image_handle(context.get(), &rawHandle).code != heif_error_Ok)
    return std::nullopt;
  std::unique_ptr<heif_image_handle, void (*)(const heif_image_handle *)> handle(
      rawHandle, heif_image_handle_release);
  if (!withinBudget(static_cast<uint64_t>(std::max(0, heif_image_handle_get_width(handle.get()))),
                    static_cast<uint64_t>(std::max(0, heif_image_handle_get_height(handle.get())))))
    return std::nullopt;
  const bool alpha = heif_image_handle_has_alpha_channel(handle.get());
  heif_image *rawImage = nullptr;
  // Decoding applies the file's rotation and mirroring by default.
  if (heif_decode_image(handle.get(), &rawImage, heif_colorspace_RGB,
                        alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB, nullptr)
          .code != heif_error_Ok)
    return std::nullopt;
  std::unique_ptr<heif_image, void (*)(const heif_image *)> image(rawImage, heif_image_release);
  const int w = heif_image_get_width(image.get(), heif_channel_interleaved);
  const int h = heif_image_get_height(image.get(), heif_channel_interleaved);
  int stride = 0;
  const uint8_t *plane =
      heif_image_get_plane_readonly(image.get(), heif_channel_interleaved, &stride);
  if (!plane || w <= 0 || h <= 0)
    return std::nullopt;
  const bool premultiplied = heif_image_handle_is_premultiplied_alpha(handle.get());
  const int step = alpha ? 4 : 3;
  std::vector<uint8_t> pixels(static_cast<size_t>(w) * static_cast<size_t>(h));
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const uint8_t *p = plane + static_cast<ptrdiff_t>(y) * stride + x * step;
      const uint8_t value = luma(p[0], p[1], p[2]);
      uint8_t gray = value;
      if (alpha)
        gray = premultiplied ? static_cast<uint8_t>(std::min(255, value + 255 - p[3]))
                             : overWhite(value, p[3]);
      pixels[static_cast<size_t>(y) * w + x] = gray;
    }
  return GrayImage(w, h, std::move(pixels));
}

bool looksLikeHeif(std::span<const uint8_t> data) {
  return data.size() >= 12 && std::memcmp(data.data() + 4, "ftyp", 4) == 0;
}

} // namespace

std::optional<GrayImage> decode(std::span<const uint8_t> data, int64_t keepSide,
                                bool applyOrientation) {
  if (startsWith(data, {0xFF, 0xD8, 0xFF}))
    return decodeJpeg(data, keepSide, applyOrientation);
  if (startsWith(data, {0x89, 'P', 'N', 'G'}))
    return decodePng(data);
  if (startsWith(data, {'I', 'I', 42, 0}) || startsWith(data, {'M', 'M', 0, 42}) ||
      startsWith(data, {'I', 'I', 43, 0}) || startsWith(data, {'M', 'M', 0, 43}))
    return decodeTiff(data);
  if (looksLikeHeif(data))
    return decodeHeif(data);
  return std::nullopt;
}

std::optional<Bytes> encodeJpeg(const GrayImage &image, double quality) {
  if (image.pixels.empty())
    return std::nullopt;
  TurboHandle tj(tjInitCompress());
  if (!tj.handle)
    return std::nullopt;
  const int q = static_cast<int>(std::clamp(std::lround(quality * 100.0), 1L, 100L));
  unsigned char *buffer = nullptr;
  unsigned long size = 0;
  if (tjCompress2(tj.handle, image.pixels.data(), static_cast<int>(image.width),
                  static_cast<int>(image.width), static_cast<int>(image.height), TJPF_GRAY, &buffer,
                  &size, TJSAMP_GRAY, q, TJFLAG_ACCURATEDCT) != 0) {
    tjFree(buffer);
    return std::nullopt;
  }
  Bytes bytes(buffer, buffer + size);
  tjFree(buffer);
  return bytes;
}

std::optional<Bytes> encodePng(const GrayImage &image) {
  if (image.pixels.empty())
    return std::nullopt;
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  png.width = static_cast<png_uint_32>(image.width);
  png.height = static_cast<png_uint_32>(image.height);
  png.format = PNG_FORMAT_GRAY;
  // Crops of every page are encoded while a scan is read: one pass into a buffer the encoder
  // can never outgrow, rather than a sizing pass first. (The fast setting would halve the
  // time again but make the crops stored in each document about a sixth larger.)
  png_alloc_size_t size = PNG_IMAGE_PNG_SIZE_MAX(png);
  Bytes bytes(size);
  if (!png_image_write_to_memory(&png, bytes.data(), &size, 0, image.pixels.data(), 0, nullptr))
    return std::nullopt;
  bytes.resize(size);
  return bytes;
}

} // namespace ovalon::ImageCodecs
