// scripts/run.sh as a new user meets it: a step that fails shows why in the
// terminal. The script runs on a copy of the scripts folder, with stand-ins
// for the package installer and for cmake.
#include <gtest/gtest.h>

#include "mkproject_support.h"
#include "support/TempDir.h"

using namespace mkprojecttest;

namespace {

void WriteScript(const fs::path& file, const std::string& body) {
  std::ofstream(file) << "#!/bin/sh\n" << body << "\n";
  fs::permissions(file, fs::perms::owner_all);
}

TEST(RunScript, AFailedStepPrintsTheEndOfItsLog) {
  struct Case {
    const char* step;
    const char* cmake;  // the stand-in's body
    const char* shown;
  } cases[] = {
      {"configure", "echo 'CMake Error: no CXX compiler found'; exit 1", "CMake Error: no CXX compiler found"},
      {"build",
       "[ \"$1\" = --build ] || exit 0; echo '[1/9] Building a.o'; echo 'a.cpp:3: undefined reference'; exit 1",
       "a.cpp:3: undefined reference"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.step);
    testsupport::TempDir dir;
    fs::copy(ZANDREL_SCRIPTS_DIR, dir / "scripts", fs::copy_options::recursive);
    WriteScript(dir / "scripts/setup-deps.sh", "exit 0");
    fs::create_directory(dir / "bin");
    WriteScript(dir / "bin/cmake", c.cmake);
    const std::string command =
        "PATH='" + (dir / "bin").string() + "':\"$PATH\" bash '" + (dir / "scripts/run.sh").string() + "'";
    EXPECT_NE(RunTool(command, dir / "out.txt", dir / "err.txt"), 0);
    const std::string shown = ReadAll(dir / "out.txt") + ReadAll(dir / "err.txt");
    EXPECT_NE(shown.find(c.shown), std::string::npos) << shown;
    EXPECT_NE(shown.find("build/release/build.log"), std::string::npos) << shown;
  }
}

}  // namespace
