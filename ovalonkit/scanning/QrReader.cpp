#include "scanning/QrReader.h"

#include <ZXing/ReadBarcode.h>

#include <algorithm>

namespace ovalon::QrReader {

std::vector<QrObservation> detect(const GrayImage &image, Effort effort) {
  if (image.pixels.empty())
    return {};
  const auto width = static_cast<int>(image.width), height = static_cast<int>(image.height);
  const ZXing::ImageView view(image.pixels.data(), width, height, ZXing::ImageFormat::Lum);
  ZXing::DecodeHints hints;
  hints.setFormats(ZXing::BarcodeFormat::QRCode);
  hints.setTryHarder(effort == Effort::thorough);
  hints.setTryRotate(effort == Effort::thorough);
  // A quick look is given an image already reduced; looking at smaller copies of it as well
  // would add half again to its time.
  hints.setTryDownscale(effort == Effort::thorough);

  std::vector<QrObservation> observations;
  for (const auto &result : ZXing::ReadBarcodes(view, hints)) {
    if (!result.isValid())
      continue;
    const auto &position = result.position();
    int minX = position[0].x, maxX = minX, minY = position[0].y, maxY = minY;
    for (const auto &corner : position) {
      minX = std::min(minX, corner.x);
      maxX = std::max(maxX, corner.x);
      minY = std::min(minY, corner.y);
      maxY = std::max(maxY, corner.y);
    }
    const double w = width, h = height;
    QrObservation observation;
    observation.payload = result.text();
    observation.boundingBox = {minX / w, (h - maxY) / h, (maxX - minX) / w, (maxY - minY) / h};
    const std::array<ZXing::PointI, 4> quad{position.topLeft(), position.topRight(),
                                            position.bottomRight(), position.bottomLeft()};
    for (size_t i = 0; i < 4; ++i)
      observation.corners[i] = {static_cast<double>(quad[i].x), static_cast<double>(quad[i].y)};
    observations.push_back(std::move(observation));
  }
  return observations;
}

} // namespace ovalon::QrReader
