#pragma once
// Desktop helpers (file choosers, the document opener) run as child processes from an argument vector: no
// shell ever parses a path, so spaces, quotes and any other letters reach the child unchanged.
#include <optional>
#include <string>
#include <vector>

namespace tonforge {

struct ChildResult {
  int exitStatus = -1;   // the child's exit code; -1 when it was killed by a signal
  std::string output;    // everything it wrote to its standard output
};

// True when `program` names an executable: a path containing '/' is checked as it is, a bare name is looked
// up along PATH.
bool ProgramExists(const std::string& program);

// Starts argv[0] (looked up along PATH) with argv, reads its standard output to the end and waits for it.
// Nothing when it could not be started at all.
std::optional<ChildResult> RunAndCapture(const std::vector<std::string>& argv);

// Starts argv[0] with argv and returns at once; the child is reaped in the background. False when it could
// not be started.
bool StartDetached(const std::vector<std::string>& argv);

}  // namespace tonforge
