// Folder files are read on a second thread and batch files written on one:
// the tree and the files on disk must come out exactly as when everything
// happens in order on one thread, failures included.
#include <gtest/gtest.h>

#include <filesystem>

#include "catalog/catalog.h"
#include "catalog/file_batch.h"
#include "catalog_test_util.h"
#include "file_size_limit.h"
#include "platform/prompt.h"
#include "scripted_prompt.h"
#include "temp_dir.h"

namespace catalog {
namespace {

using catalogtest::Dump;
using catalogtest::kHeader;

// Each folder's file; what it is decides whether the folder loads. "Inner"
// is named by Outer's file, so it loads in a second round.
const struct {
    const char* location;
    const char* file;
    const char* contents;  // nullptr: no such file; "/": a directory
    bool header;
    bool loads;
} kFolders[] = {
    {"/All/Plain", "p.amb", "/All/Plain/a:x:::::1:\n/All/Plain/b:y:::::2:\n", true, true},
    {"/All/Missing", "m.amb", nullptr, true, false},
    {"/All/Directory", "d.amb", "/", true, false},
    {"/All/NoHeader", "n.amb", "/All/NoHeader/lost:x:::::1:\n", false, false},
    {"/All/Outer", "o.amb", "CNAME=/All/Outer/Inner:i.amb:\n/All/Outer/c:z:::::3:\n", true, true},
    {"/All/Outer/Inner", "i.amb", "/All/Outer/Inner/d:w:::::4:\n", true, true},
    {"/All/Empty", "e.amb", "", true, true},
};

TEST(ReadAhead, LoadsFoldersAsReadingThemOneByOneDoes) {
    platform::ScriptedPrompt prompt;  // answers No to every offer to fetch
    platform::ScopedPrompt scoped(&prompt);
    testsupport::TempDir dir;
    std::string main = kHeader;
    for (const auto& f : kFolders) {
        if (std::string(f.location).rfind('/') == 4)
            main += std::string("CNAME=") + f.location + ":" + f.file + ":\n";
        if (!f.contents) continue;
        if (std::string(f.contents) == "/")
            std::filesystem::create_directory(dir.File(f.file));
        else
            dir.Write(f.file, (f.header ? kHeader : "") + std::string(f.contents));
    }
    dir.Write("ambit.amb", main);

    Catalog ahead(dir.Path()), serial(dir.Path());
    for (Catalog* c : {&ahead, &serial}) ASSERT_TRUE(c->LoadMainDataFile());
    EXPECT_EQ(ahead.LoadAllFolders(), 4u);
    for (const auto& f : kFolders) {
        TreeItem* t = catalogtest::At(serial, f.location);
        ASSERT_NE(t, nullptr) << f.location;
        serial.LoadFolderContents(t);
    }
    EXPECT_EQ(Dump(ahead.Tree()), Dump(serial.Tree()));
    for (const auto& f : kFolders)
        EXPECT_EQ(catalogtest::At(ahead, f.location)->ContentsLoaded(), f.loads) << f.location;
}

// Files of a batch: a name whose temporary file cannot be created, or a
// size past the file-size limit, fails the whole batch with the first
// failure in file order, and leaves nothing behind.
TEST(ReadAhead, BatchReportsTheFirstFailureInFileOrder) {
    const std::string big(3 << 20, 'b');  // past the limit below, and past one write buffer
    const struct {
        std::vector<std::string> names;
        std::vector<const std::string*> data;
        const char* error;  // "" when the batch commits
    } cases[] = {
        {{"a", "no/such/b", "c"}, {nullptr, nullptr, &big}, "no/such/b: cannot create"},
        {{"a", "b", "c"}, {nullptr, &big, &big}, "/b: write failed"},
        {{"a", "b", "c"}, {nullptr, nullptr, nullptr}, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.error);
        testsupport::TempDir dir;
        testsupport::FileSizeLimit limit(1 << 20);
        FileBatch batch(dir.Path());
        for (size_t i = 0; i < c.names.size(); ++i) {
            if (!batch.Begin(c.names[i])) break;
            // Many writes: more than the writer may have queued at once.
            for (int n = 0; n < 40; ++n) batch.Write(c.data[i] ? *c.data[i] : c.names[i]);
            if (!batch.End()) break;
        }
        const bool committed = batch.Commit();
        limit.Lift();
        EXPECT_EQ(committed, *c.error == '\0');
        EXPECT_NE(batch.Error().find(c.error), std::string::npos) << batch.Error();
        size_t entries = 0;
        for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(dir.Path())) ++entries;
        EXPECT_EQ(entries, committed ? c.names.size() : 0u);
        EXPECT_EQ(dir.Read("c"), committed ? std::string(40, 'c') : "");
    }
}

}  // namespace
}  // namespace catalog
