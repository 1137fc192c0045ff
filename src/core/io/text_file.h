// Whole-file reading and crash-safe writing: a file the program writes is either complete or untouched.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace varlen::io {

struct FileText {
    std::optional<std::string> bytes; // empty when the file could not be read
    std::string error;                // why, in words for the user
    bool outOfMemory = false;         // the reason is lack of memory, not the file
};
// The largest file ReadWholeFile reads: 2 GiB, far beyond any truss a project file describes.
inline constexpr std::uint64_t kMaxWholeFileBytes = std::uint64_t{1} << 31;
// Reads a plain file whole. A folder, device, pipe or socket, or a file larger than kMaxWholeFileBytes,
// is refused at once with the reason, without waiting on a pipe; lack of memory is an error, not a throw.
[[nodiscard]] FileText ReadWholeFile(const std::filesystem::path& path);

// The steps of a crash-safe write, so that tests can make each one fail as a full disk, a read-only
// folder or a failing device would. A hook, when set, is asked at every step; an errno it returns fails
// that step as the system call would have (the step is skipped, except that a failed close still
// closes). Process-wide, for tests only: the program never sets one.
enum class WriteStep { CreateTemporary, Write, Flush, Sync, Close, Rename };
void SetWriteFaultHook(std::function<int(WriteStep)> hook); // an empty function removes it

// The path with a chain of symbolic links at its end followed, also when the last one dangles (a link
// to a file still to be written): the file a writer is to replace.
[[nodiscard]] std::filesystem::path FollowLinks(std::filesystem::path path);

// Writes to a temporary file in the target's folder and renames it over the target on Commit(), so a
// failure part-way (full disk, no permission) leaves the old file as it was. A target that is a device
// or a pipe is written directly; a symbolic link is followed (FollowLinks), so the link stays a link.
// Output is buffered; the buffer goes to disk in large blocks.
class AtomicFileWriter {
public:
    // Sync: the data reach the disk before the rename (project files). NoSync: a crash may lose the
    // new file but never leaves a half-written one under the target's name (results, exports).
    enum class Durability { Sync, NoSync };
    explicit AtomicFileWriter(std::filesystem::path target, Durability durability = Durability::Sync);
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;
    ~AtomicFileWriter(); // removes the temporary file unless committed

    [[nodiscard]] bool IsOpen() const { return m_file != nullptr; }
    // The buffer callers append to; Flush() when it has grown (MaybeFlush does it at a block size).
    std::string& Buffer() { return m_buffer; }
    void MaybeFlush() {
        if (m_buffer.size() >= kBlockSize) Flush();
    }
    void Write(std::string_view text) {
        m_buffer.append(text);
        MaybeFlush();
    }
    // Flushes, syncs and closes the temporary file, which waits beside the target for Commit(): outputs
    // that are replaced together are all finished first. False (with Error()) when anything failed.
    [[nodiscard]] bool Finish();
    // Finishes, unless that was done, and renames over the target. False (with Error()) when anything
    // failed.
    [[nodiscard]] bool Commit();
    [[nodiscard]] const std::string& Error() const { return m_error; }

private:
    static constexpr std::size_t kBlockSize = 1 << 20;
    void Flush();
    void Fail(const std::string& what);

    std::filesystem::path m_target;
    Durability m_durability = Durability::Sync;
    std::string m_tempPath;
    std::FILE* m_file = nullptr;
    std::string m_buffer;
    std::string m_error;
    bool m_finished = false;
    bool m_committed = false;
    bool m_direct = false; // a device or pipe, written in place
};

} // namespace varlen::io
