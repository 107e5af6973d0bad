#include "scanning/ImageCodecs.h"

#include <libheif/heif.h>
#include <png.h>
#include <tiffio.h>
#include <turbojpeg.h>
#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
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
GrayImage oriented(GrayImage stored, int orientation) {
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

// Whether the JPEG's frame header is a progressive one (SOF2, SOF6, SOF10, SOF14).
bool isProgressive(std::span<const uint8_t> data) {
  size_t pos = 2;
  while (pos + 4 <= data.size() && data[pos] == 0xFF) {
    const uint8_t marker = data[pos + 1];
    if (marker == 0xFF) {
      ++pos;
      continue;
    }
    if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC)
      return marker == 0xC2 || marker == 0xC6 || marker == 0xCA || marker == 0xCE;
    if (marker == 0xDA || marker == 0xD9)
      return false;
    pos += 2 + ((size_t{data[pos + 2]} << 8) | data[pos + 3]);
  }
  return false;
}

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

// The most pixels a file is decoded to at full size: a 48-megapixel phone photo
// or a 600-dpi scan fits with room to spare. A larger picture (a 1200-dpi scan)
// is reduced while it is decoded, so it is never held whole.
constexpr uint64_t maxDecodedPixels = 64'000'000;

bool withinBudget(uint64_t width, uint64_t height) {
  return width > 0 && height > 0 && width <= maxDecodedPixels / height;
}

// A header claiming more than this is a decompression bomb, refused before
// anything is allocated for it.
bool claimable(uint64_t width, uint64_t height) {
  return width > 0 && height > 0 && width <= maxClaimedPixels / height;
}

int64_t ceilDiv(int64_t a, int64_t b) {
  return (a + b - 1) / b;
}

// The whole-number factor a width × height picture is reduced by while it is
// decoded: 1 within the budget, else the largest that keeps the longer side at
// least `keepSide` (the final resampling takes it the rest of the way), raised
// until the reduced picture fits the budget.
int64_t reductionFor(int64_t width, int64_t height, int64_t keepSide) {
  if (withinBudget(static_cast<uint64_t>(width), static_cast<uint64_t>(height)))
    return 1;
  int64_t factor = std::max<int64_t>(1, std::max(width, height) / std::max<int64_t>(1, keepSide));
  while (!withinBudget(static_cast<uint64_t>(ceilDiv(width, factor)),
                       static_cast<uint64_t>(ceilDiv(height, factor))))
    ++factor;
  return factor;
}

// Takes a picture's gray rows one at a time, top first, and keeps it reduced
// by `factor` each way: every kept pixel is the rounded mean of its factor ×
// factor block (fewer pixels at the right and bottom edges). Factor 1 keeps
// the rows as they are.
class RowShrinker {
public:
  RowShrinker(int64_t width, int64_t height, int64_t factor)
      : width_(width), factor_(factor), outWidth_(ceilDiv(width, factor)),
        outHeight_(ceilDiv(height, factor)), sums_(factor > 1 ? outWidth_ : 0),
        pixels_(static_cast<size_t>(outWidth_ * outHeight_)) {}

  void add(const uint8_t *row) {
    if (row_ >= outHeight_ * factor_)
      return;
    if (factor_ == 1) {
      std::memcpy(pixels_.data() + row_ * width_, row, static_cast<size_t>(width_));
    } else {
      for (int64_t x = 0; x < width_; ++x)
        sums_[static_cast<size_t>(x / factor_)] += row[x];
      if ((row_ + 1) % factor_ == 0)
        flush(factor_);
    }
    ++row_;
  }

  // The reduced picture; rows never added stay white.
  GrayImage finished() && {
    if (factor_ > 1 && row_ % factor_ != 0)
      flush(row_ % factor_);
    const size_t filled = static_cast<size_t>(ceilDiv(row_, factor_) * outWidth_);
    std::fill(pixels_.begin() + static_cast<ptrdiff_t>(std::min(filled, pixels_.size())),
              pixels_.end(), uint8_t{255});
    return GrayImage(outWidth_, outHeight_, std::move(pixels_));
  }

private:
  void flush(int64_t rows) {
    uint8_t *out = pixels_.data() + (row_ / factor_) * outWidth_;
    for (int64_t x = 0; x < outWidth_; ++x) {
      const auto count = static_cast<uint64_t>(rows * std::min(factor_, width_ - x * factor_));
      out[x] = static_cast<uint8_t>((sums_[static_cast<size_t>(x)] + count / 2) / count);
      sums_[static_cast<size_t>(x)] = 0;
    }
  }

