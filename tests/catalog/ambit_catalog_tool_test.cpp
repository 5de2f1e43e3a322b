// The built ambit-catalog program, run as a publisher would run it: on
// the demo catalog and on broken files.
#include <gtest/gtest.h>

#include "catalog_test_util.h"
#include "child_process.h"
#include "temp_dir.h"

namespace {

using catalogtest::kHeader;

struct Result {
    int status = -1;
    std::string out;  // standard output and error, in order
};

Result RunTool(std::vector<std::string> args) {
    std::string command = std::string(AMBIT_BINARY_DIR) + "/bin/ambit-catalog";
    for (const std::string& a : args) command += " '" + a + "'";
    testsupport::ChildProcess child({"/bin/sh", "-c", command + " 2>&1"});
    Result r;
    r.status = child.Finish();
    for (const std::string& line : child.Lines()) r.out += line + "\n";
    return r;
}

const std::string kDemo = std::string(AMBIT_SOURCE_DIR) + "/demo/map";

// The demo prints with every folder opened; a resaved copy prints the same
// and checks clean.
TEST(AmbitCatalogTool, PrintsTheDemoAndAResavedCopyTheSame) {
    testsupport::TempDir dir;
    Result r = RunTool({"print", kDemo});
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("All  [folder]\n  Ambit  [ftp site]\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\n    Compression  [folder entry]\n      Zip notes  [item]\n"),
              std::string::npos);
    EXPECT_NE(r.out.find("Word ladder  [item, price 4.50]"), std::string::npos);

    ASSERT_EQ(RunTool({"resave", kDemo, dir.File("new")}).status, 0);
    EXPECT_EQ(RunTool({"print", dir.File("new")}).out, r.out);
    Result check = RunTool({"check", dir.File("new/ambit.amb"), dir.File("new/Utilitie.amb")});
    EXPECT_EQ(check.status, 0);
    EXPECT_NE(check.out.find("ambit.amb: valid data file, 6 lines (3 folders, 2 items, 0 comments "
                             "or blank), content date 07/17/27\n"),
              std::string::npos)
        << check.out;
}

TEST(AmbitCatalogTool, CheckAndResaveReportWhatIsWrong) {
    testsupport::TempDir dir;
    dir.Write("odd.amb", std::string(kHeader) + "CNAME=/All/NoFile\n/All/short:d:1.00\r\n#c\n" +
                             std::string("/All/nul:d\0x:::::: \n", 20) +
                             "/All/Up:d:0.00:h:/pub/run.desktop:::[default]/../../.config/x\n"
                             "/All/Fine:d:0.00:h:/x.zip:::[default]\\games\n");
    dir.Write("bad.amb", "%Internet Ambit Data File %ver=\"0.9\"\n/All/x:d:::::: \n");
    dir.Write("empty.amb", "");
    dir.Write("cat/ambit.amb", "garbage\n");
    const struct {
        std::vector<std::string> args;
        int status;
        std::string output;
    } cases[] = {
        {{"check", dir.File("odd.amb")},
         0,
         "odd.amb: valid data file, 7 lines (1 folders, 4 items, 1 comments or blank)\n"
         "  line 2: folder line without a file name\n"
         "  line 3: item line has 3 of 8 fields\n"
         "  line 5: contains NUL bytes\n"
         "  line 6: item \"Up\" would be downloaded outside"},
        {{"check", dir.File("odd.amb"), dir.File("bad.amb")}, 1, "bad.amb: not a valid data file"},
        {{"check", dir.File("empty.amb")}, 1, "empty.amb: not a valid data file: it is empty"},
        {{"check", dir.File("missing.amb")}, 1, "missing.amb: cannot open"},
        {{"print", dir.File("nothing")}, 1, "ambit.amb: cannot open"},
        {{"resave", dir.File("cat"), dir.File("out")}, 1, "not a valid data file"},
        {{"frobnicate"}, 2, "usage:"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args[0] + " " + c.args.back());
        Result r = RunTool(c.args);
        EXPECT_EQ(r.status, c.status);
        EXPECT_NE(r.out.find(c.output), std::string::npos) << r.out;
    }
    EXPECT_EQ(RunTool({"check", dir.File("odd.amb")}).out.find("line 7"), std::string::npos);
    EXPECT_EQ(dir.Read("cat/ambit.amb"), "garbage\n");
}

}  // namespace
