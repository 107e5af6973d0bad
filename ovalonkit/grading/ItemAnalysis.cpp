#include "grading/ItemAnalysis.h"

#include "grading/Scoring.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace ovalon {

namespace {

double mean(const std::vector<double> &values) {
  if (values.empty())
    return 0;
  return std::accumulate(values.begin(), values.end(), 0.0) / static_cast<double>(values.size());
}

// Population variance (divide by n). Identical values give exactly 0, so that "no variance"
// is decided by the data and not by rounding noise in the mean.
double variance(const std::vector<double> &values) {
  if (values.size() < 2 || std::ranges::all_of(values, [&](double v) { return v == values[0]; }))
    return 0;
  const double m = mean(values);
  double sum = 0;
  for (double v : values)
    sum += (v - m) * (v - m);
  return sum / static_cast<double>(values.size());
}

// Pearson correlation with population moments; nothing when either side does not vary.
std::optional<double> correlation(const std::vector<double> &x, const std::vector<double> &y) {
  const double vx = variance(x);
  const double vy = variance(y);
  if (vx <= 0 || vy <= 0)
    return std::nullopt;
  const double mx = mean(x);
  const double my = mean(y);
  double sum = 0;
  for (size_t i = 0; i < x.size(); ++i)
    sum += (x[i] - mx) * (y[i] - my);
  return sum / static_cast<double>(x.size()) / std::sqrt(vx * vy);
}

// The upper and lower groups are the top and bottom 27 % of the class; too small a class
// has none.
int groupSize(int n) {
  if (n < 4)
    return 0;
  return std::max(1, static_cast<int>(std::lround(0.27 * n)));
}

double median(std::vector<double> values) {
  if (values.empty())
    return 0;
  std::ranges::sort(values);
  const size_t mid = values.size() / 2;
  return values.size() % 2 == 1 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

std::vector<ItemNote> notesFor(const ItemStats &item, int g, const std::vector<int> &upperCounts,
                               int n) {
  std::vector<ItemNote> notes;
  if (n == 0 || item.dropped || item.key.empty())
    return notes;
  if (item.p < 0.3)
    notes.push_back(ItemNote::hard());
  if (item.p > 0.95)
    notes.push_back(ItemNote::easy());
  if (g > 0 && item.discrimination < 0)
    notes.push_back(ItemNote::negative());

  const int choices = static_cast<int>(upperCounts.size());
  if (g > 0) {
    int keyedMax = 0;
    for (int c : item.key)
      if (c >= 0 && c < choices)
        keyedMax = std::max(keyedMax, upperCounts[static_cast<size_t>(c)]);
    std::optional<int> distractor;
    for (int c = 0; c < choices; ++c) {
      if (item.key.contains(c))
        continue;
      if (!distractor ||
          upperCounts[static_cast<size_t>(c)] > upperCounts[static_cast<size_t>(*distractor)])
        distractor = c;
    }
    if (distractor && upperCounts[static_cast<size_t>(*distractor)] > keyedMax)
      notes.push_back(ItemNote::strongDistractor(*distractor));
  }

  // An unchosen wrong answer says little in a small class.
  if (n >= 10)
    for (int c = 0; c < choices; ++c)
      if (!item.key.contains(c) && item.choiceCounts[static_cast<size_t>(c)] == 0)
        notes.push_back(ItemNote::unusedDistractor(c));
  return notes;
}

} // namespace

ItemAnalysis ItemAnalysis::analyze(const Exam &exam, const std::vector<ScannedSheet> &sheets) {
  std::vector<const ScannedSheet *> analysed;
  for (const ScannedSheet &sheet : sheets)
    if (!sheet.excluded)
      analysed.push_back(&sheet);
  const int n = static_cast<int>(analysed.size());

  std::vector<SheetScore> scores;
  std::vector<double> earned;
  std::vector<double> percents;
  for (const ScannedSheet *sheet : analysed) {
    scores.push_back(Scoring::score(*sheet, exam));
    earned.push_back(scores.back().earned);
    percents.push_back(scores.back().percent());
  }

  std::vector<int> ranking(static_cast<size_t>(n));
  std::iota(ranking.begin(), ranking.end(), 0);
  std::ranges::stable_sort(ranking, [&](int a, int b) {
    return earned[static_cast<size_t>(a)] > earned[static_cast<size_t>(b)];
  });
  const int g = groupSize(n);
  std::vector<bool> upper(static_cast<size_t>(n)), lower(static_cast<size_t>(n));
  for (int i = 0; i < g; ++i) {
    upper[static_cast<size_t>(ranking[static_cast<size_t>(i)])] = true;
    lower[static_cast<size_t>(ranking[static_cast<size_t>(n - 1 - i)])] = true;
  }

  const int choices = std::max(exam.choiceCount, 0);
  ItemAnalysis analysis;
  double itemVarianceSum = 0;
  int itemsInReliability = 0;
  for (size_t q = 0; q < exam.key.size(); ++q) {
    const QuestionKey &key = exam.key[q];
    ItemStats item;
    item.question = static_cast<int>(q);
    item.key = key.correct;
    item.dropped = key.dropped;
    item.count = n;
    item.choiceCounts.assign(static_cast<size_t>(choices), 0);
    std::vector<int> upperCounts(static_cast<size_t>(choices), 0);
    std::vector<double> x(static_cast<size_t>(n)), y(static_cast<size_t>(n));
    int upperCorrect = 0;
    int lowerCorrect = 0;
    for (size_t i = 0; i < static_cast<size_t>(n); ++i) {
      const SheetScore &score = scores[i];
      const std::optional<int> r = q < score.responses.size() ? score.responses[q] : std::nullopt;
      if (!r || *r < 0 || *r >= choices) {
        ++item.blankCount;
      } else {
        ++item.choiceCounts[static_cast<size_t>(*r)];
        if (upper[i])
          ++upperCounts[static_cast<size_t>(*r)];
      }
      const bool correct = q < score.correct.size() && score.correct[q] == true;
      if (correct) {
        ++item.correctCount;
        upperCorrect += upper[i];
        lowerCorrect += lower[i];
      }
      x[i] = correct ? key.points : 0;
      y[i] = score.earned - x[i];
    }
    item.p = n > 0 ? static_cast<double>(item.correctCount) / n : 0;
    item.discrimination = g > 0 ? static_cast<double>(upperCorrect - lowerCorrect) / g : 0;
    if (!key.correct.empty() && n >= 3 && !key.dropped) {
      item.pointBiserial = correlation(x, y);
      itemVarianceSum += variance(x);
      ++itemsInReliability;
    }
    item.notes = notesFor(item, g, upperCounts, n);
    analysis.items.push_back(std::move(item));
  }

  ExamSummary &summary = analysis.summary;
  summary.count = n;
  summary.mean = mean(percents);
  summary.median = median(percents);
  summary.standardDeviation = std::sqrt(variance(percents));
  if (n > 0) {
    summary.high = std::ranges::max(percents);
    summary.low = std::ranges::min(percents);
  }
  const double totalVariance = variance(earned);
  if (n > 2 && itemsInReliability > 1 && totalVariance > 0) {
    const double k = itemsInReliability;
    summary.reliability = (k / (k - 1)) * (1 - itemVarianceSum / totalVariance);
  }
  std::map<int, double> versionSums;
  for (size_t i = 0; i < static_cast<size_t>(n); ++i) {
    const int bin = std::clamp(static_cast<int>(percents[i] / 10), 0, 9);
    ++summary.histogram[static_cast<size_t>(bin)];
    versionSums[analysed[i]->version] += percents[i];
    ++summary.versionCounts[analysed[i]->version];
  }
  for (const auto &[version, sum] : versionSums)
    summary.versionMeans[version] = sum / summary.versionCounts[version];
  return analysis;
}

} // namespace ovalon
