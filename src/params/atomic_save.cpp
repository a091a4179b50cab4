#include "params/atomic_save.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>

namespace ax7 {

namespace {

namespace fs = std::filesystem;

// A temporary name must fit the folder's name limit even when the target's name nearly fills
// it, so only the start of a long name is kept in it.
constexpr size_t kTempNameStem = 200;
constexpr int kMaxLinkHops = 40;  // as the kernel's own limit for symlink chains

int syncFolder(const fs::path& target);

class TempFile {
 public:
  ~TempFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!path_.empty()) ::unlink(path_.c_str());
  }

  // Creates a new file beside `target`; returns 0 or the errno.
  int create(const fs::path& target) {
    static std::atomic<unsigned> counter{0};
    std::string stem = target.filename().string();
    if (stem.size() > kTempNameStem) stem.resize(kTempNameStem);
    for (int attempt = 0; attempt < 100; ++attempt) {
      fs::path candidate = target.parent_path() / ("." + stem + ".tmp-" + std::to_string(::getpid()) +
                                                   "-" + std::to_string(counter++));
      int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
      if (fd >= 0) {
        fd_ = fd;
        path_ = candidate;
        return 0;
      }
      if (errno != EEXIST) return errno;
    }
    return EEXIST;
  }

  int fd() const { return fd_; }

  // Closes the file (reporting what a delayed write error surfaces there) and renames it over
  // `target`, or with `replace` false gives it the name only where none exists. Returns 0 or
  // the errno (EEXIST: the name is taken).
  int commit(const fs::path& target, bool replace) {
    int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) return errno;
    if (replace) {
      if (::rename(path_.c_str(), target.c_str()) != 0) return errno;
    } else if (::renameat2(AT_FDCWD, path_.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) !=
               0) {
      // File systems without the no-replace rename still refuse a link over an existing name;
      // the temporary name goes when this object does.
      if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) return errno;
      if (::link(path_.c_str(), target.c_str()) != 0) return errno;
      return syncFolder(target);
    }
    path_.clear();
    return syncFolder(target);
  }

 private:
  int fd_ = -1;
  fs::path path_;
};

// The new name is only on disk once the folder is: a power cut after the rename could
// otherwise bring back the old file, or none. File systems that cannot sync a folder say EINVAL.
int syncFolder(const fs::path& target) {
  const fs::path folder = target.parent_path().empty() ? fs::path(".") : target.parent_path();
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return 0;  // a folder we may write into but not read: nothing more to do
  int err = ::fsync(fd) == 0 || errno == EINVAL ? 0 : errno;
  ::close(fd);
  return err;
}

int writeAll(int fd, const uint8_t* data, size_t size) {
  while (size > 0) {
    ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    data += n;
    size -= size_t(n);
  }
  return 0;
}

// The file the save really replaces: the end of a chain of symlinks rather than the link
// itself, also when that end does not exist yet.
bool resolveTarget(const std::string& path, fs::path* out) {
  fs::path target(path);
  for (int hop = 0; hop < kMaxLinkHops; ++hop) {
    std::error_code ec;
    if (!fs::is_symlink(fs::symlink_status(target, ec))) {
      *out = target;
      return true;
    }
    fs::path next = fs::read_symlink(target, ec);
    if (ec) return false;
    target = next.is_absolute() ? next : target.parent_path() / next;
  }
  return false;
}

SaveOutcome failure(int err, std::string reason = {}) {
  SaveOutcome o;
  o.systemError = err;
  o.reason = reason.empty() ? std::generic_category().message(err) : std::move(reason);
  return o;
}

SaveOutcome writeAndCommit(TempFile& temp, const fs::path& target, const uint8_t* data, size_t size,
                           bool replace) {
  if (int err = writeAll(temp.fd(), data, size)) return failure(err);
  if (::fsync(temp.fd()) != 0) return failure(errno);
  if (int err = temp.commit(target, replace)) return failure(err);
  SaveOutcome ok;
  ok.ok = true;
  return ok;
}

}  // namespace

SaveOutcome SaveFileAtomically(const std::string& path, const uint8_t* data, size_t size) {
  fs::path target;
  if (!resolveTarget(path, &target)) return failure(ELOOP);
  if (target.filename().empty()) return failure(EISDIR);
  struct stat old {};
  const bool exists = ::stat(target.c_str(), &old) == 0;
  if (exists) {
    if (S_ISDIR(old.st_mode)) return failure(EISDIR, "is a folder");
    // Renaming over a pipe or a device would silently turn it into a plain file.
    if (!S_ISREG(old.st_mode)) return failure(EINVAL, "is not a regular file");
    // A rename would replace a write-protected file as easily as any other; respect the
    // protection the way writing into the file itself would. A file nobody may write is
    // protected even from root, who passes every access check.
    if ((old.st_mode & 0222) == 0) return failure(EACCES, "the file is write-protected");
    if (::access(target.c_str(), W_OK) != 0) return failure(errno);
  }

  TempFile temp;
  if (int err = temp.create(target)) return failure(err);
  if (exists) {
    // Keep the old file's permissions (and, where allowed, its owner); a new file gets the
    // usual ones from the umask.
    ::fchmod(temp.fd(), old.st_mode & 07777);
    if (::geteuid() == 0) (void)::fchown(temp.fd(), old.st_uid, old.st_gid);
  }
  return writeAndCommit(temp, target, data, size, true);
}

SaveOutcome SaveNewFileAtomically(const std::string& path, const uint8_t* data, size_t size) {
  const fs::path target(path);
  if (target.filename().empty()) return failure(EISDIR);
  TempFile temp;
  if (int err = temp.create(target)) return failure(err);
  return writeAndCommit(temp, target, data, size, false);
}

}  // namespace ax7
