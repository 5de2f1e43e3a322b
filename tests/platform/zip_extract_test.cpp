// Unpacking downloaded archives: ordinary archives come out whole, hostile
// ones never write outside the target folder, and damaged ones are reported.
// Besides recorded archives of other tools, archives are made here with
// libarchive's writer, which stores entry names exactly as given.
#include "platform/zip_extract.h"

#include <archive.h>
#include <archive_entry.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>

#include "temp_dir.h"

namespace {

namespace fs = std::filesystem;

struct Item {
    std::string name, data;  // data: a link's target for AE_IFLNK
    mode_t type = AE_IFREG;
    mode_t perm = 0644;
};

std::string MakeZip(const std::string& path, const std::vector<Item>& items) {
    archive* a = archive_write_new();
    archive_write_set_format_zip(a);
    EXPECT_EQ(archive_write_open_filename(a, path.c_str()), ARCHIVE_OK);
    for (const auto& it : items) {
        archive_entry* e = archive_entry_new();
        archive_entry_set_pathname(e, it.name.c_str());
        archive_entry_set_filetype(e, it.type);
        archive_entry_set_perm(e, it.perm);
        if (it.type == AE_IFLNK) archive_entry_set_symlink(e, it.data.c_str());
        const bool file = it.type == AE_IFREG;
        archive_entry_set_size(e, file ? static_cast<la_int64_t>(it.data.size()) : 0);
        EXPECT_EQ(archive_write_header(a, e), ARCHIVE_OK) << it.name;
        if (file && !it.data.empty()) archive_write_data(a, it.data.data(), it.data.size());
        archive_entry_free(e);
    }
    archive_write_close(a);
    archive_write_free(a);
    return path;
}

// Nothing was written outside the target, nothing through a link.
void ExpectNothingEscaped(const testsupport::TempDir& dir) {
    for (const auto& e : fs::recursive_directory_iterator(dir.Path()))
        EXPECT_EQ(e.path().string().find("escaped"), std::string::npos) << e.path();
    EXPECT_FALSE(fs::exists("/tmp/ambit-absolute.txt"));
}

// Archives of other tools (data/: Python's zipfile stored and deflated,
// Info-ZIP with links kept), and one made here with every kind of hostile
// entry: what each must give, and which of its entries must be refused.
TEST(ZipExtract, ArchivesComeOutWholeAndHostileEntriesStayOut) {
    std::string pattern;
    for (int i = 0; i < 400 * 256; ++i) pattern += static_cast<char>(i);
    testsupport::TempDir made;
    const std::string absolute = made.File("escaped-absolute.txt");
    MakeZip(made.File("evil.zip"), {{"good1.txt", "one"},
                                    {"../escaped.txt", "bad"},
                                    {"sub/../../escaped2.txt", "bad"},
                                    {absolute, "bad"},
                                    {"abs-link", made.Path(), AE_IFLNK},
                                    {"up-link", "..", AE_IFLNK},
                                    {"sub/sneaky-link", "../..", AE_IFLNK},
                                    {"sub/mixed-link", "x/../../..", AE_IFLNK},
                                    {"loop", ".", AE_IFLNK},  // inside, but not written through
                                    {"loop/escaped3.txt", "bad"},
                                    {"sub/up", "..", AE_IFLNK},  // inside; then up once more
                                    {"sub/through", "up/..", AE_IFLNK},
                                    {"good2/ro.txt", "read-only", AE_IFREG, 0444}});
    struct Case {
        std::string zip;
        std::map<std::string, std::string> files;  // content, or "-> target" for a link
        std::vector<std::string> skipped;
        std::vector<std::string> executables;  // every other file is not, and all are writable
    } const cases[] = {
        {"stored.zip",
         {{"readme.txt", "hello\n"}, {"empty.txt", ""}, {"dot/name.txt", "dotted"}},
         {},
         {}},
        {"deflated.zip",
         {{"tool/run.sh", "#!/bin/sh\necho run\n"},
          {"tool/data.bin", pattern},
          {"tool/run-link", "-> run.sh"}},
         {},
         {"tool/run.sh"}},
        {"infozip.zip",
         {{"pkg/info.txt", "info\n"},
          {"pkg/bin/start", "#!/bin/sh\n"},
          {"pkg/start-link", "-> bin/start"}},
         {},
         {"pkg/bin/start"}},
        {"dotdot.zip", {{"good.txt", "good"}}, {"../escaped.txt", "sub/../../escaped2.txt"}, {}},
        {"absolute.zip", {{"good.txt", "good"}}, {"/tmp/ambit-absolute.txt"}, {}},
        {"symlink.zip", {{"good.txt", "good"}, {"inside", "-> ."}}, {"up-link", "abs-link"}, {}},
        {made.File("evil.zip"),
         {{"good1.txt", "one"},
          {"good2/ro.txt", "read-only"},
          {"loop", "-> ."},
          {"sub/up", "-> .."}},
         {"../escaped.txt", "sub/../../escaped2.txt", absolute, "abs-link", "up-link",
          "sub/sneaky-link", "sub/mixed-link", "loop/escaped3.txt", "sub/through"},
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.zip);
        testsupport::TempDir dir;
        fs::create_directories(dir.File("target"));
        auto r = platform::ExtractZip(
            c.zip.starts_with('/') ? c.zip : AMBIT_TEST_DATA_DIR "/" + c.zip, dir.File("target"));
        EXPECT_TRUE(r.archiveRead) << r.error;
        EXPECT_EQ(r.Complete(), c.skipped.empty()) << r.error;
        EXPECT_EQ(r.error.empty(), c.skipped.empty());
        EXPECT_EQ(r.skipped, c.skipped);
        EXPECT_TRUE(r.failed.empty());
        for (const auto& [name, content] : c.files) {
            const std::string path = dir.File("target/" + name);
            if (content.starts_with("-> ")) {
                EXPECT_EQ(fs::read_symlink(path), content.substr(3)) << name;
                continue;
            }
            EXPECT_TRUE(dir.Read("target/" + name) == content) << name;
            const bool exec = std::ranges::find(c.executables, name) != c.executables.end();
            EXPECT_EQ(
                fs::status(path).permissions() & (fs::perms::owner_exec | fs::perms::owner_write),
                exec ? fs::perms::owner_exec | fs::perms::owner_write : fs::perms::owner_write)
                << name;
        }
        ExpectNothingEscaped(dir);
    }
    ExpectNothingEscaped(made);
}

// Links already in the folder are not written through; the archive being
// unzipped is replaced neither by a file nor a link of its name; an archive
// expanding past the allowed size stops with a message and no partial file.
TEST(ZipExtract, NeitherOldLinksNorTheArchiveNorTheDiskAreOverrun) {
    testsupport::TempDir dir;
    fs::create_directories(dir.File("outside"));
    fs::create_directories(dir.File("target"));
    fs::create_directory_symlink(dir.File("outside"), dir.File("target/docs"));
    fs::create_symlink(dir.File("outside/victim"), dir.File("target/file.txt"));
    for (mode_t type : {AE_IFREG, AE_IFLNK}) {
        std::string zip = MakeZip(dir.File("target/self.zip"), {{"self.zip", "elsewhere", type},
                                                                {"docs/x.txt", "bad"},
                                                                {"file.txt", "bad"},
                                                                {"ok.txt", "ok"}});
        std::string before = dir.Read("target/self.zip");
        auto r = platform::ExtractZip(zip, dir.File("target"));
        EXPECT_EQ(r.skipped.size() + r.failed.size(), 3u);
        EXPECT_EQ(r.skipped.front(), "self.zip");
        EXPECT_EQ(dir.Read("target/self.zip"), before);
        EXPECT_EQ(dir.Read("target/ok.txt"), "ok");
        EXPECT_TRUE(fs::is_empty(dir.File("outside")));
    }

    const std::string zeros(4 * 1024 * 1024, '\0');  // compresses to almost nothing
    std::string bomb =
        MakeZip(dir.File("bomb.zip"),
                {{"small.txt", "small"}, {"zeros.bin", zeros}, {"after.txt", "never"}});
    fs::create_directories(dir.File("out"));
    auto r = platform::ExtractZip(bomb, dir.File("out"), 1024 * 1024);
    EXPECT_EQ(r.failed, std::vector<std::string>{"zeros.bin"});
    EXPECT_NE(r.error.find("free space"), std::string::npos) << r.error;
    EXPECT_EQ(dir.Read("out/small.txt"), "small");
    EXPECT_FALSE(fs::exists(dir.File("out/zeros.bin")));
    EXPECT_FALSE(fs::exists(dir.File("out/after.txt")));
    // Unbounded by hand, the free space of the folder decides: it fits.
    EXPECT_TRUE(platform::ExtractZip(bomb, dir.File("out")).Complete());
}

TEST(ZipExtract, DamagedOrMissingArchiveIsReported) {
    testsupport::TempDir dir;
    auto missing = platform::ExtractZip(dir.File("none.zip"), dir.Path());
    EXPECT_FALSE(missing.archiveRead);
    EXPECT_NE(missing.error.find("none.zip"), std::string::npos);
    dir.Write("junk.zip", std::string(1000, 'j'));
    auto junk = platform::ExtractZip(dir.File("junk.zip"), dir.Path());
    EXPECT_FALSE(junk.archiveRead);
    EXPECT_FALSE(junk.error.empty());

    // A real archive cut in the middle of its only member's data.
    std::string data(200000, 'q');
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(rand());
    MakeZip(dir.File("cut.zip"), {{"first.bin", data}});
    std::string whole = dir.Read("cut.zip");
    dir.Write("cut.zip", whole.substr(0, whole.size() / 2));
    fs::create_directories(dir.File("out"));
    auto cut = platform::ExtractZip(dir.File("cut.zip"), dir.File("out"));
    EXPECT_FALSE(cut.Complete());
    EXPECT_FALSE(cut.error.empty());
    EXPECT_FALSE(fs::exists(dir.File("out/first.bin")));  // no truncated file left looking complete
}

}  // namespace
