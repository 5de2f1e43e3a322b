// The "$$" grammar: real arguments as ambit writes them, and the ways a
// field can go missing, each with the fields it must give.
#include "transfer/transfer_command.h"

#include <gtest/gtest.h>

namespace {

using transfer::ParseTransferCommand;

TEST(TransferCommand, ModeTableAndAskFlag) {
    struct Case {
        std::string argument;
        bool download, binary, known;
        bool ask;
    } cases[] = {
        {"h$$/p/f$$u$$PW$$/l/f$$0$$", true, false, true, false},
        {"h$$/p/f$$u$$PW$$/l/f$$1$$", true, true, true, false},
        {"h$$/p/f$$u$$PW$$/l/f$$2$$", false, false, true, false},
        {"h$$/p/f$$u$$PW$$/l/f$$3$$", false, true, true, false},
        {"h$$/p/f$$u$$PW$$/l/f$$1$$N$$", true, true, true, true},
        {"h$$/p/f$$u$$PW$$/l/f$$1$$n$$", true, true, true, false},  // only "N" asks
        // An unterminated ask flag reads empty; an unterminated mode gives no
        // direction; the mode is compared as the whole text.
        {"h$$/p/f$$u$$PW$$/l/f$$1$$N", true, true, true, false},
        {"h$$/p/f$$u$$PW$$/l/f$$3", true, true, false, false},
        {"h$$/p/f$$u$$PW$$/l/f$$ 3$$", true, true, false, false},
        {"h$$/p/f$$u$$PW$$/l/f$$7$$", true, true, false, false},
    };
    for (const auto& c : cases) {
        auto cmd = ParseTransferCommand(c.argument);
        EXPECT_EQ(cmd.isDownload, c.download) << c.argument;
        EXPECT_EQ(cmd.isBinary, c.binary) << c.argument;
        EXPECT_EQ(cmd.modeKnown, c.known) << c.argument;
        EXPECT_EQ(cmd.AskWhatToDo(), c.ask) << c.argument;
        EXPECT_FALSE(cmd.orderMode);
    }
}

TEST(TransferCommand, PlainTransferFieldsTrimmingAndDisplayName) {
    auto cmd = ParseTransferCommand(
        " ftp.example.org $$/pub/win95/ tool.zip$$  ftp \t$$ ABCD $$/home/u/dl/ tool.zip$$1$$");
    EXPECT_EQ(cmd.firstField, " ftp.example.org ");
    EXPECT_EQ(cmd.host, "ftp.example.org");
    EXPECT_EQ(cmd.remotePath, "/pub/win95/ tool.zip");
    EXPECT_EQ(cmd.user, "ftp");
    EXPECT_EQ(cmd.scrambledPassword, "ABCD");
    EXPECT_EQ(cmd.localPath, "/home/u/dl/ tool.zip");  // only user and password are trimmed
    EXPECT_EQ(cmd.displayName, " tool.zip");
    EXPECT_EQ(ParseTransferCommand("h$$noslash.txt$$u$$p$$l$$1$$").displayName, "noslash.txt");
    EXPECT_EQ(ParseTransferCommand("h$$/dir/$$u$$p$$l$$1$$").displayName, "");
    // Three dollars: the field ends at the first pair.
    EXPECT_EQ(ParseTransferCommand("h$$$/f$$u$$p$$l$$1$$").remotePath, "$/f");

    // Quotes and shell characters are just text.
    auto hostile = ParseTransferCommand("h$$/a/\"x; rm -rf ~\".txt$$u$$p$$/tmp/'q'$$0$$");
    EXPECT_EQ(hostile.displayName, "\"x; rm -rf ~\".txt");
    EXPECT_EQ(hostile.localPath, "/tmp/'q'");
}

TEST(TransferCommand, OrderFormsHandTheOrderFileOn) {
    auto buy = ParseTransferCommand("FINFO$$/data/amb12345$$");
    EXPECT_TRUE(buy.orderMode && !buy.isResume && buy.isDownload);
    EXPECT_EQ(buy.orderFilePath, "/data/amb12345");
    auto resume = ParseTransferCommand("RINFO$$ /data/descr.tmp $$");
    EXPECT_TRUE(resume.orderMode && resume.isResume);
    EXPECT_EQ(resume.orderFilePath, "/data/descr.tmp");

    // The closing pair is dropped by position.
    EXPECT_EQ(ParseTransferCommand("FINFO$$/o/f").orderFilePath, "/o");
    EXPECT_EQ(ParseTransferCommand("FINFO$$").orderFilePath, "");
    EXPECT_FALSE(ParseTransferCommand("finfo$$/x$$").orderMode);
}

}  // namespace
