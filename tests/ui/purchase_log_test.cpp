// The Transaction Log and Individual Transaction dialogs over a transfer
// record file written by real appends, and what printing them puts on paper
// (a PDF read back with pdftotext).
#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QPixmap>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QTreeWidget>
#include <cstdlib>

#include "purchase/transfer_records.h"
#include "temp_dir.h"
#include "ui/command_ids.h"
#include "ui/command_table.h"
#include "ui/individual_transaction_dialog.h"
#include "ui/main_frame.h"
#include "ui/transaction_log_dialog.h"
#include "ui/transaction_printer.h"
#include "ui_test_env.h"

namespace {

using purchase::TransferRecord;
using purchase::TransferRecords;

TransferRecord Record(const std::string& file, const std::string& price) {
    return {file,       "Ann Lee",           "12 Main St\nDuluth, MN 55802",
            "555-0100", "<b>Ann B. Lee</b>", "PO Box 7\nDuluth",
            "555-0199", "07/17/96-10:04",    price,
            "10",       "ftp.example.org"};
}

class PurchaseLogTest : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = dir_.File("ambit.trn");
        ASSERT_TRUE(TransferRecords::Append(path_, Record("game.zip", "21.29")));
        ASSERT_TRUE(TransferRecords::Append(path_, Record("tool.zip", "5.00")));
        ASSERT_EQ(TransferRecords::ReadAll(path_, records_), platform::StringArrayRead::kOk);
    }

    // Prints to a PDF and returns its text, line by line, blanks squeezed.
    QStringList PrintedLines(const ui::PrintedText& text) {
        QString pdf = QString::fromStdString(dir_.File("out.pdf"));
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        EXPECT_EQ(ui::TransactionPrinter::Print(printer, text), 1);
        QProcess pdftotext;
        pdftotext.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, "-"});
        EXPECT_TRUE(pdftotext.waitForFinished(20000)) << "pdftotext (poppler-utils) is needed";
        QStringList lines;
        for (QString line : QString::fromUtf8(pdftotext.readAllStandardOutput()).split('\n')) {
            line = line.simplified();
            if (!line.isEmpty()) lines << line;
        }
        return lines;
    }

    testsupport::TempDir dir_;
    std::string path_;
    std::vector<TransferRecord> records_;
};

TEST_F(PurchaseLogTest, ListShowsEveryRecordAndPrintsUnderItsHeader) {
    std::vector<ui::PrintedText> printed;
    ui::TransactionLogDialog dialog(records_,
                                    [&](const ui::PrintedText& t) { printed.push_back(t); });
    EXPECT_EQ(dialog.windowTitle(), "Transaction Log");
    QTreeWidget* list = dialog.List();
    ASSERT_EQ(list->topLevelItemCount(), 2);
    EXPECT_EQ(list->headerItem()->text(0), "File Name:");
    EXPECT_EQ(list->headerItem()->text(3), "Server Address:");
    const QStringList second = {"tool.zip", "07/17/96-10:04", "5.00", "ftp.example.org"};
    for (int c = 0; c < 4; ++c) EXPECT_EQ(list->topLevelItem(1)->text(c), second[c]) << c;

    if (const char* shots = std::getenv("AMBIT_SCREENSHOT_DIR")) {
        dialog.resize(640, 300);
        dialog.grab().save(QString::fromUtf8(shots) + "/purchase-log.png");
    }
    dialog.findChild<QPushButton*>("print")->click();
    ASSERT_EQ(printed.size(), 1u);
    EXPECT_EQ(
        PrintedLines(printed[0]),
        (QStringList{"Filename Date Price Server", "game.zip 07/17/96-10:04 21.29 ftp.example.org",
                     "tool.zip 07/17/96-10:04 5.00 ftp.example.org"}));
}

TEST_F(PurchaseLogTest, OneTransactionShowsAllFieldsAsTextAndPrintsOnRequest) {
    std::vector<ui::PrintedText> printed;
    ui::TransactionLogDialog log(records_, [&](const ui::PrintedText& t) { printed.push_back(t); });

    // Closing the detail with OK prints nothing; its Print button prints it.
    for (const char* button : {"", "print"}) {
        auto ran = uitest::WhenModal([button](QWidget* w) {
            auto* detail = qobject_cast<ui::IndividualTransactionDialog*>(w);
            ASSERT_NE(detail, nullptr);
            EXPECT_EQ(detail->windowTitle(), "Individual Transaction:");
            QLabel* holder = detail->findChild<QLabel*>("holderName");
            ASSERT_NE(holder, nullptr);
            EXPECT_EQ(holder->textFormat(), Qt::PlainText);
            EXPECT_EQ(holder->text(), "<b>Ann B. Lee</b>");
            EXPECT_EQ(detail->findChild<QLabel*>("userAddress")->text(),
                      "12 Main St\nDuluth, MN 55802");
            EXPECT_EQ(detail->findChild<QLabel*>("checksum")->text(), "10");
            EXPECT_EQ(detail->findChild<QLabel*>("price")->text(), "21.29");
            if (*button)
                detail->findChild<QPushButton*>(button)->click();
            else
                detail->accept();
        });
        log.ShowTransaction(0);
        EXPECT_TRUE(*ran);
    }
    ASSERT_EQ(printed.size(), 1u);
    EXPECT_EQ(PrintedLines(printed[0]),
              (QStringList{"File: game.zip", "Price: 21.29", "Date: 07/17/96-10:04",
                           "Server: ftp.example.org", "Credit Card Checksum: 10", "Ann Lee",
                           "12 Main St", "Duluth, MN 55802", "Phone: 555-0100",
                           "Card holder information:", "<b>Ann B. Lee</b>", "PO Box 7", "Duluth",
                           "Phone: 555-0199"}));
}

TEST(PurchaseLogCommand, OpensTheLogOfTheSystemDirectory) {
    uitest::UiTestEnv env;
    env.StoreKnownUser();
    ASSERT_TRUE(TransferRecords::Append(TransferRecords::Path(), Record("game.zip", "21.29")));
    ui::CMainFrame frame(ui::FrameOptions{env.DataDir(), 0});
    frame.UpdateCommands();
    QAction* log = frame.Commands().Action(ui::cmd::kPurchaseLog);
    ASSERT_TRUE(log->isEnabled());
    EXPECT_TRUE(frame.Commands().Action(ui::cmd::kResumeTransfer)->isEnabled());
    int rows = -1;
    auto ran = uitest::WhenModal([&](QWidget* w) {
        auto* dialog = qobject_cast<ui::TransactionLogDialog*>(w);
        ASSERT_NE(dialog, nullptr);
        rows = dialog->List()->topLevelItemCount();
        dialog->accept();
    });
    log->trigger();
    EXPECT_TRUE(*ran);
    EXPECT_EQ(rows, 1);
}

}  // namespace
