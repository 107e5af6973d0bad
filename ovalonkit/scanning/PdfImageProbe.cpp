#include "scanning/PdfImageProbe.h"

#include "scanning/ImageCodecs.h"
#include "scanning/ImageProcessing.h"

#include <qpdf/Buffer.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>

#include <algorithm>
#include <array>
#include <cmath>
#include <set>
#include <span>
#include <string>
#include <vector>

namespace ovalon {

struct PdfImageProbe::Document {
  QPDF pdf;
  std::vector<QPDFPageObjectHelper> pages;
};

namespace {

// A PDF transformation matrix [a b c d e f].
using Matrix = std::array<double, 6>;

constexpr Matrix identity{1, 0, 0, 1, 0, 0};

// `m` applied first, then `ctm`: what the cm operator makes of the current matrix.
Matrix concatenated(const Matrix &m, const Matrix &ctm) {
  return {m[0] * ctm[0] + m[1] * ctm[2],          m[0] * ctm[1] + m[1] * ctm[3],
          m[2] * ctm[0] + m[3] * ctm[2],          m[2] * ctm[1] + m[3] * ctm[3],
          m[4] * ctm[0] + m[5] * ctm[2] + ctm[4], m[4] * ctm[1] + m[5] * ctm[3] + ctm[5]};
}

bool isOneBit(QPDFObjectHandle image) {
  QPDFObjectHandle dict = image.getDict();
  QPDFObjectHandle bits = dict.getKey("/BitsPerComponent");
  QPDFObjectHandle mask = dict.getKey("/ImageMask");
  int bitsPerComponent = bits.isInteger() ? bits.getIntValueAsInt() : 8;
  bool imageMask = mask.isBool() && mask.getBoolValue();
  return bitsPerComponent == 1 || imageMask;
}

bool isImage(QPDFObjectHandle object) {
  if (!object.isStream())
    return false;
  QPDFObjectHandle subtype = object.getDict().getKey("/Subtype");
  return subtype.isName() && subtype.getName() == "/Image";
}

// Whether the resources hold any picture at all: a printed page that holds none is
// known not to be a scan without reading its drawing.
bool holdsAnImage(QPDFObjectHandle resources) {
  QPDFObjectHandle xobjects = resources.getKey("/XObject");
  if (!xobjects.isDictionary())
    return false;
  for (const auto &[name, object] : xobjects.ditems())
    if (isImage(object))
      return true;
  return false;
}

std::optional<std::array<double, 4>> rectangleOf(QPDFObjectHandle box) {
  if (!box.isArray() || box.getArrayNItems() != 4)
    return std::nullopt;
  std::array<double, 4> values{};
  for (int i = 0; i < 4; ++i) {
    QPDFObjectHandle item = box.getArrayItem(i);
    if (!item.isNumber())
      return std::nullopt;
    values[static_cast<size_t>(i)] = item.getNumericValue();
  }
  return std::array<double, 4>{std::min(values[0], values[2]), std::min(values[1], values[3]),
                               std::max(values[0], values[2]), std::max(values[1], values[3])};
}

// Walks a page's content and keeps the one image it draws, with the matrix it
// is drawn under. Anything that could show besides that image (a second image,
// paint after it, text, a form, transparency, a partial clip) rules the page out.
class SoleImageFinder : public QPDFObjectHandle::ParserCallbacks {
public:
  SoleImageFinder(QPDFObjectHandle resources, std::array<double, 4> box)
      : resources_(std::move(resources)), box_(box) {}

  std::optional<std::pair<QPDFObjectHandle, Matrix>> result() const {
    if (ruledOut_ || !image_)
      return std::nullopt;
    return std::pair{*image_, matrix_};
  }

  void handleObject(QPDFObjectHandle object) override {
    if (ruledOut_)
      return;
    if (!object.isOperator()) {
      operands_.push_back(object);
      return;
    }
    operate(object.getOperatorValue());
    operands_.clear();
    // The rest of a page that is more than one picture needn't be read.
    if (ruledOut_)
      terminateParsing();
  }

