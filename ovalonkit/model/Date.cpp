#include "model/Date.h"

#include <chrono>

namespace ovalon {

Date Date::now() {
  using namespace std::chrono;
  auto since = duration<double>(system_clock::now().time_since_epoch()).count();
  return fromUnixTime(since);
}

} // namespace ovalon
