#include "io/text_file.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

namespace varlen::io {
namespace {
std::string SystemError() {
    return std::strerror(errno);
}

std::function<int(WriteStep)>& WriteFaultHook() {
    static std::function<int(WriteStep)> hook;
    return hook;
}

// True, with errno set, when the test's hook fails this step.
bool Injected(WriteStep step) {
    const auto& hook = WriteFaultHook();
    if (!hook) return false;
    const int error = hook(step);
    if (error != 0) errno = error;
    return error != 0;
}

// "\"path\"" for messages; built by appending, which keeps GCC 12's -Wrestrict quiet.
std::string Quoted(const std::filesystem::path& path) {
    std::string text = "\"";
    text += path.string();
    text += '"';
    return text;
}

// Why a path cannot be read as a file, judged from its status alone; empty when it can.
std::string NotAReadableFile(const std::filesystem::path& path, const struct stat& info) {
    if (S_ISDIR(info.st_mode)) return Quoted(path) + " is a folder, not a file";
    if (S_ISFIFO(info.st_mode)) return Quoted(path) + " is a named pipe, not a file";
    if (S_ISSOCK(info.st_mode)) return Quoted(path) + " is a socket, not a file";
    if (S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode)) return Quoted(path) + " is a device, not a file";
    if (!S_ISREG(info.st_mode)) return Quoted(path) + " is not a plain file";
    if (static_cast<std::uint64_t>(info.st_size) > kMaxWholeFileBytes)
        return Quoted(path) + " is larger than 2 GiB, too large to be read";
    return {};
}
} // namespace

void SetWriteFaultHook(std::function<int(WriteStep)> hook) {
    WriteFaultHook() = std::move(hook);
}

FileText ReadWholeFile(const std::filesystem::path& path) {
    FileText result;
    // Judged before opening: opening a pipe waits for a writer, and reading a device such as /dev/zero
    // never ends (it would fill the memory first).
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        result.error = "cannot open " + Quoted(path) + ": " + SystemError();
        return result;
    }
    if (std::string why = NotAReadableFile(path, info); !why.empty()) {
        result.error = std::move(why);
        return result;
    }
    // O_NONBLOCK in case the path was swapped for a pipe since; the descriptor's own status decides.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        result.error = "cannot open " + Quoted(path) + ": " + SystemError();
        return result;
    }
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    if (::fstat(fd, &info) != 0) {
        result.error = "cannot read " + Quoted(path) + ": " + SystemError();
        return result;
    }
    if (std::string why = NotAReadableFile(path, info); !why.empty()) {
        result.error = std::move(why);
        return result;
    }
    const auto readFailed = [&] {
        result.error = "cannot read " + Quoted(path) + ": " + SystemError();
        return result;
    };
    try {
        // Read straight into a buffer of the size stat gave, so that the file's bytes are in memory once.
        std::string bytes(static_cast<std::size_t>(info.st_size), '\0');
        std::size_t used = 0;
        while (used < bytes.size()) {
            const ssize_t got = ::read(fd, bytes.data() + used, bytes.size() - used);
            if (got < 0 && errno == EINTR) continue;
            if (got < 0) return readFailed();
            if (got == 0) break; // the file shrank meanwhile
            used += static_cast<std::size_t>(got);
        }
        bytes.resize(used);
        // What lies beyond that size: a file that grew meanwhile, or one that reports size 0 (/proc).
        char block[1 << 16];
        for (;;) {
            const ssize_t got = ::read(fd, block, sizeof block);
            if (got < 0 && errno == EINTR) continue;
            if (got < 0) return readFailed();
            if (got == 0) break;
            if (bytes.size() + static_cast<std::size_t>(got) > kMaxWholeFileBytes) {
                result.error = Quoted(path) + " is larger than 2 GiB, too large to be read";
                return result;
            }
            bytes.append(block, static_cast<std::size_t>(got));
        }
        result.bytes = std::move(bytes);
    } catch (const std::bad_alloc&) {
        result.error = "not enough memory to read " + Quoted(path);
        result.outOfMemory = true;
    }
    return result;
}