  void handleEOF() override {}

private:
  void operate(const std::string &op) {
    if (op == "q") {
      stack_.push_back(ctm_);
    } else if (op == "Q") {
      if (!stack_.empty()) {
        ctm_ = stack_.back();
        stack_.pop_back();
      }
    } else if (op == "cm") {
      std::optional<Matrix> m = numbers();
      if (!m)
        ruledOut_ = true;
      else
        ctm_ = concatenated(*m, ctm_);
    } else if (op == "re") {
      // A second rectangle makes the path more than one rectangle.
      otherPath_ = otherPath_ || !pathRectangle_.empty();
      pathRectangle_ = operands_;
    } else if (op == "m" || op == "l" || op == "c" || op == "v" || op == "y" || op == "h") {
      otherPath_ = true;
    } else if (op == "W" || op == "W*") {
      ruledOut_ = !clipsNothing();
    } else if (op == "gs") {
      ruledOut_ = !plainGraphicsState();
    } else if (op == "Do") {
      drawObject();
    } else if (isPaint(op) || op == "n") {
      // Paint beneath an opaque full-page image is hidden; paint above it is not.
      ruledOut_ = op != "n" && image_.has_value();
      pathRectangle_.clear();
      otherPath_ = false;
    } else if (op == "BI" || op == "ID" || op == "EI" || op == "Tj" || op == "TJ" || op == "'" ||
               op == "\"" || op == "sh" || op == "BX" || op == "d0" || op == "d1") {
      ruledOut_ = true;
    }
  }

  static bool isPaint(const std::string &op) {
    static const std::set<std::string> paints{"f", "F", "f*", "B", "B*", "b", "b*", "S", "s"};
    return paints.contains(op);
  }

  std::optional<Matrix> numbers() {
    if (operands_.size() != 6)
      return std::nullopt;
    Matrix m{};
    for (size_t i = 0; i < 6; ++i) {
      if (!operands_[i].isNumber())
        return std::nullopt;
      m[i] = operands_[i].getNumericValue();
    }
    return m;
  }

  // A clip to a rectangle at least as large as the page changes nothing.
  bool clipsNothing() {
    if (otherPath_ || pathRectangle_.size() != 4 ||
        std::ranges::any_of(pathRectangle_, [](auto &o) { return !o.isNumber(); }))
      return false;
    const double x = pathRectangle_[0].getNumericValue(), y = pathRectangle_[1].getNumericValue();
    const double w = pathRectangle_[2].getNumericValue(), h = pathRectangle_[3].getNumericValue();
    std::array<double, 4> xs{}, ys{};
    const std::array<std::array<double, 2>, 4> corners{
        {{x, y}, {x + w, y}, {x, y + h}, {x + w, y + h}}};
    for (size_t i = 0; i < 4; ++i) {
      xs[i] = ctm_[0] * corners[i][0] + ctm_[2] * corners[i][1] + ctm_[4];
      ys[i] = ctm_[1] * corners[i][0] + ctm_[3] * corners[i][1] + ctm_[5];
    }
    const bool axisAligned = std::abs(ctm_[1]) < 1e-9 && std::abs(ctm_[2]) < 1e-9;
    return axisAligned && *std::ranges::min_element(xs) <= box_[0] + tolerance &&
           *std::ranges::min_element(ys) <= box_[1] + tolerance &&
           *std::ranges::max_element(xs) >= box_[2] - tolerance &&
           *std::ranges::max_element(ys) >= box_[3] - tolerance;
  }

