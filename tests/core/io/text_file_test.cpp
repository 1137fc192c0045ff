#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>

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

TEST(AtomicFileWriter, LinkStaysALinkAndItsFileIsReplaced) {
    TempDir dir;
    test::WriteFile(dir / "real.sma", "old");
    std::filesystem::create_symlink(dir / "real.sma", dir / "link.sma");
    AtomicFileWriter writer(dir / "link.sma");
    writer.Write("new");
    ASSERT_TRUE(writer.Commit()) << writer.Error();
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "link.sma"));
    EXPECT_EQ(test::ReadFile(dir / "real.sma"), "new");
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
        writer.Write(std::string(3 << 20, 'x'));   // flushed to the temporary file, never committed
    }
    EXPECT_EQ(test::ReadFile(dir / "p.sma"), "keep me");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
}

TEST(ReadWholeFile, MissingFileSaysWhich) {
    const FileText text = ReadWholeFile("/no/such/file.sma");
    EXPECT_FALSE(text.bytes);
    EXPECT_NE(text.error.find("/no/such/file.sma"), std::string::npos);
}

} // namespace
} // namespace varlen::io