  int64_t width_, factor_, outWidth_, outHeight_;
  int64_t row_ = 0;
  std::vector<uint64_t> sums_;
  std::vector<uint8_t> pixels_;
};

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
      !claimable(static_cast<uint64_t>(width), static_cast<uint64_t>(height)))
    return std::nullopt;
  // A progressive JPEG keeps every coefficient of the picture until its last scan, so
  // one beyond the budget would be held whole whatever the scale.
  if (isProgressive(data) &&
      !withinBudget(static_cast<uint64_t>(width), static_cast<uint64_t>(height)))
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

void pngQuiet(png_structp png, png_const_charp) {
  png_longjmp(png, 1);
}
void pngQuietWarning(png_structp, png_const_charp) {}

struct PngInput {
  std::span<const uint8_t> data;
  size_t offset = 0;
};

void pngRead(png_structp png, png_bytep out, png_size_t size) {
  auto *input = static_cast<PngInput *>(png_get_io_ptr(png));
  if (size > input->data.size() - input->offset)
    png_error(png, "truncated");
  std::memcpy(out, input->data.data() + input->offset, size);
  input->offset += size;
}

void pngWrite(png_structp png, png_bytep data, png_size_t size) {
  auto *out = static_cast<Bytes *>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + size);
}

// libpng's state for one read or one write, freed however the function using it leaves.
// The function sets its own jump point: libpng jumps back into the frame that set it.
class PngSession {
public:
  explicit PngSession(bool writing) : writing_(writing) {
    png = writing
              ? png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, pngQuiet, pngQuietWarning)
              : png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, pngQuiet, pngQuietWarning);
    if (png)
      info = png_create_info_struct(png);
  }
  ~PngSession() {
    if (writing_)
      png_destroy_write_struct(&png, &info);
    else
      png_destroy_read_struct(&png, &info, nullptr);
  }
  PngSession(const PngSession &) = delete;
  PngSession &operator=(const PngSession &) = delete;

  bool ready() const { return png && info; }

  png_structp png = nullptr;
  png_infop info = nullptr;

private:
  bool writing_;
};

// A PNG beyond the budget, read a row at a time and reduced by `factor` as it
// goes. Interlaced pictures need every row at once and are refused.
std::optional<GrayImage> decodePngReduced(std::span<const uint8_t> data, int64_t factor) {
  PngSession session(false);
  if (!session.ready())
    return std::nullopt;
  png_structp png = session.png;
  png_infop info = session.info;
  PngInput input{data};
  // Whatever owns memory is declared before the jump point, so a jump back on
  // an error still frees it on the way out.
  std::optional<RowShrinker> shrinker;
  std::vector<uint8_t> rgba, gray;
  if (setjmp(png_jmpbuf(png)))
    return std::nullopt;
  png_set_read_fn(png, &input, pngRead);
  png_read_info(png, info);
  const int64_t width = png_get_image_width(png, info), height = png_get_image_height(png, info);
  if (png_get_interlace_type(png, info) != PNG_INTERLACE_NONE)
    return std::nullopt;
  png_set_expand(png);
  png_set_scale_16(png);
  png_set_gray_to_rgb(png);
  png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
  png_read_update_info(png, info);
  if (png_get_rowbytes(png, info) != static_cast<size_t>(4 * width))
    return std::nullopt;
  shrinker.emplace(width, height, factor);
  rgba.resize(static_cast<size_t>(4 * width));
  gray.resize(static_cast<size_t>(width));
  for (int64_t y = 0; y < height; ++y) {
    png_read_row(png, rgba.data(), nullptr);
    for (int64_t x = 0; x < width; ++x) {
      const uint8_t *p = &rgba[static_cast<size_t>(4 * x)];
      gray[static_cast<size_t>(x)] = overWhite(luma(p[0], p[1], p[2]), p[3]);
    }
    shrinker->add(gray.data());
  }
  return std::move(*shrinker).finished();
}

