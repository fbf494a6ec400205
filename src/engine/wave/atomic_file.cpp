#include "wave/atomic_file.h"

#include "wave/message_path.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <random>
#include <stdexcept>

namespace {

namespace fs = std::filesystem;

[[noreturn]] void CannotCreate(const std::string& fileName, const std::string& reason) {
  throw std::runtime_error("Cannot create file " + PathForMessage(fileName) + " (" + reason + ")");
}

[[noreturn]] void CannotCreate(const std::string& fileName, int error) {
  CannotCreate(fileName, std::string(std::strerror(error)));
}

// The file that `fileName` names once every link on the way is followed, whether it exists or
// not: a link to a missing file is to become a link to a new one, not a file itself. Links among
// the folders on the way are left to the kernel and the joined path is never tidied, so that a
// relative link stays relative to the folder it lies in even when that folder was reached through
// a link ("dir/../x" is not "x" when dir is a link).
fs::path FollowLinks(const std::string& fileName) {
  // The kernel's own bound, so that a chain it would follow is followed here too.
  constexpr int kMaxLinks = 40;
  fs::path path(fileName);
  for (int links = 0;; ++links) {
    char to[PATH_MAX];
    const ssize_t n = readlink(path.c_str(), to, sizeof to);
    if (n < 0) {
      if (errno == EINVAL || errno == ENOENT) return path;
      CannotCreate(fileName, errno);
    }
    if (static_cast<size_t>(n) == sizeof to) CannotCreate(fileName, ENAMETOOLONG);
    if (links == kMaxLinks) CannotCreate(fileName, ELOOP);
    // An absolute link replaces the whole path.
    path = path.parent_path() / std::string(to, static_cast<size_t>(n));
  }
}

// A temporary file on its way to becoming the target; closed and removed unless it got there.
class PendingFile {
 public:
  PendingFile(std::string fileName, const fs::path& target)
      : fileName_(std::move(fileName)),
        dir_(target.has_parent_path() ? target.parent_path() : fs::path(".")),
        // Of a fixed length, whatever the target's: a name near the system's limit of 255 bytes
        // must still be replaceable.
        stem_((dir_ / ".velorin-save.").string()) {}
  ~PendingFile() {
    if (fd_ >= 0) close(fd_);
    if (!name_.empty()) unlink(name_.c_str());
  }
  PendingFile(const PendingFile&) = delete;
  PendingFile& operator=(const PendingFile&) = delete;

  [[noreturn]] void Fail(int error) const { CannotCreate(fileName_, error); }

  // An unnamed file in the folder, so that nothing is left there whatever happens before the
  // rename; a named one where the file system has no unnamed files.
  void Open(mode_t mode) {
    // The unnamed file gets its name through /proc, without which it could never be kept.
    if (access("/proc/self/fd", X_OK) == 0) {
      fd_ = open(dir_.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
      if (fd_ >= 0) return;
      if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) Fail(errno);
    }
    fd_ = CreateNamed([&](const std::string& name) {
      return open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    });
  }

  void Write(const uint8_t* data, size_t size) {
    // A hundred megabytes handed over in one call take the kernel ten times as long as the same
    // bytes in pieces of a megabyte.
    constexpr size_t kPiece = size_t{1} << 20;
    while (size > 0) {
      const ssize_t n = write(fd_, data, std::min(size, kPiece));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) Fail(n < 0 ? errno : EIO);
      data += n;
      size -= static_cast<size_t>(n);
    }
  }

  // Gives the file the old one's owner, group and mode, the mode before any byte is written so
  // that the file is never more open than the old one. A user who may not give a file away may
  // still be able to keep its group; where neither is allowed (EPERM), or the ids cannot be
  // represented here, as in a user namespace that does not map them (EINVAL), the save goes on
  // with the user's own, as a file saved anew would have them. The mode comes after the owner
  // because a change of owner clears the set-user and set-group bits.
  void KeepAttributes(const struct stat& old) {
    const auto refused = [] { return errno == EPERM || errno == EINVAL; };
    if (fchown(fd_, old.st_uid, old.st_gid) != 0) {
      if (!refused()) Fail(errno);
      if (fchown(fd_, static_cast<uid_t>(-1), old.st_gid) != 0 && !refused()) Fail(errno);
    }
    keptMode_ = old.st_mode & 07777;
    if (fchmod(fd_, keptMode_) != 0) Fail(errno);
  }

