#include "simulator/CaptureConditions.h"

#include <algorithm>

namespace ovalon::CaptureConditions {

namespace {

using Shape = PaperWarp::Shape;

CaptureCondition copier(std::string name, std::string summary, uint64_t seed) {
  CaptureCondition condition;
  condition.name = std::move(name);
  condition.summary = std::move(summary);
  condition.medium = CaptureMedium::copier;
  condition.seed = seed;
  // Now and then a sheet goes through the feeder the wrong way round.
  condition.upsideDown = 0.125;
  return condition;
}

CaptureCondition photo(std::string name, std::string summary, uint64_t seed) {
  CaptureCondition condition = copier(std::move(name), std::move(summary), seed);
  condition.medium = CaptureMedium::photo;
  return condition;
}

void curled(CaptureCondition &condition) {
  condition.warps = {Shape::bow, Shape::curl, Shape::foldedOpen};
  condition.warpAmplitude = {10, 25};
}

void shadowed(CaptureCondition &condition) {
  condition.shadow = 1;
  condition.shadowLight = {0.5, 0.75};
  condition.lightFalloff = {0.15, 0.35};
}

void doodled(CaptureCondition &condition) {
  condition.doodles = {3, 8};
  condition.cornerMarks = {1, 2};
  condition.punched = 0.75;
}

void small(CaptureCondition &condition) {
  condition.pageFraction = {0.35, 0.6};
  condition.desk = {40, 110};
}

std::vector<CaptureCondition> made() {
  std::vector<CaptureCondition> all;

  CaptureCondition &clean = all.emplace_back(
      copier("copier-clean",
             "a clean copier scan: a little tilt, shift, noise and dust (the reference)", 1801));
  clean.upsideDown = 0;

  CaptureCondition &folded = all.emplace_back(
      copier("copier-folded",
             "a letter folded in thirds and opened: the print steps 1.5–4 pt at each "
             "crease",
             1802));
  folded.creaseStep = {1.5, 4};

  CaptureCondition &torn = all.emplace_back(copier(
      "copier-torn-corner",
      "one corner square torn off, or its corner folded over showing the paper's back", 1803));
  torn.cornerDamage = true;

  CaptureCondition &marked = all.emplace_back(copier(
      "copier-margin-marks",
      "pencil doodles, dark marks by the corners and punched holes (dark feeder backing)", 1804));
  doodled(marked);
  marked.backing = 45;

  all.push_back(photo("photo-flat",
                      "a tidy phone photo: the page at 75–90 % of the photo, tilted, on a desk",
                      1805));

  CaptureCondition &curl = all.emplace_back(photo(
      "photo-curled",
      "a page that isn't flat: bowed, curled, or folded in half and opened, 10–25 pt out of place",
      1806));
  curled(curl);

  CaptureCondition &shadow = all.emplace_back(
      photo("photo-shadow",
            "a hard-edged hand or phone shadow at 50–75 % light, and light falling off across "
            "the page",
            1807));
  shadowed(shadow);

  CaptureCondition &marks = all.emplace_back(
      photo("photo-margin-marks",
            "doodles, dark marks by the corners and punched holes showing the desk", 1808));
  doodled(marks);

  CaptureCondition &tiny = all.emplace_back(
      photo("photo-small", "the page at 35–60 % of the photo's long side, on a darker desk", 1809));
  small(tiny);

  CaptureCondition &curledShadow = all.emplace_back(photo(
      "photo-curled-shadow", "a page that isn't flat, under a hand's or a phone's shadow", 1810));
  curled(curledShadow);
  shadowed(curledShadow);

  CaptureCondition &smallTorn = all.emplace_back(
      photo("photo-small-torn", "a small page with a corner square torn off or folded over", 1811));
  small(smallTorn);
  smallTorn.cornerDamage = true;

  CaptureCondition &smallMarks = all.emplace_back(photo(
      "photo-small-marks", "a small page with doodles, corner marks and punched holes", 1812));
  small(smallMarks);
  doodled(smallMarks);
  return all;
}

} // namespace

const std::vector<CaptureCondition> &all() {
  static const std::vector<CaptureCondition> conditions = made();
  return conditions;
}

std::optional<CaptureCondition> named(std::string_view name) {
  for (const CaptureCondition &condition : all())
    if (condition.name == name)
      return condition;
  return std::nullopt;
}

} // namespace ovalon::CaptureConditions
