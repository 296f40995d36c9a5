#include "shell/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <new>
#include <stdexcept>

namespace tonforge {

namespace {

constexpr int kMaximumLinks = 40;  // as the kernel's own limit on a path's links
constexpr mode_t kWriteBits = S_IWUSR | S_IWGRP | S_IWOTH;

mode_t CurrentUmask() {
  static const mode_t mask = [] {
    const mode_t m = umask(0);
    umask(m);
    return m;
  }();
  return mask;
}

std::string FolderOf(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// The file a path finally names, following symbolic links (a dangling link names the file it would create).
bool FollowLinks(std::string path, std::string& target, int& error) {
  for (int hop = 0; hop < kMaximumLinks; ++hop) {
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
      target = path;
      return true;
    }
    std::string link(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 4096) + 1, '\0');
    const ssize_t n = readlink(path.c_str(), link.data(), link.size());
    if (n < 0) {
      error = errno;
      return false;
    }
    link.resize(static_cast<std::size_t>(n));
    path = link.front() == '/' ? link : FolderOf(path) + "/" + link;
  }
  error = ELOOP;
  return false;
}

// A user may write where the permissions say so; a file or folder without any write permission is read-only
// for everyone, the administrator included.
bool MayWrite(const std::string& path, const struct stat& st) {
  return (st.st_mode & kWriteBits) != 0 && access(path.c_str(), W_OK) == 0;
}

// Temporary files of a writer that is gone: nobody holds their lock any more.
void RemoveLeftovers(const std::string& folder) {
  DIR* dir = opendir(folder.c_str());
  if (!dir) return;
  while (const dirent* entry = readdir(dir)) {
    const std::string_view name(entry->d_name);
    if (!name.starts_with(kTemporaryPrefix) || name.size() != kTemporaryPrefix.size() + 6) continue;
    const std::string path = folder + "/" + std::string(name);
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) continue;
    struct stat st {};
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && flock(fd, LOCK_EX | LOCK_NB) == 0) unlink(path.c_str());
    close(fd);
  }
  closedir(dir);
}

bool WriteAll(int fd, const uint8_t* p, std::size_t count, int64_t offset) {
  while (count > 0) {
    const ssize_t n = offset < 0 ? write(fd, p, count) : pwrite(fd, p, count, offset);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = EIO;
      return false;
    }
    p += n;
    count -= static_cast<std::size_t>(n);
    if (offset >= 0) offset += n;
  }
  return true;
}

}  // namespace

std::string SystemReason(int error) { return std::strerror(error); }

std::string FailureText(std::string_view message, const FileFailure& f) {
  std::string text(message);
  if (!f.reason.empty()) text += "\n" + f.path + ": " + f.reason;
  return text;
}

int OpenRegularFile(const std::string& path, FileFailure& failure) {
  failure = {path, ""};
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    failure.reason = SystemReason(errno);
    return -1;
  }
  struct stat st {};
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    failure.reason = S_ISDIR(st.st_mode) ? SystemReason(EISDIR) : std::string(kNotRegularFile);
    close(fd);
    return -1;
  }
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  return fd;
}

FileReadStatus ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes, FileFailure* failure) {
  FileFailure why;
  const int fd = OpenRegularFile(path, why);
  if (fd < 0) {
    if (failure) *failure = why;
    return FileReadStatus::CannotOpen;
  }
  struct stat st {};
  fstat(fd, &st);
  try {
    bytes.assign(static_cast<std::size_t>(st.st_size), 0);
  } catch (const std::bad_alloc&) {
    close(fd);
    return FileReadStatus::OutOfMemory;
  } catch (const std::length_error&) {
    close(fd);
    return FileReadStatus::OutOfMemory;
  }
  std::size_t got = 0;
  while (got < bytes.size()) {
    const ssize_t n = read(fd, bytes.data() + got, bytes.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      if (failure) *failure = {path, SystemReason(errno)};
      close(fd);
      return FileReadStatus::CannotOpen;
    }
    if (n == 0) break;  // a file that shrank while it was read keeps only what was there
    got += static_cast<std::size_t>(n);
  }
  bytes.resize(got);
  close(fd);
  return FileReadStatus::Ok;
}

