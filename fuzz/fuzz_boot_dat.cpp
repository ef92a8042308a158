// "user_data\Boot.dat" from anywhere: loading never crashes, hangs or allocates
// without bound, and what loads saves back consistently.
#include "FuzzRecords.h"
#include "app/ShellRecords.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzzrecords::LoadAndResave<cBootSettings>(data, size);
  return 0;
}