std::optional<GrayImage> decodePng(std::span<const uint8_t> data, int64_t keepSide) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, data.data(), data.size()))
    return std::nullopt;
  image.format = PNG_FORMAT_RGBA;
  if (!withinBudget(image.width, image.height)) {
    png_image_free(&image);
    if (!claimable(image.width, image.height))
      return std::nullopt;
    return decodePngReduced(data, reductionFor(image.width, image.height, keepSide));
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

using TiffHandle = std::unique_ptr<TIFF, void (*)(TIFF *)>;

using TiffOptions = std::unique_ptr<TIFFOpenOptions, void (*)(TIFFOpenOptions *)>;

TiffOptions tiffOptions() {
  TiffOptions options(TIFFOpenOptionsAlloc(), TIFFOpenOptionsFree);
  TIFFOpenOptionsSetErrorHandlerExtR(options.get(), tiffQuiet, nullptr);
  TIFFOpenOptionsSetWarningHandlerExtR(options.get(), tiffQuiet, nullptr);
  // A damaged strip or tile size must not make libtiff ask for gigabytes: no
  // single buffer larger than the biggest picture we decode whole, in RGBA.
  TIFFOpenOptionsSetMaxSingleMemAlloc(options.get(), static_cast<tmsize_t>(4 * maxDecodedPixels));
  return options;
}

TiffHandle openTiff(MemoryFile &file) {
  const TiffOptions options = tiffOptions();
  return TiffHandle(TIFFClientOpenExt("memory", "rm", &file, tiffRead, tiffWrite, tiffSeek,
                                      tiffClose, tiffSize, tiffMap, tiffUnmap, options.get()),
                    TIFFClose);
}

// A TIFF file opened where it lies, so reading its directories reads nothing else.
TiffHandle openTiff(const std::filesystem::path &path) {
  const TiffOptions options = tiffOptions();
  return TiffHandle(TIFFOpenExt(path.c_str(), "rm", options.get()), TIFFClose);
}

// The directories that hold pages, in file order: every one but the reduced
// previews some writers add.
std::vector<tdir_t> tiffPages(TIFF *tiff) {
  std::vector<tdir_t> pages;
  const tdir_t count = TIFFNumberOfDirectories(tiff);
  for (tdir_t directory = 0; directory < count; ++directory) {
    uint32_t kind = 0;
    if (!TIFFSetDirectory(tiff, directory))
      break;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SUBFILETYPE, &kind);
    if (!(kind & FILETYPE_REDUCEDIMAGE))
      pages.push_back(directory);
  }
  return pages;
}

// Rows read together: whole strips or rows of tiles, so each is decoded once,
// unless one strip alone is too large to hold in RGBA.
uint32_t tiffBandRows(TIFF *tiff, uint32_t width, uint32_t height) {
  uint32_t unit = 0;
  if (TIFFIsTiled(tiff))
    TIFFGetField(tiff, TIFFTAG_TILELENGTH, &unit);
  else
    TIFFGetFieldDefaulted(tiff, TIFFTAG_ROWSPERSTRIP, &unit);
  unit = std::clamp<uint32_t>(unit, 1, height);
  constexpr uint64_t bandPixels = 4'000'000, largestUnit = 16'000'000;
  if (uint64_t{unit} * width > largestUnit)
    return static_cast<uint32_t>(std::max<uint64_t>(1, bandPixels / width));
  return unit * std::max<uint32_t>(1, static_cast<uint32_t>(bandPixels / (uint64_t{unit} * width)));
}

std::optional<GrayImage> decodeTiff(std::span<const uint8_t> data, int64_t keepSide, int index) {
  MemoryFile file{data};
  TiffHandle tiff = openTiff(file);
  if (!tiff)
    return std::nullopt;
  const std::vector<tdir_t> pages = tiffPages(tiff.get());
  if (index < 0 || static_cast<size_t>(index) >= pages.size() ||
      !TIFFSetDirectory(tiff.get(), pages[static_cast<size_t>(index)]))
    return std::nullopt;
  uint32_t w = 0, h = 0;
  uint16_t orientation = ORIENTATION_TOPLEFT;
  if (!TIFFGetField(tiff.get(), TIFFTAG_IMAGEWIDTH, &w) ||
      !TIFFGetField(tiff.get(), TIFFTAG_IMAGELENGTH, &h) || !claimable(w, h))
    return std::nullopt;
  TIFFGetFieldDefaulted(tiff.get(), TIFFTAG_ORIENTATION, &orientation);
  if (orientation < 1 || orientation > 8)
    orientation = ORIENTATION_TOPLEFT;
  char message[1024];
  TIFFRGBAImage reader{};
  if (!TIFFRGBAImageOK(tiff.get(), message) || !TIFFRGBAImageBegin(&reader, tiff.get(), 0, message))
    return std::nullopt;
  std::unique_ptr<TIFFRGBAImage, void (*)(TIFFRGBAImage *)> end(&reader, TIFFRGBAImageEnd);
  // Asking for the file's own orientation gives the rows as stored; the
  // orientation is then applied the same way as for JPEG.
  reader.req_orientation = orientation;
  RowShrinker shrinker(w, h, reductionFor(w, h, keepSide));
  const uint32_t band = tiffBandRows(tiff.get(), w, h);
  std::vector<uint32_t> raster(size_t{band} * w);
  std::vector<uint8_t> gray(w);
  for (uint32_t top = 0; top < h; top += band) {
    const uint32_t rows = std::min(band, h - top);
    reader.row_offset = static_cast<int>(top);
    reader.col_offset = 0;
    if (!TIFFRGBAImageGet(&reader, raster.data(), w, rows))
      return std::nullopt;
    for (uint32_t row = 0; row < rows; ++row) {
      const uint32_t *in = raster.data() + size_t{row} * w;
      for (uint32_t x = 0; x < w; ++x) {
        // libtiff hands back premultiplied colour, so white shows through as 255 − alpha.
        const uint32_t p = in[x];
        const unsigned value = luma(TIFFGetR(p), TIFFGetG(p), TIFFGetB(p)) + (255 - TIFFGetA(p));
        gray[x] = static_cast<uint8_t>(std::min(255u, value));
      }
      shrinker.add(gray.data());
    }
  }
  return oriented(std::move(shrinker).finished(), orientation);
}

