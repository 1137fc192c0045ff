#include <filesystem>
#include <gtest/gtest.h>

#include "test_support.h"

// The core must build without Qt: the command line and the tests use it alone.
TEST(Architecture, CoreIncludesNoQtHeader) {
    const std::filesystem::path core = std::filesystem::path(VARLEN_SOURCE_DIR) / "src" / "core";
    int files = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(core)) {
        if (!entry.is_regular_file()) continue;
        ++files;
        const std::string text = varlen::test::ReadFile(entry.path());
        EXPECT_EQ(text.find("#include <Q"), std::string::npos) << entry.path();
        EXPECT_EQ(text.find("#include <qt"), std::string::npos) << entry.path();
    }
    EXPECT_GT(files, 10);
}
