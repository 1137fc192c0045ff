#include <fcntl.h>
#include <fstream>
#include <future>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <utility>

#include "io/text_file.h"
#include "test_support.h"

namespace varlen::io {
namespace {

using test::TempDir;

// Writing results to a named pipe (or /dev/null) must write into it, not rename a plain file over it.
TEST(AtomicFileWriter, PipeIsWrittenInPlace) {
    TempDir dir;
    const auto pipe = dir / "pipe";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    std::string received;
    std::thread reader([&] { received = test::ReadFile(pipe); });
    {
        AtomicFileWriter writer(pipe, AtomicFileWriter::Durability::NoSync);
        ASSERT_TRUE(writer.IsOpen()) << writer.Error();
        writer.Write("through the pipe");
        EXPECT_TRUE(writer.Commit()) << writer.Error();
    }
    reader.join();
    EXPECT_EQ(received, "through the pipe");
    struct stat info {};
    ASSERT_EQ(::stat(pipe.c_str(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode)) << "the pipe must still be a pipe";
}

// A link is followed, so the file it names is written and the link stays a link: also a link to a file
// still to be written (the user's "latest.txt" pointing at this run's file), and a relative one.
TEST(AtomicFileWriter, LinkStaysALinkAndTheFileItNamesIsWritten) {
    TempDir dir;
    test::WriteFile(dir / "real.sma", "old");
    std::filesystem::create_symlink(dir / "real.sma", dir / "link.sma");
    std::filesystem::create_symlink("run-2.txt", dir / "latest.txt");
    for (const auto& [link, file] :
         {std::pair{"link.sma", "real.sma"}, std::pair{"latest.txt", "run-2.txt"}}) {
        AtomicFileWriter writer(dir / link);
        writer.Write("new");
        ASSERT_TRUE(writer.Commit()) << link << ": " << writer.Error();
        EXPECT_TRUE(std::filesystem::is_symlink(dir / link)) << link;
        EXPECT_EQ(test::ReadFile(dir / file), "new") << link;
    }
}

// Outputs replaced together are all finished before any is renamed: a finished writer has touched
// nothing the user sees, and one abandoned after finishing leaves no trace.
TEST(AtomicFileWriter, FinishedIsNotInPlaceUntilCommitted) {
    TempDir dir;
    test::WriteFile(dir / "r.txt", "old results");
    {
        AtomicFileWriter writer(dir / "r.txt", AtomicFileWriter::Durability::NoSync);
        writer.Write("new results");
        ASSERT_TRUE(writer.Finish()) << writer.Error();
        EXPECT_EQ(test::ReadFile(dir / "r.txt"), "old results");
        ASSERT_TRUE(writer.Commit()) << writer.Error();
        EXPECT_TRUE(writer.Commit()) << "a second commit has nothing left to do";
    }
    EXPECT_EQ(test::ReadFile(dir / "r.txt"), "new results");
    {
        AtomicFileWriter abandoned(dir / "r.txt", AtomicFileWriter::Durability::NoSync);
        abandoned.Write("never published");
        ASSERT_TRUE(abandoned.Finish()) << abandoned.Error();
    }
    EXPECT_EQ(test::ReadFile(dir / "r.txt"), "new results");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
}

TEST(AtomicFileWriter, FolderIsRefused) {
    TempDir dir;
    AtomicFileWriter writer(dir.Path());
    EXPECT_FALSE(writer.IsOpen());
    EXPECT_NE(writer.Error().find("is a folder"), std::string::npos) << writer.Error();
}

TEST(AtomicFileWriter, AbandonedWriteLeavesTheOldFile) {
    TempDir dir;
    test::WriteFile(dir / "p.sma", "keep me");
    {
        AtomicFileWriter writer(dir / "p.sma");
        writer.Write(std::string(3 << 20, 'x')); // flushed to the temporary file, never committed
    }
    EXPECT_EQ(test::ReadFile(dir / "p.sma"), "keep me");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
}

TEST(ReadWholeFile, MissingFileSaysWhich) {
    const FileText text = ReadWholeFile("/no/such/file.sma");
    EXPECT_FALSE(text.bytes);
    EXPECT_NE(text.error.find("/no/such/file.sma"), std::string::npos);
}

TEST(ReadWholeFile, ReadsTheBytesExactly) {
    TempDir dir;
    const std::string bytes = std::string("\"T\"\r\n\0\xff", 7) + std::string(200000, 'x');
    test::WriteFile(dir / "p.sma", bytes);
    const FileText text = ReadWholeFile(dir / "p.sma");
    ASSERT_TRUE(text.bytes) << text.error;
    EXPECT_EQ(*text.bytes, bytes);
}

// Files that report a size of 0 but have contents (the kernel's) are read to their end.
TEST(ReadWholeFile, FileWhoseSizeIsUnknownIsReadToItsEnd) {
    const FileText text = ReadWholeFile("/proc/self/status");
    ASSERT_TRUE(text.bytes) << text.error;
    EXPECT_NE(text.bytes->find("Name:"), std::string::npos);
}

TEST(ReadWholeFile, FolderIsRefused) {
    TempDir dir;
    const FileText text = ReadWholeFile(dir.Path());
    EXPECT_FALSE(text.bytes);
    EXPECT_NE(text.error.find("is a folder, not a file"), std::string::npos) << text.error;
}

// Reading /dev/zero would never end: the memory would run out first.
TEST(ReadWholeFile, DeviceIsRefused) {
    const FileText text = ReadWholeFile("/dev/zero");
    EXPECT_FALSE(text.bytes);
    EXPECT_NE(text.error.find("is a device, not a file"), std::string::npos) << text.error;
}

// Opening a pipe with no writer blocks: the pipe must be refused without being opened. Should the
// reader block after all, the test opens the writing end to set it free and then fails.
TEST(ReadWholeFile, PipeIsRefusedWithoutWaiting) {
    TempDir dir;
    const auto pipe = dir / "pipe.sma";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    auto reading = std::async(std::launch::async, [&] { return ReadWholeFile(pipe); });
    if (reading.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
        const int fd = ::open(pipe.c_str(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0) ::close(fd);
        FAIL() << "ReadWholeFile waited on the pipe";
    }
    const FileText text = reading.get();
    EXPECT_FALSE(text.bytes);
    EXPECT_NE(text.error.find("is a named pipe, not a file"), std::string::npos) << text.error;
}

// A sparse file takes no disk, but reading it whole would take 2.5 GiB of memory.
TEST(ReadWholeFile, FileOver2GiBIsRefused) {
    TempDir dir;
    test::WriteFile(dir / "huge.sma", "\"T\"\r\n");
    std::filesystem::resize_file(dir / "huge.sma", kMaxWholeFileBytes + 1);
    const FileText text = ReadWholeFile(dir / "huge.sma");
    EXPECT_FALSE(text.bytes);
    EXPECT_FALSE(text.outOfMemory);
    EXPECT_NE(text.error.find("is larger than 2 GiB"), std::string::npos) << text.error;
}

} // namespace
} // namespace varlen::io
