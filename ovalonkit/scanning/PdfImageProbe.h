#pragma once

#include "scanning/GrayImage.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <set>

namespace ovalon {

// Looks inside a PDF's pages at the images they draw. The only place that
// knows the PDF structure library.
class PdfImageProbe {
public:
  // Nothing when the file cannot be parsed.
  static std::optional<PdfImageProbe> open(const std::filesystem::path &path);

  // The 1-based numbers of pages whose images are all 1-bit (at least one
  // image): a black-and-white scan that may have dropped light pencil.
  std::set<int> blackAndWhitePages() const;
  // The same for a file; none when it cannot be parsed.
  static std::set<int> blackAndWhitePages(const std::filesystem::path &path);

  // Page `index` (0-based) as `width` × `height` gray pixels decoded straight
  // from its picture, the page's rotation applied: what rendering the page at
  // that size shows (its crop box), to within resampling. Only for a page that
  // is nothing but one opaque gray or RGB image covering all that shows, as
  // scanners write them; nothing for any other page, or an image it cannot
  // decode.
  std::optional<GrayImage> pageImage(int index, int64_t width, int64_t height) const;

private:
  struct Document;
  explicit PdfImageProbe(std::shared_ptr<Document> document) : document_(std::move(document)) {}
  std::shared_ptr<Document> document_;
};

} // namespace ovalon
