// File locks on fcntl: open file description locks where the system has them, so that the
// lock belongs to the open file rather than to the process (two holders in one process see
// each other, and closing another descriptor of the file drops nothing).
#include "platform/file_lock.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

#ifdef F_OFD_SETLK
constexpr int kSetLock = F_OFD_SETLK;
constexpr int kGetLock = F_OFD_GETLK;
#else
constexpr int kSetLock = F_SETLK;
constexpr int kGetLock = F_GETLK;
#endif

// The whole file, for writing: no other lock may be held beside it.
struct flock wholeFile()
{
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = 0;
    lock.l_len = 0;
    return lock;
}

} // namespace

FileLock::FileLock(std::string path)
    : path_(std::move(path))
{
    descriptor_ = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (descriptor_ < 0) {
        failure_ = std::strerror(errno);
        return;
    }
    struct flock lock = wholeFile();
    if (::fcntl(descriptor_, kSetLock, &lock) == 0) {
        state_ = State::Held;
        return;
    }
    const int error = errno;
    if (error == EAGAIN || error == EACCES) {
        state_ = State::HeldElsewhere;
        return;
    }
    failure_ = std::strerror(error);
}

FileLock::~FileLock()
{
    if (state_ == State::Held && removeOnRelease_)
        ::unlink(path_.c_str());
    if (descriptor_ >= 0)
        ::close(descriptor_);
}

bool FileLock::heldNow(const std::string& path)
{
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0)
        return false;
    struct flock lock = wholeFile();
    const bool held = ::fcntl(descriptor, kGetLock, &lock) == 0 && lock.l_type != F_UNLCK;
    ::close(descriptor);
    return held;
}
