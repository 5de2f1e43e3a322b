// The order file is read once and never left behind with its card data,
// whether it was whole, short or damaged.
#include "transfer/order_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/string_array_file.h"
#include "temp_dir.h"

namespace {

using transfer::OrderFile;

TEST(OrderFile, ReadOnceThenGoneAndShortOrDamagedOrdersRefused) {
    testsupport::TempDir dir;
    std::vector<std::string> order(15, "x");
    order[OrderFile::kHost] = "ftp.example.org";
    ASSERT_TRUE(platform::WriteStringArrayFile(dir.File("amb1"), order));
    std::vector<std::string> read;
    ASSERT_TRUE(OrderFile::ReadAndDelete(dir.File("amb1"), false, read));
    EXPECT_EQ(read, order);
    EXPECT_FALSE(std::filesystem::exists(dir.File("amb1")));

    // A resume needs the record number as a sixteenth element.
    ASSERT_TRUE(platform::WriteStringArrayFile(dir.File("descr.tmp"), order));
    std::string error;
    EXPECT_FALSE(OrderFile::ReadAndDelete(dir.File("descr.tmp"), true, read, &error));
    EXPECT_TRUE(read.empty());
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(std::filesystem::exists(dir.File("descr.tmp")));

    dir.Write("amb2", "AMBSTRARRAY1\x0f\0\0\0 truncated");
    EXPECT_FALSE(OrderFile::ReadAndDelete(dir.File("amb2"), false, read, &error));
    EXPECT_FALSE(std::filesystem::exists(dir.File("amb2")));

    EXPECT_FALSE(OrderFile::ReadAndDelete(dir.File("missing"), false, read, &error));
}

}  // namespace
