#include "library/window/FileDialog.h"

#include <cstring>

#include "library/util/Log.h"
#include "library/util/Text.h"
#include "platform/overlay/FileChooser.h"

namespace {

std::vector<platform::overlay::FileFilter> ParseFilter(const char* filter) {
  std::vector<platform::overlay::FileFilter> filters;
  while (filter && *filter) {
    platform::overlay::FileFilter entry;
    entry.name = filter;
    filter += entry.name.size() + 1;
    entry.patterns = filter;
    filter += entry.patterns.size() + 1;
    filters.push_back(std::move(entry));
  }
  return filters;
}

// The buffer as the system dialog fills it: one file as its full path; several
// as their folder, then each name, every item ended by a NUL and the list by
// an empty item. False when that does not fit.
bool PackChosen(const std::vector<std::string>& chosen, char* buffer, int bufferSize) {
  std::vector<std::string> items;
  if (chosen.size() == 1) {
    items = chosen;
  } else {
    // The chooser separates with '/' only: a backslash byte may be the second byte of a CP932 character.
    const std::string& first = chosen.front();
    items.push_back(first.substr(0, first.rfind('/')));
    for (const std::string& path : chosen) items.push_back(path.substr(path.rfind('/') + 1));
  }
  size_t size = items.size() > 1 ? 1 : 0;
  for (const std::string& item : items) size += item.size() + 1;
  if (size > static_cast<size_t>(bufferSize)) {
    ReportLog("file dialog: the chosen files take more than %d bytes: %s", bufferSize, chosen.front().c_str());
    return false;
  }
  for (const std::string& item : items) {
    std::memcpy(buffer, item.c_str(), item.size() + 1);
    buffer += item.size() + 1;
  }
  if (items.size() > 1) *buffer = '\0';
  return true;
}

// The dialog's buffer as full paths: a single item is one; otherwise the
// first item is the folder of the names after it.
void AppendResults(const char* buffer, std::vector<std::string>& results) {
  std::vector<std::string> items;
  for (const char* item = buffer; *item; item += items.back().size() + 1) items.emplace_back(item);
  if (items.size() == 1) {
    results.push_back(items.front());
    return;
  }
  for (size_t i = 1; i < items.size(); ++i) {
    std::string path;
    StrFormat(path, "%s\\%s", items.front().c_str(), items[i].c_str());
    results.push_back(std::move(path));
  }
}

int Choose(const platform::overlay::FileChooserRequest& request, char* buffer, int bufferSize) {
  std::optional<std::vector<std::string>> chosen = platform::overlay::ChooseFiles(request);
  return chosen && !chosen->empty() && PackChosen(*chosen, buffer, bufferSize) ? 1 : 0;
}

platform::overlay::FileChooserRequest Request(bool save, const char* initialFolder, const char* title,
                                              const char* filter, const char* defaultExtension) {
  platform::overlay::FileChooserRequest request;
  request.save = save;
  request.title = title ? title : "";
  request.folder = initialFolder ? initialFolder : "";
  request.filters = ParseFilter(filter);
  request.defaultExtension = defaultExtension ? defaultExtension : "";
  return request;
}

}  // namespace

int OpenFileDialog(HWND, char* buffer, int bufferSize, const char* initialFolder, const char* title, const char* filter,
                   const char* defaultExtension, bool severalFiles, std::vector<std::string>* results) {
  if (!buffer || bufferSize <= 0) return 0;
  std::memset(buffer, 0, static_cast<size_t>(bufferSize));
  platform::overlay::FileChooserRequest request = Request(false, initialFolder, title, filter, defaultExtension);
  request.mustExist = true;
  request.severalFiles = severalFiles;
  if (!Choose(request, buffer, bufferSize)) return 0;
  if (results) AppendResults(buffer, *results);
  return 1;
}

int SaveFileDialog(HWND, char* buffer, const char* initialFolder, const char* title, const char* filter,
                   const char* defaultExtension, bool keep) {
  if (!buffer) return 0;
  if (!keep) std::memset(buffer, 0, MAX_PATH);
  platform::overlay::FileChooserRequest request = Request(true, initialFolder, title, filter, defaultExtension);
  request.initialName.assign(buffer, strnlen(buffer, MAX_PATH));
  request.overwritePrompt = true;
  return Choose(request, buffer, MAX_PATH);
}
