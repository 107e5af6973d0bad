#pragma once

#include "model/Bytes.h"
#include "scanning/GrayImage.h"
#include "simulator/CapturedPage.h"
#include "simulator/PageCapture.h"
#include "simulator/SimulatedSheet.h"

#include <optional>
#include <vector>

namespace ovalon {

struct Exam;

// Captures simulated filled-in sheets the way a teacher does: on a copier, or with a phone
// over a desk, with the paper bent, folded, torn, doodled on or punched, in the light of the
// room. The same sheet and capture always give the same picture.
namespace CaptureSimulator {

// Page `page` (1-based) of `sheet` as `capture` takes it. Photos are as large as the framing
// says and always come with the phone's JPEG; copier pages are at the capture's resolution,
// with a JPEG when it stores them so.
CapturedPage capture(const Exam &exam, const SimulatedSheet &sheet, int page,
                     const PageCapture &capture);

// The picture a reader gets from the page: the stored JPEG decoded, else the picture itself.
GrayImage seen(const CapturedPage &page);

// A PDF titled "Scan" of every page of every sheet in order, sheet i captured with
// `captures[i]` (the last one for sheets beyond the list), each page stored as captured.
// Made page by page, so only one page is held at a time. Nothing when there are no pages or
// the PDF can't be written.
std::optional<Bytes> capturePDF(const Exam &exam, const std::vector<SimulatedSheet> &sheets,
                                const std::vector<PageCapture> &captures);

} // namespace CaptureSimulator

} // namespace ovalon