bool SafeWriter::Fail(int error) { return Fail(SystemReason(error)); }

bool SafeWriter::Fail(std::string_view reason) {
  if (failure_.reason.empty()) failure_.reason = reason;
  return false;
}

bool SafeWriter::Begin(const std::string& path) {
  Abandon();
  failure_ = {path, ""};
  int error = 0;
  if (!FollowLinks(path, target_, error)) return Fail(error);
  struct stat st {};
  if (stat(target_.c_str(), &st) == 0) {
    if (!S_ISREG(st.st_mode)) return Fail(S_ISDIR(st.st_mode) ? SystemReason(EISDIR) : std::string(kNotRegularFile));
    if (!MayWrite(target_, st)) return Fail(kReadOnlyFile);
    mode_ = st.st_mode & 07777;
  } else if (errno != ENOENT) {
    return Fail(errno);
  } else {
    mode_ = 0666 & ~CurrentUmask();
  }
  const std::string folder = FolderOf(target_);
  struct stat folderStat {};
  if (stat(folder.c_str(), &folderStat) != 0) return Fail(errno);
  if (!S_ISDIR(folderStat.st_mode)) return Fail(ENOTDIR);
  if (!MayWrite(folder, folderStat)) return Fail(EACCES);
  RemoveLeftovers(folder);
  // The lock marks the file as in use; a leftover cleaner that got to the name between its creation and the
  // lock has removed it, so the name is checked again under the lock.
  for (int attempt = 0; attempt < 3 && fd_ < 0; ++attempt) {
    std::string name = folder + "/" + std::string(kTemporaryPrefix) + "XXXXXX";
    const int fd = mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) return Fail(errno);
    struct stat opened {}, named {};
    if (flock(fd, LOCK_EX) == 0 && fstat(fd, &opened) == 0 && stat(name.c_str(), &named) == 0 &&
        opened.st_ino == named.st_ino && opened.st_dev == named.st_dev) {
      fd_ = fd;
      temporary_ = name;
    } else {
      close(fd);
    }
  }
  return fd_ >= 0 || Fail(EEXIST);
}

bool SafeWriter::Write(const void* data, std::size_t count) {
  if (fd_ < 0 || Failed()) return false;
  return WriteAll(fd_, static_cast<const uint8_t*>(data), count, -1) || Fail(errno);
}

bool SafeWriter::WriteAt(uint64_t offset, const void* data, std::size_t count) {
  if (fd_ < 0 || Failed()) return false;
  return WriteAll(fd_, static_cast<const uint8_t*>(data), count, static_cast<int64_t>(offset)) || Fail(errno);
}

bool SafeWriter::Commit() {
  if (fd_ < 0) return Fail(EBADF);
  bool ok = !Failed();
  if (ok && fchmod(fd_, mode_) != 0) ok = Fail(errno);
  if (ok && fsync(fd_) != 0) ok = Fail(errno);
  if (ok && rename(temporary_.c_str(), target_.c_str()) != 0) ok = Fail(errno);
  if (!ok) {
    Abandon();
    return false;
  }
  close(fd_);  // after the rename: the lock keeps a cleaner off the file until it has its final name
  fd_ = -1;
  temporary_.clear();
  // The rename itself reaches the disk only with the folder.
  const int folder = open(FolderOf(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder >= 0) {
    fsync(folder);
    close(folder);
  }
  return true;
}

void SafeWriter::Abandon() {
  if (fd_ < 0) return;
  unlink(temporary_.c_str());
  close(fd_);
  fd_ = -1;
  temporary_.clear();
}

bool ReplaceFile(const std::string& path, std::span<const uint8_t> bytes, FileFailure* failure) {
  SafeWriter writer;
  const bool ok = writer.Begin(path) && writer.Write(bytes.data(), bytes.size()) && writer.Commit();
  if (!ok && failure) *failure = writer.Failure();
  return ok;
}

}  // namespace tonforge
