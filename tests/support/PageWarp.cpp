#include "support/PageWarp.h"

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

namespace ovalon::testing {

GrayImage warped(const GrayImage &page, Size paper, const PageShift &shift) {
  const double scale = static_cast<double>(page.width) / paper.width;
  cv::Mat mapX(static_cast<int>(page.height), static_cast<int>(page.width), CV_32F);
  cv::Mat mapY(mapX.size(), CV_32F);
  for (int y = 0; y < mapX.rows; ++y)
    for (int x = 0; x < mapX.cols; ++x) {
      // What shows here was printed where the shift started from; the shift is smooth, so
      // it is taken at the place it lands.
      const Point here{(x + 0.5) / scale, (y + 0.5) / scale};
      const Point moved = shift(here);
      mapX.at<float>(y, x) = static_cast<float>(x - moved.x * scale);
      mapY.at<float>(y, x) = static_cast<float>(y - moved.y * scale);
    }
  const cv::Mat source(static_cast<int>(page.height), static_cast<int>(page.width), CV_8UC1,
                       const_cast<uint8_t *>(page.pixels.data()));
  cv::Mat out;
  cv::remap(source, out, mapX, mapY, cv::INTER_LINEAR, cv::BORDER_CONSTANT, cv::Scalar(255));
  return GrayImage(out.cols, out.rows, std::vector<uint8_t>(out.datastart, out.dataend));
}

} // namespace ovalon::testing
