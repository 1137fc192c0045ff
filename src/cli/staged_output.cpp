#include "staged_output.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

#include "io/message_text.h"

namespace varlen::cli {
namespace {

// Follows a chain of symbolic links at the end of the path, also when the last one dangles (a link
// to a file still to be written), which std::filesystem::weakly_canonical would leave unresolved.
std::filesystem::path FollowLinks(std::filesystem::path path) {
    std::error_code error;
    for (int hop = 0; hop < 40 && std::filesystem::is_symlink(path, error); ++hop) {
        const std::filesystem::path to = std::filesystem::read_symlink(path, error);
        if (error) break;
        path = to.is_absolute() ? to : path.parent_path() / to;
    }
    return path;
}

// Built by appending, which keeps GCC 12's -Wrestrict quiet.
std::string Quoted(const std::filesystem::path& path) {
    std::string text = "\"";
    text += io::EscapeForMessage(path.string());
    text += '"';
    return text;
}

} // namespace

std::filesystem::path OutputIdentity(const std::string& path) {
    std::error_code error;
    std::filesystem::path followed = FollowLinks(path);
    std::filesystem::path absolute = std::filesystem::absolute(followed, error);
    if (error) absolute = followed;
    std::filesystem::path canonical = std::filesystem::weakly_canonical(absolute, error);
    return error ? absolute.lexically_normal() : canonical;
}

StagedOutput::StagedOutput(const std::string& target)
    : m_target(FollowLinks(target)), m_writePath(m_target) {}

StagedOutput::~StagedOutput() {
    if (!m_published && !m_stagedPath.empty()) ::unlink(m_stagedPath.c_str());
}

bool StagedOutput::Prepare() {
    if (m_target.empty()) {
        m_error = "no file name was given";
        return false;
    }
    struct stat info {};
    if (::stat(m_target.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
        if (S_ISDIR(info.st_mode)) {
            m_error = Quoted(m_target) + " is a folder, not a file";
            return false;
        }
        return true; // written in place
    }
    std::filesystem::path folder = m_target.parent_path();
    if (folder.empty()) folder = ".";
    // Hidden and named after the target, so a stray one left by a crash is recognisable.
    std::string name = ".";
    name += m_target.filename().string();
    name += ".XXXXXX";
    std::string pattern = (folder / name).string();
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0) {
        m_error = "cannot write in the folder " + Quoted(folder) + ": " + std::strerror(errno);
        return false;
    }
    ::close(fd);
    m_stagedPath = pattern;
    m_writePath = pattern;
    return true;
}

std::string StagedOutput::InTargetTerms(std::string message) const {
    if (m_stagedPath.empty()) return message;
    const std::string staged = m_writePath.string();
    const std::string target = m_target.string();
    for (auto at = message.find(staged); at != std::string::npos;
         at = message.find(staged, at + target.size()))
        message.replace(at, staged.size(), target);
    return message;
}

bool StagedOutput::Publish() {
    if (m_stagedPath.empty() || m_published) return true;
    if (std::rename(m_stagedPath.c_str(), m_target.c_str()) != 0) {
        m_error = "cannot replace " + Quoted(m_target) + ": " + std::strerror(errno);
        return false;
    }
    m_published = true;
    return true;
}

} // namespace varlen::cli
