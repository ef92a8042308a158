#pragma once
// A fresh folder for one test, removed afterwards; optionally made the
// current directory for the test's duration, as the player works relative to it.
#include <filesystem>
#include <string>

namespace testsupport {

class TempDir {
 public:
  explicit TempDir(bool enter = false);
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& Path() const { return m_path; }
  std::filesystem::path operator/(const std::string& name) const { return m_path / name; }
  // Writes a file below the folder, creating its parent folders.
  void Write(const std::string& relative, const std::string& bytes) const;
  std::string Read(const std::string& relative) const;

 private:
  std::filesystem::path m_path;
  std::filesystem::path m_previous;
};

}  // namespace testsupport
