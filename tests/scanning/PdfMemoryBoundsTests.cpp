#include "scanning/Grader.h"
#include "support/TempDir.h"
#include "support/TestSheetPage.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace ovalon {
namespace {

namespace fs = std::filesystem;

// A PDF of `pages` empty one-inch pages, small on disk however many pages it has.
// Each page renders to 200 × 200 pixels and reads as blank paper.
void writeManyPagePdf(const fs::path &path, int pages) {
  std::string text = "%PDF-1.4\n";
  std::vector<size_t> offsets;
  auto add = [&](const std::string &object) {
    offsets.push_back(text.size());
    text += std::to_string(offsets.size()) + " 0 obj\n" + object + "\nendobj\n";
  };
  std::string kids;
  for (int page = 0; page < pages; ++page)
    kids += std::to_string(page + 3) + " 0 R ";
  add("<< /Type /Catalog /Pages 2 0 R >>");
  add("<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(pages) + " >>");
  for (int page = 0; page < pages; ++page)
    add("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 72 72] /Resources << >> >>");
  const size_t xref = text.size();
  text += "xref\n0 " + std::to_string(offsets.size() + 1) + "\n0000000000 65535 f \n";
  for (size_t offset : offsets) {
    std::string number = std::to_string(offset);
    text += std::string(10 - number.size(), '0') + number + " 00000 n \n";
  }
  text += "trailer\n<< /Size " + std::to_string(offsets.size() + 1) +
          " /Root 1 0 R >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
  std::ofstream(path, std::ios::binary) << text;
}

// A field of /proc/self/status in kilobytes ("VmRSS", "VmHWM").
long statusKilobytes(const std::string &field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.starts_with(field + ":"))
      return std::stol(line.substr(field.size() + 1));
  return -1;
}

struct Reading {
  long pages = 0;
  long peakGrowthKB = 0; // the highest resident size minus the size before reading
  long outcomeKB = 0;    // what the outcomes themselves hold: pictures and crops
};

// Reads the PDF in a child process, whose peak resident size belongs to this read alone.
Reading readInChild(const fs::path &pdf) {
  int channel[2];
  if (pipe(channel) != 0)
    return {};
  pid_t child = fork();
  if (child == 0) {
    close(channel[0]);
    long before = statusKilobytes("VmRSS");
    Reading reading;
    if (auto outcomes = Grader::gradePDF(pdf, testing::testExam(20, 4, 0, Paper::letter))) {
      reading.pages = static_cast<long>(outcomes->size());
      size_t bytes = 0;
      for (const PageOutcome &outcome : *outcomes) {
        bytes += sizeof(PageOutcome) + (outcome.preview ? outcome.preview->size() : 0);
        for (const auto &[position, crop] : outcome.crops)
          bytes += crop.size();
      }
      reading.outcomeKB = static_cast<long>(bytes / 1024);
    }
    reading.peakGrowthKB = statusKilobytes("VmHWM") - before;
    ssize_t written = write(channel[1], &reading, sizeof reading);
    _exit(written == sizeof reading ? 0 : 1);
  }
  close(channel[1]);
  Reading reading;
  ssize_t got = read(channel[0], &reading, sizeof reading);
  close(channel[0]);
  int status = 0;
  waitpid(child, &status, 0);
  return got == sizeof reading && WIFEXITED(status) && WEXITSTATUS(status) == 0 ? reading
                                                                                : Reading{};
}

// A 10,000-page PDF costs what its outcomes hold plus the pages in flight: reading ten
// times the pages needs no more memory than the extra outcomes and the parsed page
// objects poppler and qpdf keep (a few kilobytes a page). A rendered page kept by
// mistake would cost 40 KB a page here.
TEST(PdfMemoryBounds, tenThousandPagesNeedNoMoreThanTheirOutcomesBeyondAThousand) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the address sanitizer keeps freed memory in quarantine, so resident "
                  "size says nothing about what the reader holds";
#endif
  testing::TempDir dir;
  writeManyPagePdf(dir / "thousand.pdf", 1'000);
  writeManyPagePdf(dir / "ten-thousand.pdf", 10'000);
  ASSERT_EQ(Grader::pdfPageCount(dir / "ten-thousand.pdf"), 10'000);

  Reading small = readInChild(dir / "thousand.pdf");
  Reading large = readInChild(dir / "ten-thousand.pdf");
  ASSERT_EQ(small.pages, 1'000);
  ASSERT_EQ(large.pages, 10'000);
  const long pageObjectsKB = (large.pages - small.pages) * 8;
  EXPECT_LT(large.peakGrowthKB - small.peakGrowthKB,
            large.outcomeKB - small.outcomeKB + pageObjectsKB)
      << "1,000 pages: peak +" << small.peakGrowthKB << " KB, outcomes " << small.outcomeKB
      << " KB; 10,000 pages: peak +" << large.peakGrowthKB << " KB, outcomes " << large.outcomeKB
      << " KB";
}

} // namespace
} // namespace ovalon
