#include "app/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

namespace app {
namespace {

FileWriteResult failure(std::string_view step, const std::filesystem::path& path, int err) {
    FileWriteResult r;
    r.error = std::string(step) + " " + path.string() + ": " + std::strerror(err);
    return r;
}

bool writeAll(int fd, std::string_view content, int& err) {
    const char* p = content.data();
    std::size_t left = content.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            err = errno;
            return false;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    return true;
}

// Opens a fresh file beside the target. The name is new for every attempt, so
// a stale one from a crashed run is never reused or truncated.
int createTemporary(const std::filesystem::path& target, std::filesystem::path& tmp, int& err) {
    static std::atomic<unsigned> counter{0};
    const std::filesystem::path dir = target.parent_path().empty() ? "." : target.parent_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = ".";
        name += target.filename().string();
        name += ".tmp-";
        name += std::to_string(::getpid());
        name += '-';
        name += std::to_string(counter.fetch_add(1));
        tmp = dir / name;
        const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) return fd;
        if (errno != EEXIST && errno != EINTR) {
            err = errno;
            return -1;
        }
    }
    err = EEXIST;
    return -1;
}

}  // namespace

FileWriteResult WriteFileAtomically(const std::filesystem::path& target, std::string_view content) {
    if (target.filename().empty()) return failure("write", target, EISDIR);

    std::filesystem::path tmp;
    int err = 0;
    const int fd = createTemporary(target, tmp, err);
    if (fd < 0) return failure("create temporary file for", target, err);

    auto abandon = [&](std::string_view step, int e) {
        ::close(fd);
        ::unlink(tmp.c_str());
        return failure(step, tmp, e);
    };

    if (!writeAll(fd, content, err)) return abandon("write", err);

    struct stat old {};
    if (::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode)) {
        if (::fchmod(fd, old.st_mode & 07777) != 0) return abandon("set permissions of", errno);
    }
    if (::fsync(fd) != 0) return abandon("sync", errno);
    if (::close(fd) != 0) {
        err = errno;
        ::unlink(tmp.c_str());
        return failure("close", tmp, err);
    }
    if (::rename(tmp.c_str(), target.c_str()) != 0) {
        err = errno;
        ::unlink(tmp.c_str());
        return failure("rename over", target, err);
    }

    // Make the rename itself durable. The new content is already complete, so
    // a folder that cannot be synced does not make the write a failure.
    const std::filesystem::path dir = target.parent_path().empty() ? "." : target.parent_path();
    const int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }

    FileWriteResult ok;
    ok.ok = true;
    return ok;
}

}  // namespace app
