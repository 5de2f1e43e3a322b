// The command lines the main window hands to skiff, read back with skiff's
// own parser: the two programs must agree on every field, also for paths
// with blanks, colons and non-ASCII letters.
#include <gtest/gtest.h>

#include "catalog/catalog.h"
#include "session/catalog_session.h"
#include "session_test_env.h"
#include "store/scramble.h"
#include "transfer/transfer_command.h"

namespace {

TEST(SkiffCommand, SkiffReadsWhatTheMainWindowWrites) {
    sessiontest::SessionTestEnv env;
    env.StoreKnownUser();
    session::CatalogSession session(env.DataDir());
    session.InitialUpdate({});  // reads the stored address

    catalog::CEntry item;
    item.Name = "Grüße Tool";
    item.Address = "files.example.org";
    item.Path = "/pub/new tools/grüße: v2.zip";
    item.DownloadDir = "[default]/my files";
    bool quit = false;
    for (bool ascii : {false, true}) {
        ASSERT_TRUE(session.DownloadItem(item, session.LocalPathFor(item), ascii, &quit));
        const auto& argv = env.launcher.Started().back();
        ASSERT_EQ(argv.size(), 2u) << "skiff gets exactly one argument";
        transfer::TransferCommand c = transfer::ParseTransferCommand(argv[1]);
        EXPECT_EQ(c.host, "files.example.org");
        EXPECT_EQ(c.remotePath, item.Path);
        EXPECT_EQ(c.user, "ftp");
        EXPECT_EQ(store::Unscramble(c.scrambledPassword), "reader@example.org");
        EXPECT_EQ(c.localPath, env.DownloadDir() + "/my files/grüße: v2.zip");
        EXPECT_TRUE(c.isDownload);
        EXPECT_EQ(c.isBinary, !ascii);
        EXPECT_TRUE(c.AskWhatToDo()) << "the user is asked what to do with the file";
        EXPECT_EQ(c.displayName, "grüße: v2.zip");
    }
}

}  // namespace
