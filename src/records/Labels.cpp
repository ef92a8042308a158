#include "records/Labels.h"

#include <map>
#include <mutex>
#include <vector>

#include "library/util/Text.h"

std::span<const std::string> Cp932Labels(std::span<const std::string_view> utf8Table) {
  static std::mutex guard;
  static std::map<const std::string_view*, std::vector<std::string>> converted;
  std::lock_guard lock(guard);
  auto [entry, added] = converted.try_emplace(utf8Table.data());
  if (added) {
    entry->second.reserve(utf8Table.size());
    for (std::string_view label : utf8Table) entry->second.push_back(Sjis(label));
  }
  return entry->second;
}