  // Flushes the data, gives an unnamed file its temporary name, and puts it in place of `target`.
  void Replace(const fs::path& target) {
    // A write by a process that may not set them clears the set-user and set-group bits again.
    if ((keptMode_ & (S_ISUID | S_ISGID)) != 0 && fchmod(fd_, keptMode_) != 0) Fail(errno);
    if (fsync(fd_) != 0) Fail(errno);
    bool inPlace = false;
    if (name_.empty()) {
      const std::string self = "/proc/self/fd/" + std::to_string(fd_);
      // A new file gets its name straight away, complete, so that no temporary name ever shows;
      // only a file that exists needs the temporary name and the rename over it.
      inPlace = linkat(AT_FDCWD, self.c_str(), AT_FDCWD, target.c_str(), AT_SYMLINK_FOLLOW) == 0;
      if (!inPlace && errno != EEXIST) Fail(errno);
      if (!inPlace) {
        CreateNamed([&](const std::string& name) {
          return linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW);
        });
      }
    }
    const int fd = fd_;
    fd_ = -1;
    if (close(fd) != 0) {
      const int error = errno;
      if (inPlace) unlink(target.c_str());
      Fail(error);
    }
    if (!inPlace) {
      if (std::rename(name_.c_str(), target.c_str()) != 0) Fail(errno);
      name_.clear();
    }
    // The rename is done; flushing the folder only makes it last through a power cut, and a
    // failure there cannot undo it, so it is not reported.
    const int dirFd = open(dir_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
      fsync(dirFd);
      close(dirFd);
    }
  }

 private:
  // Tries fresh names ".velorin-save.XXXXXX" until `create(name)` succeeds (a result of 0 or more)
  // or fails for another reason than the name being taken; returns what it returned.
  template <class Create>
  int CreateNamed(Create&& create) {
    std::random_device seed;
    std::mt19937 pick(seed());
    constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
      std::string name = stem_;
      for (int i = 0; i < 6; ++i) name += kLetters[pick() % (sizeof kLetters - 1)];
      const int result = create(name);
      if (result >= 0) {
        name_ = name;
        return result;
      }
      if (errno != EEXIST) Fail(errno);
    }
    Fail(EEXIST);
  }

  std::string fileName_;
  fs::path dir_;
  std::string stem_;
  int fd_ = -1;
  std::string name_;
  mode_t keptMode_ = 0;
};

}  // namespace

void WriteFileAtomically(const std::string& fileName, const uint8_t* data, size_t size) {
  const fs::path target = FollowLinks(fileName);
  // The rename would put a regular file in the place of a device or a FIFO, which a save must
  // never do (as root, to a system device). Only stat: opening a FIFO would wait for a reader.
  struct stat old {};
  const bool exists = stat(target.c_str(), &old) == 0;
  if (exists && S_ISDIR(old.st_mode)) CannotCreate(fileName, EISDIR);
  if (exists && !S_ISREG(old.st_mode)) CannotCreate(fileName, "not a regular file");
  // The rename needs only the folder's write permission: a file that an open for writing would
  // refuse (read-only, or another user's) must not be replaced, nor taken over, that way. The
  // effective ids decide, with the file-system ids and any access list, as for that open.
  if (exists && faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) CannotCreate(fileName, errno);
  PendingFile file(fileName, target);
  // Created with 0666, which the umask trims as for any new file.
  file.Open(0666);
  if (exists) file.KeepAttributes(old);
  file.Write(data, size);
  file.Replace(target);
}
