#include "io/text_file.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace varlen::io {
namespace {
std::string SystemError() { return std::strerror(errno); }

// "\"path\"" for messages; built by appending, which keeps GCC 12's -Wrestrict quiet.
std::string Quoted(const std::filesystem::path& path) {
    std::string text = "\"";
    text += path.string();
    text += '"';
    return text;
}
} // namespace

FileText ReadWholeFile(const std::filesystem::path& path) {
    FileText result;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        result.error = "cannot open " + Quoted(path) + ": " + SystemError();
        return result;
    }
    std::string bytes;
    struct stat info {};
    if (::fstat(::fileno(file), &info) == 0 && S_ISREG(info.st_mode)) bytes.reserve(static_cast<std::size_t>(info.st_size));
    char block[1 << 16];
    std::size_t got = 0;
    while ((got = std::fread(block, 1, sizeof block, file)) > 0) bytes.append(block, got);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) {
        result.error = "cannot read " + Quoted(path);
        return result;
    }
    result.bytes = std::move(bytes);
    return result;
}

AtomicFileWriter::AtomicFileWriter(std::filesystem::path target, Durability durability)
    : m_target(std::move(target)), m_durability(durability) {
    if (m_target.empty()) {
        m_error = "no file name was given";
        return;
    }
    // A link is followed, so the file it names is replaced and the link stays a link.
    std::error_code ignored;
    if (std::filesystem::is_symlink(m_target, ignored)) {
        const auto resolved = std::filesystem::weakly_canonical(m_target, ignored);
        if (!ignored) m_target = resolved;
    }
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
    std::string name = ".";   // hidden, and named after the target so a stray one is recognisable
    name += m_target.filename().string();
    name += ".XXXXXX";
    std::string pattern = (folder / name).string();
    const int fd = ::mkstemp(pattern.data());
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
    if (std::fwrite(m_buffer.data(), 1, m_buffer.size(), m_file) != m_buffer.size())
        Fail("cannot write " + Quoted(m_target) + ": " + SystemError());
    m_buffer.clear();
}

bool AtomicFileWriter::Commit() {
    if (!m_file) return false;
    Flush();
    if (std::fflush(m_file) != 0) Fail("cannot write " + Quoted(m_target) + ": " + SystemError());
    if (m_error.empty() && !m_direct && m_durability == Durability::Sync && ::fsync(::fileno(m_file)) != 0 && errno != EINVAL)
        Fail("cannot write " + Quoted(m_target) + ": " + SystemError());
    if (std::fclose(m_file) != 0) Fail("cannot write " + Quoted(m_target) + ": " + SystemError());
    m_file = nullptr;
    if (!m_error.empty()) return false;
    if (m_direct) {
        m_committed = true;
        return true;
    }
    if (std::rename(m_tempPath.c_str(), m_target.c_str()) != 0) {
        Fail("cannot replace " + Quoted(m_target) + ": " + SystemError());
        return false;
    }
    m_committed = true;
    return true;
}

} // namespace varlen::io