  // Graphics states that only set line styles or flatness are harmless;
  // blending, alpha and soft masks are not.
  bool plainGraphicsState() {
    if (operands_.size() != 1 || !operands_[0].isName())
      return false;
    QPDFObjectHandle states = resources_.getKey("/ExtGState");
    QPDFObjectHandle state =
        states.isDictionary() ? states.getKey(operands_[0].getName()) : QPDFObjectHandle();
    if (!state.isDictionary())
      return false;
    for (const char *alpha : {"/CA", "/ca"}) {
      QPDFObjectHandle value = state.getKey(alpha);
      if (value.isNumber() && value.getNumericValue() < 1)
        return false;
    }
    QPDFObjectHandle blend = state.getKey("/BM");
    if (!blend.isNull() &&
        !(blend.isName() && (blend.getName() == "/Normal" || blend.getName() == "/Compatible")))
      return false;
    QPDFObjectHandle softMask = state.getKey("/SMask");
    return softMask.isNull() || (softMask.isName() && softMask.getName() == "/None");
  }

  void drawObject() {
    if (image_ || operands_.size() != 1 || !operands_[0].isName()) {
      ruledOut_ = true;
      return;
    }
    QPDFObjectHandle xobjects = resources_.getKey("/XObject");
    QPDFObjectHandle object =
        xobjects.isDictionary() ? xobjects.getKey(operands_[0].getName()) : QPDFObjectHandle();
    if (!isImage(object)) {
      ruledOut_ = true;
      return;
    }
    image_ = object;
    matrix_ = ctm_;
  }

  static constexpr double tolerance = 1; // points

