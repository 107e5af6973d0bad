#include "scanning/PdfImageProbe.h"

#include "scanning/ImageProcessing.h"
#include "scanning/PdfDocument.h"
#include "sheets/SheetLayout.h"
#include "sheets/SheetPDF.h"
#include "simulator/ClassSimulator.h"
#include "simulator/ScanSimulator.h"
#include "support/ScannedPdf.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

namespace ovalon {
namespace {

namespace fs = std::filesystem;

const Exam &exam() {
  static const Exam exam = [] {
    Exam e = Exam::make(*Uuid::parse("71C2D3E4-F5A6-4B7C-8D9E-0F1A2B3C4D5E"), "Probe", Date{}, 40,
                        4, 6, Paper::letter, 8);
    e.setVersionCount(2);
    return e;
  }();
  return exam;
}

// Two simulated students' pages, scanned a little crooked at `dpi`.
std::vector<GrayImage> scannedPages(double dpi) {
  const auto students = ClassSimulator::madeUpStudents(2, 6, 4);
  const auto sheets = ClassSimulator::studentSheets(exam(), students, 4);
  return ScanSimulator::scanPages(exam(), sheets,
                                  ClassSimulator::distortions(2, ScanQuality::mild, 4), dpi);
}

struct Difference {
  double mean = 0;     // mean absolute difference of gray levels
  double farShare = 0; // share of pixels more than 16 levels apart
};

// Compared in 8 × 8 blocks: the renderer resamples even at one image pixel per
// device pixel (it lands about half a pixel over), which blocks average away,
// while a picture turned, mirrored, inverted or shifted by a few pixels differs
// by far more.
Difference difference(const GrayImage &a, const GrayImage &b) {
  const GrayImage x = ImageProcessing::resizedByArea(a, a.width / 8, a.height / 8);
  const GrayImage y = ImageProcessing::resizedByArea(b, a.width / 8, a.height / 8);
  double total = 0;
  size_t far = 0;
  for (size_t i = 0; i < x.pixels.size(); ++i) {
    const int d = std::abs(int{x.pixels[i]} - int{y.pixels[i]});
    total += d;
    far += d > 16;
  }
  const auto n = static_cast<double>(x.pixels.size());
  return {total / n, static_cast<double>(far) / n};
}

// Decodes page `index` straight from its image and checks it against poppler's rendering.
void expectDecodedLikeRendered(const fs::path &path, int index) {
  const auto document = PdfDocument::open(path);
  const auto probe = PdfImageProbe::open(path);
  ASSERT_TRUE(document && probe);
  const auto size = document->renderedSize(index);
  ASSERT_TRUE(size);
  const auto decoded = probe->pageImage(index, size->first, size->second);
  const auto rendered = document->renderPage(index);
  ASSERT_TRUE(decoded) << path << " page " << index;
  ASSERT_TRUE(rendered);
  ASSERT_EQ(decoded->width, rendered->width);
  ASSERT_EQ(decoded->height, rendered->height);
  const Difference d = difference(*decoded, *rendered);
  EXPECT_LT(d.mean, 3) << path << " page " << index;
  EXPECT_LT(d.farShare, 0.02) << path << " page " << index;
}

// A one-page PDF, written by hand, drawing one image stream with `content`; `pageExtra` goes
// into the page.
Bytes imagePdf(const std::string &imageDict, const Bytes &samples, const std::string &content,
               const std::string &pageExtra = "", const std::string &resourcesExtra = "") {
  const std::vector<std::string> objects{
      "<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
      "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Contents 4 0 R /Resources << "
      "/XObject << /Im0 5 0 R >> /Font << /F1 << /Type /Font /Subtype /Type1 /BaseFont "
      "/Helvetica >> >> " +
          resourcesExtra + " >> " + pageExtra + " >>",
      "<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "\nendstream",
      "<< /Type /XObject /Subtype /Image " + imageDict + " /Length " +
          std::to_string(samples.size()) + " >>\nstream\n" +
          std::string(samples.begin(), samples.end()) + "\nendstream"};
  std::string text = "%PDF-1.4\n", xref = "xref\n0 6\n0000000000 65535 f \n";
  for (size_t i = 0; i < objects.size(); ++i) {
    const std::string offset = std::to_string(text.size());
    xref += std::string(10 - offset.size(), '0') + offset + " 00000 n \n";
    text += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
  }
  text += xref + "trailer\n<< /Size 6 /Root 1 0 R >>\nstartxref\n" + std::to_string(text.size()) +
          "\n%%EOF\n";
  return Bytes(text.begin(), text.end());
}

std::string sizeKeys(const GrayImage &image) {
  return "/Width " + std::to_string(image.width) + " /Height " + std::to_string(image.height);
}

// Ink (below mid-gray) as 0 bits, paper as 1 bits, rows padded to whole bytes.
Bytes oneBitSamples(const GrayImage &image) {
  const auto rowBytes = static_cast<size_t>((image.width + 7) / 8);
  Bytes bits(rowBytes * static_cast<size_t>(image.height), 0);
  for (int64_t y = 0; y < image.height; ++y)
    for (int64_t x = 0; x < image.width; ++x)
      if (image.at(x, y) >= 128)
        bits[static_cast<size_t>(y) * rowBytes + static_cast<size_t>(x / 8)] |=
            static_cast<uint8_t>(0x80 >> (x % 8));
  return bits;
}

const std::string fullPage = "q 612 0 0 792 0 0 cm /Im0 Do Q";

TEST(PdfImageProbe, simulatedScansDecodeLikeTheyRenderAtAnyResolutionAndTurn) {
  testing::TempDir dir;
  for (double dpi : {200.0, 150.0, 300.0}) {
    const auto path = dir / ("scan" + std::to_string(static_cast<int>(dpi)) + ".pdf");
    testing::writeBytes(path, *ScanSimulator::scanPDF(scannedPages(dpi), dpi));
    for (int index = 0; index < 2; ++index)
      expectDecodedLikeRendered(path, index);
  }
  for (int degrees : {90, 180, 270}) {
    const auto rotated = dir / ("rotated" + std::to_string(degrees) + ".pdf");
    const std::string command = "qpdf --rotate=" + std::to_string(degrees) + " '" +
                                (dir / "scan200.pdf").string() + "' '" + rotated.string() + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    expectDecodedLikeRendered(rotated, 0);
  }
}

// However the picture is encoded, placed or turned, and whatever part of the page its crop
// box shows, it decodes as the renderer draws it.
TEST(PdfImageProbe, picturesDecodeLikeTheyRender) {
  testing::TempDir dir;
  const GrayImage page = scannedPages(200).front();
  const std::string gray = sizeKeys(page) + " /ColorSpace /DeviceGray /BitsPerComponent 8";
  const std::string oneBit = sizeKeys(page) + " /ColorSpace /DeviceGray /BitsPerComponent 1";
  const std::string jpegKeys = gray + " /Filter /DCTDecode";
  const std::string upsideDown = "q 612 0 0 -792 0 792 cm /Im0 Do Q";
  const std::string uneven = "/CropBox [30 10 600 700]";
  const Bytes jpeg = *page.jpegData(0.9);
  // Renderers ignore a JPEG's own orientation tag inside a PDF, and so does the probe.
  const Bytes tagged = testing::withExifOrientation(jpeg, 6);
  const Bytes bits = oneBitSamples(page);
  Bytes inverted = bits;
  for (uint8_t &byte : inverted)
    byte = static_cast<uint8_t>(~byte);
  struct Case {
    std::string name, keys;
    const Bytes &samples;
    std::string content, pageExtra;
    std::pair<int64_t, int64_t> size; // pixels at 200 dpi
  };
  const std::vector<Case> cases{
      {"jpeg", jpegKeys, jpeg, fullPage, "", {1700, 2200}},
      {"tagged", jpegKeys, tagged, fullPage, "", {1700, 2200}},
      {"oneBitTurned", oneBit, bits, fullPage, "/Rotate 90", {2200, 1700}},
      {"inverted", oneBit + " /Decode [1 0]", inverted, fullPage, "", {1700, 2200}},
      {"mirrored", gray, page.pixels, upsideDown, "", {1700, 2200}},
      {"inset", gray, page.pixels, fullPage, "/CropBox [20 20 592 772]", {1589, 2089}},
      {"uneven", gray, page.pixels, fullPage, uneven, {1583, 1917}},
      {"unevenMirrored", gray, page.pixels, upsideDown, uneven, {1583, 1917}},
      {"unevenTurned", gray, page.pixels, fullPage, uneven + " /Rotate 90", {1917, 1583}},
      {"turnedBack", gray, page.pixels, upsideDown, uneven + " /Rotate 270", {1917, 1583}},
      {"unevenJpeg", jpegKeys, jpeg, fullPage, uneven, {1583, 1917}},
      {"beyondThePage", gray, page.pixels, fullPage, "/CropBox [-50 -50 300 300]", {833, 833}},
  };
  for (const Case &c : cases) {
    const auto path = dir / (c.name + ".pdf");
    testing::writeBytes(path, imagePdf(c.keys, c.samples, c.content, c.pageExtra));
    EXPECT_EQ(PdfDocument::open(path)->renderedSize(0), c.size) << c.name;
    expectDecodedLikeRendered(path, 0);
  }
  EXPECT_EQ(PdfImageProbe::blackAndWhitePages(dir / "oneBitTurned.pdf"), std::set<int>{1});
}

TEST(PdfImageProbe, pagesThatAreMoreThanOnePictureAreLeftToTheRenderer) {
  testing::TempDir dir;
  const GrayImage page = scannedPages(200).front();
  const std::string gray = sizeKeys(page) + " /ColorSpace /DeviceGray /BitsPerComponent 8";
  auto decodes = [&](const std::string &name, const Bytes &pdf) {
    const auto path = dir / name;
    testing::writeBytes(path, pdf);
    return PdfImageProbe::open(path)->pageImage(0, 1700, 2200).has_value();
  };
  EXPECT_TRUE(decodes("plain.pdf", imagePdf(gray, page.pixels, fullPage)));
  EXPECT_FALSE(decodes(
      "text.pdf", imagePdf(gray, page.pixels, fullPage + " BT /F1 12 Tf 72 72 Td (Note) Tj ET")));
  EXPECT_FALSE(decodes("half.pdf", imagePdf(gray, page.pixels, "q 306 0 0 792 0 0 cm /Im0 Do Q")));
  EXPECT_FALSE(
      decodes("tilted.pdf", imagePdf(gray, page.pixels, "q 0 792 -612 0 612 0 cm /Im0 Do Q")));
  EXPECT_FALSE(decodes("clipped.pdf",
                       imagePdf(gray, page.pixels, "q 0 0 300 300 re W n " + fullPage + " Q")));
  EXPECT_TRUE(decodes("framed.pdf",
                      imagePdf(gray, page.pixels, "q 0 0 612 792 re W n " + fullPage + " Q")));
  // A triangle drawn after an earlier whole-page rectangle still clips.
  EXPECT_FALSE(decodes(
      "triangle.pdf",
      imagePdf(gray, page.pixels, "0 0 612 792 re f 0 0 m 612 0 l 0 792 l h W n " + fullPage)));
  EXPECT_FALSE(decodes("faded.pdf", imagePdf(gray, page.pixels, "/Fade gs " + fullPage, "",
                                             "/ExtGState << /Fade << /ca 0.5 >> >>")));
  EXPECT_FALSE(decodes("twice.pdf", imagePdf(gray, page.pixels, fullPage + " " + fullPage)));
  EXPECT_FALSE(decodes("short.pdf", imagePdf(gray, Bytes(100, 255), fullPage)));
  // Paint beneath the picture is hidden by it; a stencil mask is not a picture of the page.
  EXPECT_TRUE(
      decodes("under.pdf", imagePdf(gray, page.pixels, "1 g 0 0 612 792 re f " + fullPage)));
  EXPECT_FALSE(decodes("mask.pdf", imagePdf(sizeKeys(page) + " /ImageMask true /BitsPerComponent 1",
                                            oneBitSamples(page), fullPage)));

  const auto vector = dir / "sheets.pdf";
  testing::writeBytes(vector, *SheetPDF::make(exam(), {SheetJob{0, 1, {}}}));
  EXPECT_FALSE(PdfImageProbe::open(vector)->pageImage(0, 1700, 2200));
  const auto mixed = dir / "mixed.pdf";
  testing::writeBytes(mixed, testing::scannedPdf({page}, {612, 792}, testing::ScanDepth::mixed));
  EXPECT_FALSE(PdfImageProbe::open(mixed)->pageImage(0, 1700, 2200));
  EXPECT_FALSE(PdfImageProbe::open(dir / "missing.pdf"));
}

} // namespace
} // namespace ovalon
