// The outputs of one run are all replaced or none: each is written in full beside its target first,
// and only when every one of them (and standard output) has been written are they renamed into place.
#pragma once

#include <filesystem>
#include <string>

namespace varlen::cli {

class StagedOutput {
public:
    // target as the user typed it. A symbolic link is followed, so the file it names is replaced and the
    // link stays a link, as io::AtomicFileWriter does.
    explicit StagedOutput(const std::string& target);
    StagedOutput(const StagedOutput&) = delete;
    StagedOutput& operator=(const StagedOutput&) = delete;
    ~StagedOutput(); // removes the staged file unless published

    // Makes the staged file; false with Error() when the target is a folder or its folder refuses files.
    [[nodiscard]] bool Prepare();
    // Where the writer is to write: the staged file, or the target itself when it is a device or a pipe
    // (/dev/null, a named pipe), which cannot be replaced and so is written in place, once.
    [[nodiscard]] const std::filesystem::path& WritePath() const { return m_writePath; }
    // A writer's message about WritePath() with the staged name replaced by the target's.
    [[nodiscard]] std::string InTargetTerms(std::string message) const;
    // Renames the staged file over the target; false with Error() when that failed.
    [[nodiscard]] bool Publish();
    [[nodiscard]] const std::string& Error() const { return m_error; }

private:
    std::filesystem::path m_target; // links followed
    std::filesystem::path m_writePath;
    std::string m_stagedPath; // empty when written in place
    std::string m_error;
    bool m_published = false;
};

// The path with symbolic links followed (even to a file that does not exist yet), made absolute and
// normal: two spellings of one file give the same path.
[[nodiscard]] std::filesystem::path OutputIdentity(const std::string& path);

} // namespace varlen::cli
