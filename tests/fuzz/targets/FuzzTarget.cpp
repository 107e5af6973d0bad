// One libFuzzer target, chosen when it is built (OVALON_FUZZ_TARGET).
#include "FuzzEntries.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  ovalon::fuzz::OVALON_FUZZ_TARGET({data, size});
  return 0;
}

// GCC's comparison hooks include floating point, which libFuzzer has no use for.
extern "C" void __sanitizer_cov_trace_cmpf(float, float) {}
extern "C" void __sanitizer_cov_trace_cmpd(double, double) {}