int tiffPageCount(const TiffHandle &tiff) {
  return tiff ? static_cast<int>(tiffPages(tiff.get()).size()) : 0;
}

int tiffPageCount(std::span<const uint8_t> data) {
  MemoryFile file{data};
  return tiffPageCount(openTiff(file));
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

enum class Format { none, jpeg, png, tiff, heif };

Format formatOf(std::span<const uint8_t> data) {
  if (startsWith(data, {0xFF, 0xD8, 0xFF}))
    return Format::jpeg;
  if (startsWith(data, {0x89, 'P', 'N', 'G'}))
    return Format::png;
  if (startsWith(data, {'I', 'I', 42, 0}) || startsWith(data, {'M', 'M', 0, 42}) ||
      startsWith(data, {'I', 'I', 43, 0}) || startsWith(data, {'M', 'M', 0, 43}))
    return Format::tiff;
  if (looksLikeHeif(data))
    return Format::heif;
  return Format::none;
}

} // namespace

bool isPng(std::span<const uint8_t> data) {
  return formatOf(data) == Format::png;
}

int imageCount(std::span<const uint8_t> data) {
  switch (formatOf(data)) {
  case Format::none:
    return 0;
  case Format::tiff:
    return tiffPageCount(data);
  default:
    return 1;
  }
}

int imageCountOfFile(const std::filesystem::path &path) {
  std::ifstream file(path, std::ios::binary);
  Bytes signature(16);
  file.read(reinterpret_cast<char *>(signature.data()),
            static_cast<std::streamsize>(signature.size()));
  signature.resize(static_cast<size_t>(std::max<std::streamsize>(file.gcount(), 0)));
  if (formatOf(signature) == Format::tiff)
    return tiffPageCount(openTiff(path));
  return imageCount(signature);
}

std::optional<GrayImage> decode(std::span<const uint8_t> data, int64_t keepSide,
                                bool applyOrientation, int index) {
  const Format format = formatOf(data);
  if (format == Format::tiff)
    return decodeTiff(data, keepSide, index);
  if (index != 0)
    return std::nullopt;
  switch (format) {
  case Format::jpeg:
    return decodeJpeg(data, keepSide, applyOrientation);
  case Format::png:
    return decodePng(data, keepSide);
  case Format::heif:
    return decodeHeif(data);
  default:
    return std::nullopt;
  }
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
  PngSession session(true);
  if (!session.ready())
    return std::nullopt;
  png_structp png = session.png;
  png_infop info = session.info;
  Bytes bytes;
  bytes.reserve(image.pixels.size() / 2);
  if (setjmp(png_jmpbuf(png)))
    return std::nullopt;
  png_set_write_fn(png, &bytes, pngWrite, nullptr);
  png_set_IHDR(png, info, static_cast<png_uint_32>(image.width),
               static_cast<png_uint_32>(image.height), 8, PNG_COLOR_TYPE_GRAY, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  // Crops of every page are encoded while a scan is read. Scanned gray is noise to a
  // dictionary coder: after the Paeth filter, Huffman coding alone makes files smaller than
  // zlib's fast setting in under half its time.
  png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_PAETH);
  png_set_compression_strategy(png, Z_HUFFMAN_ONLY);
  png_write_info(png, info);
  for (int64_t y = 0; y < image.height; ++y)
    png_write_row(png, image.pixels.data() + y * image.width);
  png_write_end(png, info);
  return bytes;
}

} // namespace ovalon::ImageCodecs
