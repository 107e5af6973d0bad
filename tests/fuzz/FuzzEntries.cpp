#include "FuzzEntries.h"

#include "library/DocumentJSON.h"
#include "library/FileIO.h"
#include "model/CSV.h"
#include "model/Exam.h"
#include "model/RosterImport.h"
#include "scanning/Grader.h"
#include "scanning/GrayImage.h"
#include "sheets/SheetIdentity.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace ovalon::fuzz {

namespace {

// A broken promise is a finding: stop loudly so the fuzzer keeps the input.
void require(bool holds, const char *what) {
  if (!holds) {
    std::fprintf(stderr, "fuzz invariant broken: %s\n", what);
    std::abort();
  }
}

std::string_view text(Bytes data) {
  return {reinterpret_cast<const char *>(data.data()), data.size()};
}

const Exam &fuzzExam() {
  static const Exam exam = Exam::make(*Uuid::parse("6B1F0C2E-4F5A-4C3B-9D7E-1A2B3C4D5E6F"), "Fuzz",
                                      Date{}, 20, 4, 6, Paper::letter, 1);
  return exam;
}

} // namespace

void document(Bytes data) {
  auto decoded = DocumentJSON::decode(text(data));
  if (!decoded)
    return;
  auto encoded = DocumentJSON::encode(*decoded);
  require(encoded.has_value(), "a decoded document encodes");
  auto again = DocumentJSON::decode(*encoded);
  require(again.has_value(), "an encoded document decodes");
  require(*again == *decoded, "a document survives a round trip");
}

void roster(Bytes data) {
  ovalon::Bytes bytes(data.begin(), data.end());
  if (auto decoded = CSV::decodeText(bytes))
    CSV::rows(*decoded);
  auto imported = RosterImport::importData(bytes, "roster.csv");
  if (imported)
    for (const Student &student : imported->roster.students)
      require(!student.id.empty(), "every imported student has an ID");
  else
    require(!imported.error().description().empty(), "a failed import says why");
}

void identity(Bytes data) {
  auto parsed = SheetIdentity::parse(text(data));
  if (!parsed)
    return;
  require(SheetIdentity::parse(parsed->payload()) == parsed, "a payload parses back");
}

void image(Bytes data) {
  auto decoded = GrayImage::fromImageData(data);
  if (!decoded)
    return;
  require(decoded->width >= 1 && decoded->height >= 1, "a decoded image has pixels");
  require(std::max(decoded->width, decoded->height) <= 4000, "the longer side is capped");
  require(decoded->pixels.size() == static_cast<size_t>(decoded->width * decoded->height),
          "the pixel count matches the size");
}

void pdf(Bytes data) {
  static const std::filesystem::path path =
      std::filesystem::temp_directory_path() / ("ovalon-fuzz-" + std::to_string(getpid()) + ".pdf");
  if (!FileIO::writeAtomically(path, ovalon::Bytes(data.begin(), data.end())))
    return;
  auto pages = Grader::pdfPageCount(path);
  if (pages == 1) {
    auto outcomes = Grader::gradePDF(path, fuzzExam());
    require(outcomes.has_value() && outcomes->size() == 1, "a one-page PDF grades one page");
  }
  std::error_code ignored;
  std::filesystem::remove(path, ignored);
}

} // namespace ovalon::fuzz
