// The built ambit-catalog program, run as a publisher would run it: on
// the demo catalog and on broken files.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "catalog_test_util.h"
#include "platform/atomic_file.h"
#include "temp_dir.h"

extern char** environ;

namespace {

using catalogtest::kHeader;

struct Result {
    int status = -1;
    std::string out, err;
};

// Runs the tool with its output in files of `dir`; waits for it to end.
Result RunTool(const testsupport::TempDir& dir, std::vector<std::string> args) {
    std::string tool = std::string(AMBIT_BINARY_DIR) + "/bin/ambit-catalog";
    args.insert(args.begin(), tool);
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, dir.File("out.txt").c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, dir.File("err.txt").c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid;
    Result r;
    int rc = posix_spawn(&pid, tool.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) return r;
    int status = 0;
    waitpid(pid, &status, 0);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    r.out = dir.Read("out.txt");
    r.err = dir.Read("err.txt");
    return r;
}

const std::string kDemo = std::string(AMBIT_SOURCE_DIR) + "/demo/map";

// The demo prints with every folder opened, and a resaved copy prints the
// same and checks clean.
TEST(AmbitCatalogTool, PrintsTheDemoAndAResavedCopyTheSame) {
    testsupport::TempDir dir;
    Result r = RunTool(dir, {"print", kDemo});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("All  [folder]\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\n  Ambit  [ftp site]\n"), std::string::npos);
    EXPECT_NE(r.out.find("\n    Compression  [folder entry]\n      Zip notes  [item]\n"),
              std::string::npos)
        << "a folder inside a folder file is opened too";
    EXPECT_NE(r.out.find("Word ladder  [item, price 4.50]"), std::string::npos);
    EXPECT_EQ(r.err, "");

    Result resave = RunTool(dir, {"resave", kDemo, dir.File("copy/new")});
    ASSERT_EQ(resave.status, 0) << resave.err;
    EXPECT_EQ(RunTool(dir, {"print", dir.File("copy/new")}).out, r.out);
    Result check =
        RunTool(dir, {"check", dir.File("copy/new/ambit.amb"), dir.File("copy/new/Utilitie.amb")});
    EXPECT_EQ(check.status, 0);
    EXPECT_NE(check.out.find("ambit.amb: valid data file, 6 lines (3 folders, 2 items, 0 comments "
                             "or blank), content date 07/17/27\n"),
              std::string::npos)
        << check.out;
}

TEST(AmbitCatalogTool, CheckReportsSuspiciousLinesAndRejectsInvalidFiles) {
    testsupport::TempDir dir;
    dir.Write("odd.amb", std::string(kHeader) + "CNAME=/All/NoFile\n/All/short:d:1.00\r\n#c\n" +
                             std::string("/All/nul:d\0x:::::: \n", 20));
    dir.Write("bad.amb", "%Internet Ambit Data File %ver=\"0.9\"\n/All/x:d:::::: \n");
    dir.Write("empty.amb", "");
    Result r = RunTool(dir, {"check", dir.File("odd.amb"), dir.File("bad.amb"),
                             dir.File("empty.amb"), dir.File("missing.amb")});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(
        r.out.find("odd.amb: valid data file, 5 lines (1 folders, 2 items, 1 comments or blank)\n"
                   "  line 2: folder line without a file name\n"
                   "  line 3: item line has 3 of 8 fields\n"
                   "  line 5: contains NUL bytes\n"),
        std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("bad.amb: not a valid data file"), std::string::npos);
    EXPECT_NE(r.out.find("empty.amb: not a valid data file: it is empty"), std::string::npos);
    EXPECT_NE(r.out.find("missing.amb: cannot open"), std::string::npos);

    Result ok = RunTool(dir, {"check", dir.File("odd.amb")});
    EXPECT_EQ(ok.status, 0);

    // Items that would be written outside the default download directory
    // are named; the file stays valid.
    dir.Write("targets.amb",
              std::string(kHeader) +
                  "/All/Up:d:0.00:h:/pub/run.desktop:::[default]/../../.config/autostart\n"
                  "/All/Abs:d:0.00:h:/x.zip:::/home/u/.config/autostart\n"
                  "/All/Fine:d:0.00:h:/x.zip:::[default]\\games\n");
    Result targets = RunTool(dir, {"check", dir.File("targets.amb")});
    EXPECT_EQ(targets.status, 0);
    EXPECT_NE(targets.out.find("  line 2: item \"Up\" would be downloaded outside"),
              std::string::npos)
        << targets.out;
    EXPECT_NE(targets.out.find("  line 3: item \"Abs\""), std::string::npos);
    EXPECT_EQ(targets.out.find("line 4"), std::string::npos);
}

TEST(AmbitCatalogTool, PrintAndResaveRefuseADirectoryWithoutAValidCatalog) {
    testsupport::TempDir dir;
    Result none = RunTool(dir, {"print", dir.File("nothing")});
    EXPECT_EQ(none.status, 1);
    EXPECT_NE(none.err.find("ambit.amb: cannot open"), std::string::npos) << none.err;
    dir.Write("cat/ambit.amb", "garbage\n");
    Result bad = RunTool(dir, {"resave", dir.File("cat"), dir.File("out")});
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.err.find("not a valid data file"), std::string::npos);
    EXPECT_EQ(dir.Read("cat/ambit.amb"), "garbage\n");
    Result usage = RunTool(dir, {"frobnicate"});
    EXPECT_EQ(usage.status, 2);
    EXPECT_NE(usage.err.find("usage:"), std::string::npos);
}

}  // namespace
