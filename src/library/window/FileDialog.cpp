#include "library/window/FileDialog.h"

#include <cstring>

#include "library/util/Log.h"
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

int Choose(const platform::overlay::FileChooserRequest& request, char* buffer, int bufferSize) {
  std::optional<std::string> chosen = platform::overlay::ChooseFile(request);
  if (!chosen) return 0;
  if (chosen->size() >= static_cast<size_t>(bufferSize)) {
    ReportLog("file dialog: the chosen path is longer than %d bytes: %s", bufferSize - 1, chosen->c_str());
    return 0;
  }
  std::memcpy(buffer, chosen->c_str(), chosen->size() + 1);
  return 1;
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
                   const char* defaultExtension, bool, std::vector<std::string>* results) {
  if (!buffer || bufferSize <= 0) return 0;
  std::memset(buffer, 0, static_cast<size_t>(bufferSize));
  platform::overlay::FileChooserRequest request = Request(false, initialFolder, title, filter, defaultExtension);
  request.mustExist = true;
  // The chooser picks one file; with several allowed that is a list of one full path.
  if (!Choose(request, buffer, bufferSize)) return 0;
  if (results) results->emplace_back(buffer);
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
