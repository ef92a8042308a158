#pragma once
// Starts a program the way the whole-program runs need it: in a folder of its
// own, with this process's environment less every ZANDREL_* variable, so that
// only the variables a run names reach the program.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

extern char** environ;

namespace testsupport {

// Starts `program` with `argument` (none when empty) in `folder` with `env`
// added, its standard error written to `errors` when one is named: its process
// id, or -1 when it could not start.
inline pid_t StartProgram(const std::string& program, const std::string& argument, const std::filesystem::path& folder,
                          const std::map<std::string, std::string>& env, const std::filesystem::path& errors = {}) {
  std::vector<std::string> strings;
  // Variables the run names replace those of this process.
  auto named = [&](const char* entry) {
    const char* equals = std::strchr(entry, '=');
    return equals && env.count(std::string(entry, equals)) != 0;
  };
  for (char** e = environ; *e; ++e)
    if (std::strncmp(*e, "ZANDREL_", 8) != 0 && !named(*e)) strings.emplace_back(*e);
  for (const auto& [key, value] : env) strings.push_back(key + "=" + value);
  std::vector<char*> envp;
  for (auto& s : strings) envp.push_back(s.data());
  envp.push_back(nullptr);
  std::string path = program;
  std::string arg = argument;
  char* argv[] = {path.data(), arg.empty() ? nullptr : arg.data(), nullptr};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
  if (!errors.empty())
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, path.c_str(), &actions, nullptr, argv, envp.data());
  posix_spawn_file_actions_destroy(&actions);
  return spawned == 0 ? pid : -1;
}

// Waits for a started program: its exit status, 128 + the signal that ended
// it, or -1 when there is none.
inline int WaitProgram(pid_t pid) {
  int status = 0;
  if (pid <= 0 || waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// Runs the program as StartProgram does and waits for it.
inline int RunProgram(const std::string& program, const std::string& argument, const std::filesystem::path& folder,
                      const std::map<std::string, std::string>& env, const std::filesystem::path& errors = {}) {
  return WaitProgram(StartProgram(program, argument, folder, env, errors));
}

}  // namespace testsupport
