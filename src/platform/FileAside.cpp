#include "platform/FileAside.h"

#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <system_error>
#include <vector>

namespace ormidon {
namespace {

constexpr int kMaxTries = 1000;

std::filesystem::path Candidate(const std::filesystem::path& file, int n) {
    std::string name = file.string() + ".bad";
    if (n > 0) name += "." + std::to_string(n);
    return name;
}

std::string ErrorText(int error) { return std::strerror(error); }

// Moves without replacing: the rename fails when the target exists.
int RenameNoReplace(const std::filesystem::path& from, const std::filesystem::path& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS) return errno;
    // A file system without that kind of rename: a link cannot replace either.
    if (::link(from.c_str(), to.c_str()) != 0) return errno;
    if (::unlink(from.c_str()) != 0) {
        const int error = errno;
        ::unlink(to.c_str());
        return error;
    }
    return 0;
}

bool CopyInto(int in, int out) {
    std::vector<char> buffer(65536);
    for (;;) {
        const ssize_t got = ::read(in, buffer.data(), buffer.size());
        if (got == 0) return true;
        if (got < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        for (ssize_t done = 0; done < got;) {
            const ssize_t put = ::write(out, buffer.data() + done, static_cast<size_t>(got - done));
            if (put < 0) {
                if (errno == EINTR) continue;
                return false;
            }
            done += put;
        }
    }
}

}  // namespace

AsideResult MoveFileAside(const std::filesystem::path& file) {
    for (int n = 0; n < kMaxTries; ++n) {
        const std::filesystem::path target = Candidate(file, n);
        const int error = RenameNoReplace(file, target);
        if (error == 0) return {target, {}};
        if (error != EEXIST && error != ENOTEMPTY) return {{}, ErrorText(error)};
    }
    return {{}, "no free name"};
}

AsideResult CopyFileAside(const std::filesystem::path& file) {
    const int in = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) return {{}, ErrorText(errno)};
    for (int n = 0; n < kMaxTries; ++n) {
        const std::filesystem::path target = Candidate(file, n);
        const int out = ::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (out < 0) {
            if (errno == EEXIST) continue;
            const int error = errno;
            ::close(in);
            return {{}, ErrorText(error)};
        }
        bool ok = CopyInto(in, out) && ::fsync(out) == 0;
        int error = ok ? 0 : errno;
        if (::close(out) != 0 && ok) {
            ok = false;
            error = errno;
        }
        ::close(in);
        if (!ok) {
            ::unlink(target.c_str());
            return {{}, ErrorText(error)};
        }
        return {target, {}};
    }
    ::close(in);
    return {{}, "no free name"};
}

}  // namespace ormidon
