#include <stdexcept>
#include <string>

#include "Project.h"
#include "platform/TextCodec.h"
#include "records/RecordIo.h"

namespace mkproject {

void WriteFile(std::string_view storedPath, const std::vector<std::uint8_t>& bytes) {
  SaveRecordFile(storedPath, WriteFileAtomically(storedPath, bytes));
}

void SaveRecordFile(std::string_view storedPath, bool saved) {
  if (!saved) throw std::runtime_error("cannot write " + platform::Cp932ToUtf8(storedPath));
}

}  // namespace mkproject
