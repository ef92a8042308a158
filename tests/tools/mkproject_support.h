#pragma once
// Running the tools on a project folder, and the files of a project.
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

namespace mkprojecttest {

namespace fs = std::filesystem;

// Runs a shell command line with its output in `out` and `err`; the exit code, -1 when it did not exit.
inline int RunTool(const std::string& commandLine, const fs::path& out, const fs::path& err) {
  const std::string command = commandLine + " >'" + out.string() + "' 2>'" + err.string() + "'";
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

inline std::string ReadAll(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Every file below `root` by its relative path, with its bytes.
inline std::map<std::string, std::string> Tree(const fs::path& root) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(root))
    if (entry.is_regular_file()) files[fs::relative(entry.path(), root).string()] = ReadAll(entry.path());
  return files;
}

// The record files of a project: data\ and its default\ copy, without the
// bitmaps, sounds and music that live elsewhere.
inline std::vector<fs::path> RecordFiles(const fs::path& root) {
  std::vector<fs::path> files;
  for (const char* folder : {"data", "default"})
    for (const auto& entry : fs::recursive_directory_iterator(root / folder))
      if (entry.is_regular_file()) files.push_back(fs::relative(entry.path(), root));
  std::sort(files.begin(), files.end());
  return files;
}

inline const fs::path& SampleProject() {
  static const fs::path root = SAMPLE_PROJECT_DIR;
  return root;
}

}  // namespace mkprojecttest
