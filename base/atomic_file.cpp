#include "base/atomic_file.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstring>

namespace base {
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

// A process killed in the middle of a write leaves its temporary file behind.
// After each successful write, the temporaries of this target whose writer is
// gone are removed, so repeated crashes never pile them up. A file of a live
// process (this one included) is left alone: it may still be written.
void removeStaleTemporaries(const std::filesystem::path& target) {
    const std::filesystem::path dir = target.parent_path().empty() ? "." : target.parent_path();
    const std::string prefix = "." + target.filename().string() + ".tmp-";
    std::error_code ec;
    std::filesystem::directory_iterator it(dir, ec), end;
    for (; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.compare(0, prefix.size(), prefix) != 0) continue;
        const std::string rest = name.substr(prefix.size());
        const size_t dash = rest.find('-');
        if (dash == 0 || dash == std::string::npos || rest.find_first_not_of("0123456789-") != std::string::npos) continue;
        long pid = 0;
        for (size_t i = 0; i < dash && pid < 1L << 40; ++i) pid = pid * 10 + (rest[i] - '0');
        if (pid <= 0 || pid == ::getpid() || pid > INT32_MAX) continue;
        if (::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH) continue;
        std::error_code removeEc;
        std::filesystem::remove(it->path(), removeEc);
    }
}

// The file a path names after following its symbolic links (a chain, each
// relative to its own folder), so a linked file is replaced where it lies and
// the link stays a link. A dangling link names the file it would create.
std::filesystem::path followLinks(std::filesystem::path path) {
    for (int hops = 0; hops < 40; ++hops) {
        std::error_code ec;
        if (!std::filesystem::is_symlink(path, ec)) return path;
        std::filesystem::path next = std::filesystem::read_symlink(path, ec);
        if (ec || next.empty()) return path;
        path = next.is_absolute() ? next : path.parent_path() / next;
    }
    return path;
}

}  // namespace

FileWriteResult WriteFileAtomically(const std::filesystem::path& link, std::string_view content) {
    if (link.filename().empty()) return failure("write", link, EISDIR);
    const std::filesystem::path target = followLinks(link);
    if (target.filename().empty()) return failure("write", link, EISDIR);

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
    removeStaleTemporaries(target);

    FileWriteResult ok;
    ok.ok = true;
    return ok;
}

}  // namespace base
