#pragma once
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

namespace velquin::test {

// A folder that nobody may write into: read-only for ordinary users and,
// for root, which ignores permissions, marked immutable as well.
class LockedFolder {
 public:
  explicit LockedFolder(const std::string& path) : path_(path) {
    ::chmod(path_.c_str(), 0555);
    if (writable()) setImmutable(true);
  }
  ~LockedFolder() {
    setImmutable(false);
    ::chmod(path_.c_str(), 0755);
  }
  bool writable() const {
    std::string probe = path_ + "/.probe";
    int fd = ::open(probe.c_str(), O_CREAT | O_WRONLY, 0644);
    if (fd < 0) return false;
    ::close(fd);
    ::unlink(probe.c_str());
    return true;
  }

 private:
  void setImmutable(bool on) {
    int fd = ::open(path_.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return;
    int flags = 0;
    if (::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
      flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
      ::ioctl(fd, FS_IOC_SETFLAGS, &flags);
    }
    ::close(fd);
  }
  std::string path_;
};

}  // namespace velquin::test
