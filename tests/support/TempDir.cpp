#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <system_error>

namespace testsupport {

TempDir::TempDir(bool enter) {
  std::string pattern = (std::filesystem::temp_directory_path() / "zandrel-test-XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  m_path = pattern;
  if (enter) {
    m_previous = std::filesystem::current_path();
    std::filesystem::current_path(m_path);
  }
}

TempDir::~TempDir() {
  std::error_code ec;
  if (!m_previous.empty()) std::filesystem::current_path(m_previous, ec);
  std::filesystem::remove_all(m_path, ec);
}

void TempDir::Write(const std::string& relative, const std::string& bytes) const {
  std::filesystem::path target = m_path / relative;
  std::filesystem::create_directories(target.parent_path());
  std::ofstream(target, std::ios::binary) << bytes;
}

std::string TempDir::Read(const std::string& relative) const {
  std::ifstream in(m_path / relative, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace testsupport
