#pragma once
// Files in and out, safely. Readers open without blocking and refuse anything that is not a regular file (a
// FIFO would wait for a writer for ever, a device never ends). Every write goes to a temporary file with a
// short unique name beside its target, which replaces the target only once it is complete and on the disk: a
// full disk, a killed program or a power cut leaves the old file as it was. Failures come with the system's
// reason, to be shown under the message of the command that failed.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tonforge {

// The messages every file command shows: a file that fails its checks, and a save that did not complete.
inline constexpr std::string_view kInvalidFile = "Invalid File";
inline constexpr std::string_view kSaveFailed = "Could Not Save File";
inline constexpr std::string_view kNotRegularFile = "Not a regular file";
inline constexpr std::string_view kReadOnlyFile = "The file is read-only";
inline constexpr std::string_view kOutOfMemoryReason = "Out of memory";

// What went wrong with a file: the name the user gave and the reason.
struct FileFailure {
  std::string path;
  std::string reason;
};

// The message of a failed command with the file and the reason on a second line:
// "Could Not Save File\nSongs/My Song.tes: Read-only file system".
std::string FailureText(std::string_view message, const FileFailure& failure);
// The system's text for an error number.
std::string SystemReason(int error);

// Opens a regular file for reading, never blocking: -1, with the reason, for anything else.
int OpenRegularFile(const std::string& path, FileFailure& failure);

enum class FileReadStatus { Ok, CannotOpen, OutOfMemory };

// The whole file in memory. The failure is filled in when it cannot be opened or read.
FileReadStatus ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes, FileFailure* failure = nullptr);

// A file being written: streamed into a temporary file in the target's folder, put in place by Commit.
// Writing through a symbolic link replaces the file it points at and keeps the link; the new file keeps the
// old one's permissions. A target the user may not write (a read-only file or folder) is refused at Begin.
// Dropping a writer without Commit removes the temporary file and leaves the target untouched.
class SafeWriter {
public:
  SafeWriter() = default;
  SafeWriter(const SafeWriter&) = delete;
  SafeWriter& operator=(const SafeWriter&) = delete;
  ~SafeWriter() { Abandon(); }

  bool Begin(const std::string& path);
  bool Write(const void* data, std::size_t count);
  // Overwrites bytes already written, as a header patched at the end.
  bool WriteAt(uint64_t offset, const void* data, std::size_t count);
  // Flushes the file to the disk and renames it over the target. False (target untouched) after any failure.
  bool Commit();
  // Removes the temporary file; the target stays as it was.
  void Abandon();

  bool IsOpen() const { return fd_ >= 0; }
  bool Failed() const { return !failure_.reason.empty(); }
  const FileFailure& Failure() const { return failure_; }
  // Marks the file failed with a reason (the first one is kept); always false.
  bool Fail(int error);
  bool Fail(std::string_view reason);

private:
  int fd_ = -1;
  std::string temporary_;  // the temporary file's path
  std::string target_;     // the file it replaces, links followed
  unsigned mode_ = 0;
  FileFailure failure_;
};

// The whole of bytes written through a SafeWriter. False, with the failure, when the old file was kept.
bool ReplaceFile(const std::string& path, std::span<const uint8_t> bytes, FileFailure* failure = nullptr);

// The name a temporary file of this program starts with; temporaries left by a killed writer are removed the
// next time that folder is written into.
inline constexpr std::string_view kTemporaryPrefix = ".tonforge-";

}  // namespace tonforge
