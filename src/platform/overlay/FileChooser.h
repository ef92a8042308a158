#pragma once
// File choosers for opening and saving on the overlay toolkit: the folders
// and files of one folder (files shown through the filter), a name box, and
// on saving the question before a file is overwritten.
#include <optional>
#include <string>
#include <vector>

namespace platform::overlay {

struct FileFilter {
  std::string name;      // CP932, shown
  std::string patterns;  // "*.stg4_*;*.rpl4_*", matched without regard to case
};

struct FileChooserRequest {
  bool save = false;
  std::string title;   // CP932
  std::string folder;  // stored CP932 path, relative to the working folder
  std::vector<FileFilter> filters;
  std::string defaultExtension;  // added to a name typed without one, unless it holds a wildcard
  std::string initialName;       // CP932, shown in the name box
  bool mustExist = false;        // opening: the file must exist
  bool severalFiles = false;     // opening: the name box takes several "quoted" names
  bool overwritePrompt = false;  // saving: ask before replacing a file
};

// The chosen files as absolute paths in CP932 with '/' separators, in the
// order they were named, or none when cancelled. Several files lie in one
// folder. Scripted answers: "file PATH" (relative to the working folder)
// chooses one file, "file FOLDER "a" "b"" several in that folder, "button
// CANCEL" cancels; headless without one cancels.
std::optional<std::vector<std::string>> ChooseFiles(const FileChooserRequest& request);

// Whether a file name matches one of the ';'-separated patterns.
bool MatchesPatterns(std::string_view name, std::string_view patterns);

}  // namespace platform::overlay
