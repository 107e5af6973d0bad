#include "sheets/SheetJob.h"

#include <algorithm>

namespace ovalon {

SheetJob SheetJob::classSet(const Roster &roster, int version) {
  SheetJob job{version, 1, {}};
  for (const Student &student : roster.sorted())
    job.students.push_back({student.name(), student.id, false});
  return job;
}

std::vector<SheetJob> SheetJob::dealt(const Roster &roster, int versionCount) {
  const SheetJob all = classSet(roster, 0);
  std::vector<SheetJob> jobs;
  jobs.reserve(all.students.size());
  for (size_t i = 0; i < all.students.size(); ++i)
    jobs.push_back({static_cast<int>(i % static_cast<size_t>(std::max(versionCount, 1))),
                    1,
                    {all.students[i]}});
  return jobs;
}

} // namespace ovalon
