// The reader on hostile input: whatever a data file holds, reading it
// neither crashes nor loses the rest of the catalog, and the result is the
// same however the file's lines end.
#include <gtest/gtest.h>

#include <random>
#include <sstream>

#include "catalog/catalog.h"
#include "catalog/line_reader.h"
#include "catalog_test_util.h"
#include "platform/prompt.h"
#include "scripted_prompt.h"

namespace catalog {
namespace {

using catalogtest::Dump;
using catalogtest::kHeader;
using catalogtest::ReadTestData;

std::string ReadInto(const std::string& content, Catalog& c) {
    std::istringstream in(content);
    c.ReadDataFile(in, "", 0);
    return Dump(c.Tree());
}

// Recorded files: one catalog with three kinds of line ends, and files
// that are no data file at all (empty, blank, no header, unquoted version).
TEST(ReaderRobustness, LineEndsReadTheSameAndHeaderlessFilesAreRejectedWhole) {
    platform::ScriptedPrompt prompt;
    platform::ScopedPrompt scoped(&prompt);
    Catalog lf("/nonexistent");
    const std::string expected = ReadInto(ReadTestData("line_ends/lf.amb"), lf);
    const TreeItem* b = lf.Tree().FindChild(lf.Tree().RootItem(), "b");
    ASSERT_TRUE(b && b->Entry());
    EXPECT_EQ(b->Entry()->DownloadDir, " y");
    for (const char* file : {"line_ends/crlf.amb", "line_ends/no_final_newline.amb"}) {
        Catalog c("/nonexistent");
        EXPECT_EQ(ReadInto(ReadTestData(file), c), expected) << file;
    }
    EXPECT_TRUE(prompt.Shown().empty());

    for (const char* file : {"rejected/empty.amb", "rejected/blank_line.amb",
                             "rejected/no_header.amb", "rejected/unquoted_version.amb"}) {
        Catalog c("/nonexistent");
        std::istringstream in(ReadTestData(file));
        EXPECT_FALSE(c.ReadDataFile(in, "", 0)) << file;
        EXPECT_EQ(c.Tree().ItemCount(), 0u) << file;
    }
    EXPECT_EQ(prompt.Questions().size(), 4u);
}

TEST(ReaderRobustness, OverlongLinesAreCutAndTheNextLinesStillRead) {
    std::string huge(3 * LineReader::kMaxLineLength, 'x');
    std::string content = std::string(kHeader) + "/All/long:" + huge + "\n/All/after:d:::::: \n" +
                          "/All/" + huge;  // and a last line without end that is too long
    std::istringstream in(content);
    LineReader lines(in);
    std::string_view line;
    ASSERT_TRUE(lines.Next(line));
    ASSERT_TRUE(lines.Next(line));
    EXPECT_TRUE(lines.Truncated());
    EXPECT_EQ(line.size(), LineReader::kMaxLineLength);
    ASSERT_TRUE(lines.Next(line));
    EXPECT_FALSE(lines.Truncated());
    EXPECT_EQ(line, "/All/after:d:::::: ");
    ASSERT_TRUE(lines.Next(line));
    EXPECT_TRUE(lines.Truncated());
    EXPECT_FALSE(lines.Next(line));
    EXPECT_EQ(lines.Consumed(), static_cast<std::int64_t>(content.size()));

    Catalog c("/nonexistent");
    std::istringstream again(content);
    ASSERT_TRUE(c.ReadDataFile(again, "", 0));
    EXPECT_NE(c.Tree().FindChild(c.Tree().RootItem(), "after"), nullptr);
    EXPECT_NE(c.Tree().FindChild(c.Tree().RootItem(), "long"), nullptr);
}

// What was saved reads back into the same tree.
TEST(ReaderRobustness, RandomBytesNeverCrashAndSaveCleanly) {
    std::mt19937 rng(20260717);
    const std::string alphabet = std::string("/::::\n\n\r #CNAME=All\t") + '\0' +
                                 "\xff\x80"
                                 "ab";
    for (int round = 0; round < 60; ++round) {
        SCOPED_TRACE(round);
        std::string content;
        for (size_t i = 0, n = rng() % 2000; i < n; ++i)
            content += (rng() % 4 == 0) ? static_cast<char>(rng() % 256)
                                        : alphabet[rng() % alphabet.size()];
        catalogtest::CatalogFixture f;
        auto c = f.Read(content);
        c->LoadAllFolders();
        ASSERT_TRUE(c->SaveCatalog());
        ASSERT_EQ(f.Open(true)->Tree().ItemCount(), c->Tree().ItemCount());
    }
}

}  // namespace
}  // namespace catalog
