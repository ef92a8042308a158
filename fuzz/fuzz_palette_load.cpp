// Common palette files from anywhere: loading never crashes, hangs or
// allocates without bound, and what loads saves back consistently.
#include "FuzzRecords.h"
#include "records/Palette.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzzrecords::LoadAndResave<cPalette>(data, size);
  return 0;
}
