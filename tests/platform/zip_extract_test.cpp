// Unpacking downloaded archives: ordinary archives come out whole, hostile
// ones never write outside the target folder, and damaged ones are reported.
// Besides recorded archives of other tools, archives are made here with
// libarchive's writer, which stores entry names exactly as given.
#include "platform/zip_extract.h"

#include <archive.h>
#include <archive_entry.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <map>

#include "temp_dir.h"

namespace {

namespace fs = std::filesystem;

struct Item {
    Item(std::string n, std::string d, mode_t t = AE_IFREG, std::string link = "", mode_t p = 0644)
        : name(std::move(n)), data(std::move(d)), type(t), linkTarget(std::move(link)), perm(p) {}
    std::string name;
    std::string data;  // file content
    mode_t type;
    std::string linkTarget;  // for AE_IFLNK
    mode_t perm;
};

std::string MakeZip(const std::string& path, const std::vector<Item>& items) {
    archive* a = archive_write_new();
    archive_write_set_format_zip(a);
    EXPECT_EQ(archive_write_open_filename(a, path.c_str()), ARCHIVE_OK);
    for (const auto& it : items) {
        archive_entry* e = archive_entry_new();
        archive_entry_set_pathname(e, it.name.c_str());
        archive_entry_set_filetype(e, it.type);
        archive_entry_set_perm(e, it.type == AE_IFDIR ? 0755 : it.perm);
        if (it.type == AE_IFLNK) archive_entry_set_symlink(e, it.linkTarget.c_str());
        archive_entry_set_size(e,
                               it.type == AE_IFREG ? static_cast<la_int64_t>(it.data.size()) : 0);
        EXPECT_EQ(archive_write_header(a, e), ARCHIVE_OK) << it.name;
        if (it.type == AE_IFREG && !it.data.empty())
            archive_write_data(a, it.data.data(), it.data.size());
        archive_entry_free(e);
    }
    archive_write_close(a);
    archive_write_free(a);
    return path;
}

// Archives made by other tools (data/: Python's zipfile stored and
// deflated, Info-ZIP with links kept): what each must give, and which of
// its entries must be refused.
TEST(ZipExtract, ArchivesOfOtherToolsComeOutWholeAndHostileEntriesStayOut) {
    const std::string pattern = [] {
        std::string s;
        for (int i = 0; i < 400; ++i)
            for (int b = 0; b < 256; ++b) s += static_cast<char>(b);
        return s;
    }();
    struct Case {
        const char* zip;
        std::map<std::string, std::string> files;  // content, or "-> target" for a link
        std::vector<std::string> skipped;
        std::vector<std::string> executables;  // every other file is not
    };
    const Case cases[] = {
        {"stored.zip",
         {{"readme.txt", "hello\n"},
          {"empty.txt", ""},
          {"dot/name.txt", "dotted"},
          {"docs/manual.txt",
           [] {
               std::string s;
               for (int i = 0; i < 100; ++i) s += "chapter one\n";
               return s;
           }()}},
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
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.zip);
        testsupport::TempDir dir;
        const std::string target = dir.File("target");
        fs::create_directories(target);
        auto r = platform::ExtractZip(std::string(AMBIT_TEST_DATA_DIR "/") + c.zip, target);
        EXPECT_TRUE(r.archiveRead) << r.error;
        EXPECT_EQ(r.Complete(), c.skipped.empty()) << r.error;
        EXPECT_EQ(r.skipped, c.skipped);
        EXPECT_TRUE(r.failed.empty());
        for (const auto& [name, content] : c.files) {
            if (content.starts_with("-> "))
                EXPECT_EQ(fs::read_symlink(dir.File("target/" + name)), content.substr(3)) << name;
            else
                EXPECT_TRUE(dir.Read("target/" + name) == content) << name;
        }
        for (const auto& [name, content] : c.files) {
            if (content.starts_with("-> ")) continue;
            bool exec = std::ranges::find(c.executables, name) != c.executables.end();
            EXPECT_EQ(fs::status(dir.File("target/" + name)).permissions() & fs::perms::owner_exec,
                      exec ? fs::perms::owner_exec : fs::perms::none)
                << name;
        }
        // Nothing outside the target folder, nothing through a link.
        for (const auto& e : fs::recursive_directory_iterator(dir.Path())) {
            std::string p = e.path().string();
            EXPECT_EQ(p.find("escaped"), std::string::npos) << p;
            EXPECT_EQ(p.rfind(target, 0), 0u) << p;
        }
        EXPECT_FALSE(fs::exists("/tmp/ambit-absolute.txt"));
    }
}

// Each hostile entry is refused and every harmless entry beside it still
// comes out; nothing appears outside the target.
TEST(ZipExtract, HostileEntriesAreSkippedAndTheRestExtracted) {
    testsupport::TempDir dir;
    fs::create_directories(dir.File("target"));
    std::string zip =
        MakeZip(dir.File("evil.zip"), {
                                          {"good1.txt", "one"},
                                          {"../escaped.txt", "bad"},
                                          {"sub/../../escaped2.txt", "bad"},
                                          {dir.File("absolute.txt"), "bad"},
                                          {"abs-link", "", AE_IFLNK, dir.Path()},
                                          {"up-link", "", AE_IFLNK, ".."},
                                          {"sub/sneaky-link", "", AE_IFLNK, "../.."},
                                          {"sub/mixed-link", "", AE_IFLNK, "x/../../.."},
                                          {"loop", "", AE_IFLNK, "."},
                                          {"loop/escaped3.txt", "bad"},
                                          {"good2/inner.txt", "two"},
                                      });
    auto r = platform::ExtractZip(zip, dir.File("target"));
    EXPECT_TRUE(r.archiveRead);
    EXPECT_FALSE(r.Complete());
    EXPECT_FALSE(r.error.empty());
    EXPECT_EQ(dir.Read("target/good1.txt"), "one");
    EXPECT_EQ(dir.Read("target/good2/inner.txt"), "two");
    // "loop" -> "." stays inside and is allowed, but nothing is written through it.
    EXPECT_TRUE(fs::is_symlink(dir.File("target/loop")));
    std::vector<std::string> expectSkipped = {
        "../escaped.txt", "sub/../../escaped2.txt", dir.File("absolute.txt"), "abs-link",
        "up-link",        "sub/sneaky-link",        "sub/mixed-link",         "loop/escaped3.txt"};
    EXPECT_EQ(r.skipped, expectSkipped);
    EXPECT_TRUE(r.failed.empty());
    for (const auto& e : fs::recursive_directory_iterator(dir.Path())) {
        std::string p = e.path().string();
        EXPECT_EQ(p.find("escaped"), std::string::npos) << p;
        EXPECT_EQ(p.find("absolute"), std::string::npos) << p;
    }
}

// An entry stored read-only still comes out writable by its owner, so that
// unpacking a newer copy of the archive over it can replace it.
TEST(ZipExtract, ReadOnlyEntriesStayReplaceable) {
    testsupport::TempDir dir;
    fs::create_directories(dir.File("target"));
    std::string zip = MakeZip(dir.File("ro.zip"), {{"ro.txt", "ro", AE_IFREG, "", 0444}});
    auto r = platform::ExtractZip(zip, dir.File("target"));
    EXPECT_TRUE(r.Complete()) << r.error;
    EXPECT_EQ(fs::status(dir.File("target/ro.txt")).permissions() & fs::perms::owner_write,
              fs::perms::owner_write);
}

// A link that was already in the folder (not from the archive) is not
// written through either.
TEST(ZipExtract, ExistingLinksAreNotFollowed) {
    testsupport::TempDir dir;
    fs::create_directories(dir.File("target"));
    fs::create_directories(dir.File("outside"));
    fs::create_directory_symlink(dir.File("outside"), dir.File("target/docs"));
    fs::create_symlink(dir.File("outside/victim"), dir.File("target/file.txt"));
    std::string zip =
        MakeZip(dir.File("a.zip"), {{"docs/x.txt", "bad"}, {"file.txt", "bad"}, {"ok.txt", "ok"}});
    auto r = platform::ExtractZip(zip, dir.File("target"));
    EXPECT_FALSE(r.Complete());
    EXPECT_EQ(r.skipped.size() + r.failed.size(), 2u);
    EXPECT_FALSE(fs::exists(dir.File("outside/x.txt")));
    EXPECT_FALSE(fs::exists(dir.File("outside/victim")));
    EXPECT_EQ(dir.Read("target/ok.txt"), "ok");
}

// The archive being unzipped is never replaced, by a file or a link of
// its own name, and an archive that expands past the allowed size stops
// with a message and no partial file.
TEST(ZipExtract, NeitherTheArchiveNorTheDiskIsOverrun) {
    testsupport::TempDir dir;
    for (mode_t type : {AE_IFREG, AE_IFLNK}) {
        std::string zip = MakeZip(dir.File("self.zip"),
                                  {{"self.zip", "replaced", type, "elsewhere"}, {"ok.txt", "ok"}});
        std::string before = dir.Read("self.zip");
        auto r = platform::ExtractZip(zip, dir.Path());
        EXPECT_EQ(r.skipped, std::vector<std::string>{"self.zip"});
        EXPECT_FALSE(fs::is_symlink(zip));
        EXPECT_EQ(dir.Read("self.zip"), before);
        EXPECT_EQ(dir.Read("ok.txt"), "ok");
    }

    const std::string zeros(4 * 1024 * 1024, '\0');  // compresses to almost nothing
    std::string bomb =
        MakeZip(dir.File("bomb.zip"),
                {{"small.txt", "small"}, {"zeros.bin", zeros}, {"after.txt", "never reached"}});
    fs::create_directories(dir.File("out"));
    auto r = platform::ExtractZip(bomb, dir.File("out"), 1024 * 1024);
    EXPECT_FALSE(r.Complete());
    EXPECT_EQ(r.failed, std::vector<std::string>{"zeros.bin"});
    EXPECT_NE(r.error.find("free space"), std::string::npos) << r.error;
    EXPECT_EQ(dir.Read("out/small.txt"), "small");
    EXPECT_FALSE(fs::exists(dir.File("out/zeros.bin")));
    EXPECT_FALSE(fs::exists(dir.File("out/after.txt")));
    // Unbounded by hand, the free space of the folder decides: it fits.
    auto whole = platform::ExtractZip(bomb, dir.File("out"));
    EXPECT_TRUE(whole.Complete()) << whole.error;
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
    std::string zip = MakeZip(dir.File("cut.zip"), {{"first.bin", data}});
    std::string whole = dir.Read("cut.zip");
    dir.Write("cut.zip", whole.substr(0, whole.size() / 2));
    fs::create_directories(dir.File("out"));
    auto cut = platform::ExtractZip(dir.File("cut.zip"), dir.File("out"));
    EXPECT_FALSE(cut.Complete());
    EXPECT_FALSE(cut.error.empty());
    EXPECT_FALSE(fs::exists(dir.File("out/first.bin")));  // no truncated file left looking complete
}

}  // namespace