  QPDFObjectHandle resources_;
  std::array<double, 4> box_;
  Matrix ctm_ = identity;
  std::vector<Matrix> stack_;
  std::vector<QPDFObjectHandle> operands_;
  std::vector<QPDFObjectHandle> pathRectangle_; // the path being built, when one rectangle
  bool otherPath_ = false;
  std::optional<QPDFObjectHandle> image_;
  Matrix matrix_ = identity;
  bool ruledOut_ = false;
};

std::vector<std::string> filtersOf(QPDFObjectHandle dict) {
  QPDFObjectHandle filter = dict.getKey("/Filter");
  std::vector<std::string> names;
  if (filter.isName())
    names.push_back(filter.getName());
  else if (filter.isArray())
    for (QPDFObjectHandle item : filter.getArrayAsVector())
      names.push_back(item.isName() ? item.getName() : "");
  return names;
}

// Components per pixel of a gray or RGB colour space; nothing for any other.
std::optional<int> componentsOf(QPDFObjectHandle space) {
  if (space.isName()) {
    if (space.getName() == "/DeviceGray" || space.getName() == "/CalGray")
      return 1;
    if (space.getName() == "/DeviceRGB" || space.getName() == "/CalRGB")
      return 3;
    return std::nullopt;
  }
  if (space.isArray() && space.getArrayNItems() >= 2 && space.getArrayItem(0).isName()) {
    const std::string family = space.getArrayItem(0).getName();
    if (family == "/CalGray")
      return 1;
    if (family == "/CalRGB")
      return 3;
    QPDFObjectHandle stream = space.getArrayItem(1);
    if (family == "/ICCBased" && stream.isStream()) {
      QPDFObjectHandle n = stream.getDict().getKey("/N");
      if (n.isInteger() && (n.getIntValue() == 1 || n.getIntValue() == 3))
        return n.getIntValueAsInt();
    }
  }
  return std::nullopt;
}

// Whether a /Decode array inverts a 1-bit gray image; nothing when it does
// something else.
std::optional<bool> decodeInverts(QPDFObjectHandle decode, int components) {
  if (decode.isNull())
    return false;
  if (!decode.isArray() || decode.getArrayNItems() != 2 * components)
    return std::nullopt;
  bool allDefault = true, allInverted = true;
  for (int i = 0; i < 2 * components; ++i) {
    QPDFObjectHandle item = decode.getArrayItem(i);
    if (!item.isNumber())
      return std::nullopt;
    const double value = item.getNumericValue();
    allDefault = allDefault && value == (i % 2 == 0 ? 0 : 1);
    allInverted = allInverted && value == (i % 2 == 0 ? 1 : 0);
  }
  if (allDefault)
    return false;
  if (allInverted && components == 1)
    return true;
  return std::nullopt;
}

// Raw samples of `width` × `height` pixels as 8-bit luminance, with the
// weights a PDF renderer uses for RGB.
std::optional<GrayImage> samplesToGray(std::span<const uint8_t> data, int64_t width, int64_t height,
                                       int components, int bits, bool inverted) {
  const auto w = static_cast<size_t>(width), h = static_cast<size_t>(height);
  const size_t rowBytes = bits == 1 ? (w + 7) / 8 : w * static_cast<size_t>(components);
  if (data.size() < rowBytes * h)
    return std::nullopt;
  std::vector<uint8_t> gray(w * h);
  for (size_t y = 0; y < h; ++y) {
    const uint8_t *row = data.data() + y * rowBytes;
    uint8_t *out = gray.data() + y * w;
    if (bits == 1) {
      for (size_t x = 0; x < w; ++x) {
        const bool set = (row[x / 8] >> (7 - x % 8)) & 1;
        out[x] = set != inverted ? 255 : 0;
      }
    } else if (components == 1) {
      std::copy_n(row, w, out);
    } else {
      for (size_t x = 0; x < w; ++x) {
        const uint8_t *p = row + 3 * x;
        out[x] = static_cast<uint8_t>(std::lround(0.3 * p[0] + 0.59 * p[1] + 0.11 * p[2]));
      }
    }
  }
  return GrayImage(width, height, std::move(gray));
}

// The image's pixels as stored, before any placement; nothing for what only
// a full renderer can decode.
std::optional<GrayImage> decodedImage(QPDFObjectHandle image, int64_t keepSide) {
  QPDFObjectHandle dict = image.getDict();
  for (const char *key : {"/ImageMask", "/SMask", "/Mask", "/SMaskInData"}) {
    QPDFObjectHandle value = dict.getKey(key);
    if (!value.isNull() && !(value.isBool() && !value.getBoolValue()) &&
        !(value.isInteger() && value.getIntValue() == 0))
      return std::nullopt;
  }
  QPDFObjectHandle widthObject = dict.getKey("/Width"), heightObject = dict.getKey("/Height");
  QPDFObjectHandle bitsObject = dict.getKey("/BitsPerComponent");
  if (!widthObject.isInteger() || !heightObject.isInteger() || !bitsObject.isInteger())
    return std::nullopt;
  const int64_t width = widthObject.getIntValue(), height = heightObject.getIntValue();
  const int bits = bitsObject.getIntValueAsInt();
  const std::optional<int> components = componentsOf(dict.getKey("/ColorSpace"));
  if (width < 1 || height < 1 || width > 30000 || height > 30000 || !components ||
      (bits != 8 && !(bits == 1 && *components == 1)))
    return std::nullopt;
  const std::optional<bool> inverted = decodeInverts(dict.getKey("/Decode"), *components);
  if (!inverted || (*inverted && bits != 1))
    return std::nullopt;

  const std::vector<std::string> filters = filtersOf(dict);
  if (filters.size() == 1 && filters[0] == "/DCTDecode") {
    // The JPEG decoder turns colour into luminance itself, and may decode at
    // a reduced scale when the picture is larger than the page needs.
    std::shared_ptr<Buffer> raw = image.getRawStreamData();
    std::optional<GrayImage> decoded =
        ImageCodecs::decode(std::span(raw->getBuffer(), raw->getSize()), keepSide, false);
    // The JPEG must be the picture the dictionary describes, if decoded smaller.
    if (!decoded || decoded->width > width || decoded->height > height ||
        std::abs(decoded->width * height - decoded->height * width) > std::max(width, height))
      return std::nullopt;
    return decoded;
  }
  if (std::ranges::any_of(filters, [](const std::string &f) {
        return f != "/FlateDecode" && f != "/LZWDecode" && f != "/RunLengthDecode" &&
               f != "/ASCIIHexDecode" && f != "/ASCII85Decode";
      }))
    return std::nullopt;
  // Raw samples are decoded whole: a picture too large to hold is left to the
  // renderer, which reads it a row at a time.
  if (width * height > 64'000'000)
    return std::nullopt;
  std::shared_ptr<Buffer> data = image.getStreamData(qpdf_dl_specialized);
  return samplesToGray(std::span<const uint8_t>(data->getBuffer(), data->getSize()), width, height,
                       *components, bits, *inverted);
}

// What shows of a page: its crop box within its media box, as renderers draw it.
std::optional<std::array<double, 4>> visibleBox(QPDFPageObjectHelper &page) {
  const auto mediaBox = rectangleOf(page.getAttribute("/MediaBox", false));
  if (!mediaBox)
    return std::nullopt;
  QPDFObjectHandle cropObject = page.getAttribute("/CropBox", false);
  if (cropObject.isNull())
    return mediaBox;
  const auto cropBox = rectangleOf(cropObject);
  if (!cropBox)
    return std::nullopt;
  const std::array<double, 4> box{
      std::max((*mediaBox)[0], (*cropBox)[0]), std::max((*mediaBox)[1], (*cropBox)[1]),
      std::min((*mediaBox)[2], (*cropBox)[2]), std::min((*mediaBox)[3], (*cropBox)[3])};
  if (box[2] - box[0] <= 1 || box[3] - box[1] <= 1)
    return std::nullopt;
  return box;
}

// The shares of a picture's width and height that lie beyond each side of
// what shows of the page.
struct Margins {
  double left = 0, right = 0, top = 0, bottom = 0;
  bool any = false; // some side reaches beyond the box by more than the slack
};

// Nothing when the picture leaves part of the box uncovered.
std::optional<Margins> marginsBeyond(const std::array<double, 4> &box,
                                     const std::array<double, 4> &picture) {
  constexpr double slack = 1; // points
  const double width = picture[2] - picture[0], height = picture[3] - picture[1];
  const std::array<double, 4> beyond{box[0] - picture[0], picture[2] - box[2], picture[3] - box[3],
                                     box[1] - picture[1]};
  if (width <= 0 || height <= 0 ||
      std::ranges::any_of(beyond, [](double points) { return points < -slack; }))
    return std::nullopt;
  Margins margins;
  margins.any = std::ranges::any_of(beyond, [](double points) { return points > slack; });
  if (margins.any) {
    margins.left = std::max(0.0, beyond[0]) / width;
    margins.right = std::max(0.0, beyond[1]) / width;
    margins.top = std::max(0.0, beyond[2]) / height;
    margins.bottom = std::max(0.0, beyond[3]) / height;
  }
  return margins;
}

} // namespace

std::optional<PdfImageProbe> PdfImageProbe::open(const std::filesystem::path &path) {
  try {
    auto document = std::make_shared<Document>();
    document->pdf.setSuppressWarnings(true);
    document->pdf.processFile(path.c_str());
    document->pages = QPDFPageDocumentHelper(document->pdf).getAllPages();
    return PdfImageProbe(std::move(document));
  } catch (const std::exception &) {
    return std::nullopt;
  }
}

std::set<int> PdfImageProbe::blackAndWhitePages() const {
  std::set<int> pages;
  try {
    int number = 0;
    for (QPDFPageObjectHelper &page : document_->pages) {
      ++number;
      // Resources may be inherited from the page tree.
      QPDFObjectHandle resources = page.getAttribute("/Resources", false);
      if (!resources.isDictionary())
        continue;
      QPDFObjectHandle xobjects = resources.getKey("/XObject");
      if (!xobjects.isDictionary())
        continue;
      int images = 0;
      int oneBit = 0;
      for (const std::string &key : xobjects.getKeys()) {
        QPDFObjectHandle object = xobjects.getKey(key);
        if (!isImage(object))
          continue;
        ++images;
        oneBit += isOneBit(object);
      }
      if (images > 0 && images == oneBit)
        pages.insert(number);
    }
  } catch (const std::exception &) {
    // A file qpdf cannot read has no pages it can vouch for.
  }
  return pages;
}

std::set<int> PdfImageProbe::blackAndWhitePages(const std::filesystem::path &path) {
  const std::optional<PdfImageProbe> probe = open(path);
  return probe ? probe->blackAndWhitePages() : std::set<int>{};
}

std::optional<GrayImage> PdfImageProbe::pageImage(int index, int64_t width, int64_t height) const {
  if (index < 0 || static_cast<size_t>(index) >= document_->pages.size() || width < 1 || height < 1)
    return std::nullopt;
  try {
    QPDFPageObjectHelper &page = document_->pages[static_cast<size_t>(index)];
    const auto box = visibleBox(page);
    QPDFObjectHandle resources = page.getAttribute("/Resources", false);
    if (!box || !resources.isDictionary() || !holdsAnImage(resources))
      return std::nullopt;
    QPDFObjectHandle rotateObject = page.getAttribute("/Rotate", false);
    const int rotate = rotateObject.isInteger() ? rotateObject.getIntValueAsInt() : 0;
    if (rotate % 90 != 0)
      return std::nullopt;

    SoleImageFinder finder(resources, *box);
    page.parseContents(&finder);
    const auto found = finder.result();
    if (!found)
      return std::nullopt;
    const auto &[image, m] = *found;
    // Only pictures placed upright (or mirrored) over at least all that shows.
    if (std::abs(m[1]) > 1e-6 || std::abs(m[2]) > 1e-6)
      return std::nullopt;
    const std::optional<Margins> margins =
        marginsBeyond(*box, {std::min(m[4], m[4] + m[0]), std::min(m[5], m[5] + m[3]),
                             std::max(m[4], m[4] + m[0]), std::max(m[5], m[5] + m[3])});
    if (!margins)
      return std::nullopt;

    // Image rows run top-down when the matrix keeps y upward.
    const int turns = ((rotate / 90) % 4 + 4) % 4;
    const bool mirrorX = m[0] < 0, mirrorY = m[3] < 0;
    // The picture's own width and height before the page turns it, and the
    // share of each that shows: the decoder needs only enough for that part.
    const auto [uprightWidth, uprightHeight] =
        turns % 2 == 0 ? std::pair{width, height} : std::pair{height, width};
    const double shownX = 1 - margins->left - margins->right;
    const double shownY = 1 - margins->top - margins->bottom;
    const auto keepSide = static_cast<int64_t>(std::ceil(std::max(
        static_cast<double>(uprightWidth) / shownX, static_cast<double>(uprightHeight) / shownY)));
    std::optional<GrayImage> decoded = decodedImage(image, keepSide);
    if (!decoded)
      return std::nullopt;
    // A scan stored upright at the rendering resolution goes out as decoded, uncopied.
    GrayImage picture = std::move(*decoded);
    if (margins->any) {
      // The shown part in the picture's own pixels, whose first column and row
      // lie at the page's right or bottom when the picture is mirrored.
      const double left = mirrorX ? margins->right : margins->left;
      const double top = mirrorY ? margins->bottom : margins->top;
      const auto w = static_cast<double>(picture.width), h = static_cast<double>(picture.height);
      const double x0 = std::round(left * w), y0 = std::round(top * h);
      picture = picture.cropped(
          {x0, y0, std::round((left + shownX) * w) - x0, std::round((top + shownY) * h) - y0});
    }
    if (mirrorX || mirrorY || turns != 0)
      picture = ImageProcessing::reoriented(picture, mirrorX, mirrorY, turns);
    if (picture.width != width || picture.height != height)
      picture = ImageProcessing::resized(picture, width, height);
    return picture;
  } catch (const std::exception &) {
    return std::nullopt;
  }
}

} // namespace ovalon
