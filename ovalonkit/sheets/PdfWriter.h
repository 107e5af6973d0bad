#pragma once

#include "model/Bytes.h"
#include "sheets/Canvas.h"
#include "sheets/Size.h"

#include <functional>
#include <memory>
#include <optional>
#include <string_view>

namespace ovalon {

// A PDF document built in memory, all pages of one size, with the document
// info Title (given) and Creator "Ovalon".
class PdfWriter {
public:
  // Nothing when the document cannot be opened (an empty or non-finite page size, for one).
  static std::optional<PdfWriter> open(Size pageSize, std::string_view title);

  // A one-page document drawn by `draw`; nothing on failure.
  static std::optional<Bytes> onePage(Size pageSize, std::string_view title,
                                      const std::function<void(Canvas &)> &draw);

  PdfWriter(PdfWriter &&) noexcept;
  PdfWriter &operator=(PdfWriter &&) noexcept;
  ~PdfWriter();

  Size pageSize() const;

  // The canvas of a new page, valid until endPage(). Beginning a page ends
  // one still open.
  Canvas &beginPage();
  void endPage();
  int pageCount() const;

  // Ends an open page and finishes the document: its bytes, or nothing when
  // writing failed. The writer takes no more pages afterwards.
  std::optional<Bytes> close();

private:
  struct Document;
  explicit PdfWriter(std::unique_ptr<Document> document);
  std::unique_ptr<Document> document_;
};

} // namespace ovalon
