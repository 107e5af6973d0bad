#pragma once

#include <map>
#include <optional>
#include <vector>

namespace ovalon {

// The class's score distribution; every score in percent.
struct ExamSummary {
  int count = 0;
  double mean = 0;
  double median = 0;
  double standardDeviation = 0; // population
  double high = 0;
  double low = 0;
  std::optional<double> reliability; // KR-20 / coefficient alpha on question points
  std::vector<int> histogram = std::vector<int>(10, 0); // bins of 10 points, 100 % in the last
  std::map<int, double> versionMeans;                   // version index → mean percent
  std::map<int, int> versionCounts;                     // version index → sheets

  bool operator==(const ExamSummary &) const = default;
};

} // namespace ovalon
