#include "platform/sdl/child_process.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string_view>
#include <thread>

extern char** environ;

namespace tonforge {
namespace {

bool IsExecutableFile(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(path.c_str(), X_OK) == 0;
}

// posix_spawnp wants char* const[]; the strings stay owned by the caller's vector.
std::vector<char*> ArgvPointers(const std::vector<std::string>& argv) {
  std::vector<char*> pointers;
  pointers.reserve(argv.size() + 1);
  for (const std::string& a : argv) pointers.push_back(const_cast<char*>(a.c_str()));
  pointers.push_back(nullptr);
  return pointers;
}

// Spawns with the given actions; -1 when the child could not be started (including a missing program).
// Only the three standard streams reach the child: a browser started by the opener must not keep our sound
// device or display connection open after we are gone.
pid_t Spawn(const std::vector<std::string>& argv, posix_spawn_file_actions_t* actions) {
  if (argv.empty() || !ProgramExists(argv[0])) return -1;
  posix_spawn_file_actions_addclosefrom_np(actions, STDERR_FILENO + 1);
  std::vector<char*> pointers = ArgvPointers(argv);
  pid_t pid = -1;
  if (posix_spawnp(&pid, argv[0].c_str(), actions, nullptr, pointers.data(), environ) != 0) return -1;
  return pid;
}

int WaitForExit(pid_t pid) {
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

bool ProgramExists(const std::string& program) {
  if (program.empty()) return false;
  if (program.find('/') != std::string::npos) return IsExecutableFile(program);
  const char* path = std::getenv("PATH");
  std::string_view rest = path ? path : "/usr/local/bin:/usr/bin:/bin";
  while (true) {
    const size_t colon = rest.find(':');
    std::string folder(rest.substr(0, colon));
    if (folder.empty()) folder.push_back('.');
    if (IsExecutableFile(folder + "/" + program)) return true;
    if (colon == std::string_view::npos) return false;
    rest.remove_prefix(colon + 1);
  }
}

std::optional<ChildResult> RunAndCapture(const std::vector<std::string>& argv) {
  int pipeEnds[2];
  if (pipe2(pipeEnds, O_CLOEXEC) != 0) return std::nullopt;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  const pid_t pid = Spawn(argv, &actions);
  posix_spawn_file_actions_destroy(&actions);
  close(pipeEnds[1]);
  if (pid < 0) {
    close(pipeEnds[0]);
    return std::nullopt;
  }
  ChildResult result;
  char chunk[4096];
  while (true) {
    const ssize_t n = read(pipeEnds[0], chunk, sizeof chunk);
    if (n > 0) {
      result.output.append(chunk, static_cast<size_t>(n));
    } else if (n == 0 || errno != EINTR) {
      break;
    }
  }
  close(pipeEnds[0]);
  result.exitStatus = WaitForExit(pid);
  return result;
}

bool StartDetached(const std::vector<std::string>& argv) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  const pid_t pid = Spawn(argv, &actions);
  posix_spawn_file_actions_destroy(&actions);
  if (pid < 0) return false;
  // The opener may live as long as the document's program; a waiting thread keeps it from becoming a zombie
  // without holding up the caller.
  std::thread([pid] { WaitForExit(pid); }).detach();
  return true;
}

}  // namespace tonforge
