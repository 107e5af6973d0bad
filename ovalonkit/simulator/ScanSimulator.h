#pragma once

#include "model/Bytes.h"
#include "scanning/GrayImage.h"
#include "sheets/Canvas.h"
#include "sheets/Size.h"
#include "simulator/ScanDistortion.h"
#include "simulator/SimulatedSheet.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace ovalon {

struct Exam;
class PdfWriter;

// Draws simulated filled-in sheets as a scanner would deliver them: the printed page, a
// pencil's marks, the handwritten name and ID, then the scanner's tilt, shift, noise and dust.
namespace ScanSimulator {

// Dots per inch of the simulated scans.
inline constexpr double resolution = 150;

// Page `page` (1-based) of the sheet as filled in, at `dpi`, before scanning. The pencil's
// wobble is drawn from `seed` × 31 + page, so a sheet and seed always give the same page.
// `scribble`, when given, draws more on the paper afterwards, in points with y down.
GrayImage drawPage(const Exam &exam, const SimulatedSheet &sheet, int page, double dpi,
                   uint64_t seed, const std::function<void(Canvas &)> &scribble = {});

// `page`, a drawing of a page of `pageSize` points at `dpi`, as the scanner delivers it.
GrayImage scanned(const GrayImage &page, Size pageSize, const ScanDistortion &distortion,
                  double dpi);

// Every printed page of every sheet in order, each sheet scanned with its distortion (the
// last one given, or none, for sheets beyond the list).
std::vector<GrayImage> scanPages(const Exam &exam, const std::vector<SimulatedSheet> &sheets,
                                 const std::vector<ScanDistortion> &distortions,
                                 double dpi = resolution);

// A PDF titled "Scan" with one page per image, each drawn as an image at `dpi` centred on a
// page the size of the first: 8-bit gray, or with a `jpegQuality` of 1 to 100 a JPEG of that
// quality, as copiers store their pages. Nothing for no images or when writing fails.
std::optional<Bytes> scanPDF(const std::vector<GrayImage> &pages, double dpi = resolution,
                             int jpegQuality = 0);

// The scan PDF of the sheets, drawn page by page so only one page is held at a time.
std::optional<Bytes> scan(const Exam &exam, const std::vector<SimulatedSheet> &sheets,
                          const std::vector<ScanDistortion> &distortions, double dpi = resolution,
                          int jpegQuality = 0);

// Adds `image`, scanned at `dpi`, as the next page of `writer`, centred; stored as `jpeg`
// (the image's own encoding) when given, else as 8-bit gray.
void addScannedPage(PdfWriter &writer, const GrayImage &image, double dpi,
                    const std::optional<Bytes> &jpeg);

} // namespace ScanSimulator

} // namespace ovalon
