// Start-up with a catalog that takes a while to read: a shown window is
// painted before the read begins (a hidden one is not), as one event
// filter logs in order. The reading progress is drawn during the read and
// gone afterwards, with the normal cursor back.
#include <gtest/gtest.h>

#include <QApplication>
#include <QEvent>
#include <fstream>
#include <string>
#include <vector>

#include "ui/read_progress_dialog.h"
#include "ui_test_env.h"

namespace {

// "paint": the tree's first paint; "read": the reading progress appears.
class StartLog : public QObject {
public:
    std::vector<std::string> entries;
    QWidget* viewport = nullptr;
    ui::ReadProgressDialog* progress = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && watched == viewport && !painted_) {
            painted_ = true;
            entries.push_back("paint");
        } else if (event->type() == QEvent::Show &&
                   watched->objectName() == QStringLiteral("gettingData")) {
            entries.push_back("read");
            progress = qobject_cast<ui::ReadProgressDialog*>(watched);
        }
        return false;
    }

private:
    bool painted_ = false;
};

TEST(StartupPaint, TheWindowComesBeforeTheRead) {
    const struct {
        bool shown;
        std::vector<std::string> log;  // while InitialUpdate runs
    } cases[] = {{true, {"paint", "read"}}, {false, {"read"}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.shown ? "shown" : "hidden");
        uitest::UiTestEnv env;
        env.StoreKnownUser();
        std::ofstream out(env.DataDir() + "/ambit.amb");
        out << "%Internet Ambit Data File %ver=\"1.0\"\n";
        for (int i = 0; i < 3000; ++i)
            out << "/All/F" << i % 20 << "/Item " << i << ":Text:0.00:ftp.example.com:/pub/f" << i
                << ".zip:01/02/97:100:[default]\n";
        out.close();

        ui::CMainFrame frame(ui::FrameOptions{env.DataDir(), 0});
        StartLog log;
        log.viewport = frame.View()->viewport();
        qApp->installEventFilter(&log);
        if (c.shown) frame.show();
        frame.View()->InitialUpdate();
        qApp->removeEventFilter(&log);

        EXPECT_EQ(log.entries, c.log);
        EXPECT_GE(frame.View()->Catalog().Tree().ItemCount(), 3000u);
        EXPECT_TRUE(env.prompt.Shown().empty());
        ASSERT_NE(log.progress, nullptr);
        EXPECT_GT(log.progress->Repaints(), 0) << "even a quick read shows the bar once";
        EXPECT_FALSE(log.progress->isVisible());
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
        frame.View()->Catalog().SetChanged(false);
    }
}

}  // namespace