std::filesystem::path FollowLinks(std::filesystem::path path) {
    std::error_code error;
    // 40 hops, as the system allows, before a loop of links is given up on.
    for (int hop = 0; hop < 40 && std::filesystem::is_symlink(path, error); ++hop) {
        const std::filesystem::path to = std::filesystem::read_symlink(path, error);
        if (error) break;
        path = to.is_absolute() ? to : path.parent_path() / to;
    }
    return path;
}

AtomicFileWriter::AtomicFileWriter(std::filesystem::path target, Durability durability)
    : m_target(std::move(target)), m_durability(durability) {
    if (m_target.empty()) {
        m_error = "no file name was given";
        return;
    }
    // A link is followed, so the file it names is replaced and the link stays a link.
    m_target = FollowLinks(std::move(m_target));
    // A device or a pipe (/dev/null, a named pipe) is written as it is: renaming over it would put a
    // plain file in its place.
    struct stat info {};
    if (::stat(m_target.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
        if (S_ISDIR(info.st_mode)) {
            m_error = Quoted(m_target) + " is a folder, not a file";
            return;
        }
        m_direct = true;
        m_file = std::fopen(m_target.c_str(), "wb");
        if (!m_file) Fail("cannot write " + Quoted(m_target) + ": " + SystemError());
        m_buffer.reserve(kBlockSize + 4096);
        return;
    }
    std::filesystem::path folder = m_target.parent_path();
    if (folder.empty()) folder = ".";
    std::string name = "."; // hidden, and named after the target so a stray one is recognisable
    name += m_target.filename().string();
    name += ".XXXXXX";
    std::string pattern = (folder / name).string();
    const int fd = Injected(WriteStep::CreateTemporary) ? -1 : ::mkstemp(pattern.data());
    if (fd < 0) {
        m_error = "cannot write in the folder " + Quoted(folder) + ": " + SystemError();
        return;
    }
    // mkstemp creates the file private to the user; a project file should get the usual permissions.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
    m_tempPath = pattern;
    m_file = ::fdopen(fd, "wb");
    if (!m_file) {
        ::close(fd);
        Fail("cannot write " + Quoted(m_tempPath) + ": " + SystemError());
    }
    m_buffer.reserve(kBlockSize + 4096);
}

AtomicFileWriter::~AtomicFileWriter() {
    if (m_file) std::fclose(m_file);
    if (!m_committed && !m_tempPath.empty()) ::unlink(m_tempPath.c_str());
}

void AtomicFileWriter::Fail(const std::string& what) {
    if (m_error.empty()) m_error = what;
}

void AtomicFileWriter::Flush() {
    if (!m_file || m_buffer.empty()) {
        m_buffer.clear();
        return;
    }
    if (Injected(WriteStep::Write) ||
        std::fwrite(m_buffer.data(), 1, m_buffer.size(), m_file) != m_buffer.size())
        Fail("cannot write " + Quoted(m_target) + ": " + SystemError());
    m_buffer.clear();
}

bool AtomicFileWriter::Finish() {
    if (m_finished) return m_error.empty();
    if (!m_file) return false;
    m_finished = true;
    Flush();
    if (Injected(WriteStep::Flush) || std::fflush(m_file) != 0)
        Fail("cannot write " + Quoted(m_target) + ": " + SystemError());
    if (m_error.empty() && !m_direct && m_durability == Durability::Sync &&
        (Injected(WriteStep::Sync) || ::fsync(::fileno(m_file)) != 0) && errno != EINVAL)
        Fail("cannot write " + Quoted(m_target) + ": " + SystemError());
    if (std::fclose(m_file) != 0 || Injected(WriteStep::Close))
        Fail("cannot write " + Quoted(m_target) + ": " + SystemError());
    m_file = nullptr;
    return m_error.empty();
}

bool AtomicFileWriter::Commit() {
    if (!Finish()) return false;
    if (m_committed) return true;
    if (m_direct) {
        m_committed = true;
        return true;
    }
    if (Injected(WriteStep::Rename) || std::rename(m_tempPath.c_str(), m_target.c_str()) != 0) {
        Fail("cannot replace " + Quoted(m_target) + ": " + SystemError());
        return false;
    }
    m_committed = true;
    return true;
}

} // namespace varlen::io
