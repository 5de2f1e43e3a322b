// The progress window while a data file is read: shown during the read,
// gone afterwards with the normal cursor back, and cheap: a large file must
// not cost a repaint per line.
#include "ui/read_progress_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <sstream>

#include "catalog/catalog.h"

namespace {

class RecordingProgress : public ui::ReadProgressDialog {
public:
    void Begin(const std::string& text, std::int64_t range) override {
        ui::ReadProgressDialog::Begin(text, range);
        shownDuringRead = isVisible();
    }
    bool shownDuringRead = false;
};

TEST(ReadProgressDialog, ShowsTheReadAndGoesAwayAfterIt) {
    std::ostringstream file;
    file << "%Internet Ambit Data File %ver=\"1.0\"\n";
    for (int i = 0; i < 50000; ++i)
        file << "/All/F" << (i % 50) << "/item" << i << ":Text:0.00:127.0.0.1:/pub/f" << i
             << ".zip:01/01/26:100:[default]\n";
    catalog::Catalog cat("/nonexistent-data-dir");
    RecordingProgress progress;
    cat.SetProgress(&progress);
    std::istringstream in(file.str());
    ASSERT_TRUE(cat.ReadDataFile(in, "", 0));

    EXPECT_TRUE(progress.shownDuringRead);
    EXPECT_GT(progress.Repaints(), 0) << "even a quick read shows the bar once";
    EXPECT_LE(progress.Repaints(), 101);
    EXPECT_FALSE(progress.isVisible());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    cat.SetProgress(nullptr);
}

}  // namespace
