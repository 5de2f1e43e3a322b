// The Transaction Log and Individual Transaction dialogs over a transfer
// record file written by real appends, what printing them puts on paper (a
// PDF read back with pdftotext), and the window's command that opens it.
#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QTreeWidget>

#include "purchase/transfer_records.h"
#include "ui/command_ids.h"
#include "ui/individual_transaction_dialog.h"
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

class PurchaseLogTest : public uitest::WindowTest {
protected:
    void SetUp() override {
        env.StoreKnownUser();
        ASSERT_TRUE(TransferRecords::Append(TransferRecords::Path(), Record("game.zip", "21.29")));
        ASSERT_TRUE(TransferRecords::Append(TransferRecords::Path(), Record("tool.zip", "5.00")));
    }

    // Prints to a PDF and returns its text, line by line, blanks squeezed.
    QStringList PrintedLines(const ui::PrintedText& text) {
        QString pdf = QString::fromStdString(env.dir.File("out.pdf"));
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
};

// The list, one transaction shown as plain text (closed with OK, then
// printed), and the list printed under its header.
TEST_F(PurchaseLogTest, ListsEveryRecordAndPrintsOnRequest) {
    std::vector<ui::PrintedText> printed;
    std::vector<TransferRecord> records;
    ASSERT_EQ(TransferRecords::ReadAll(TransferRecords::Path(), records),
              platform::StringArrayRead::kOk);
    ui::TransactionLogDialog log(records, [&](const ui::PrintedText& t) { printed.push_back(t); });
    QTreeWidget* list = log.List();
    ASSERT_EQ(list->topLevelItemCount(), 2);
    EXPECT_EQ(list->headerItem()->text(3), "Server Address:");
    const QStringList second = {"tool.zip", "07/17/96-10:04", "5.00", "ftp.example.org"};
    for (int c = 0; c < 4; ++c) EXPECT_EQ(list->topLevelItem(1)->text(c), second[c]) << c;
    for (const char* button : {"", "print"}) {
        auto shown = uitest::WhenModal([button](QWidget* w) {
            auto* detail = qobject_cast<ui::IndividualTransactionDialog*>(w);
            ASSERT_NE(detail, nullptr);
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
        EXPECT_TRUE(*shown);
    }
    log.findChild<QPushButton*>("print")->click();
    ASSERT_EQ(printed.size(), 2u);
    EXPECT_EQ(PrintedLines(printed[0]),
              (QStringList{"File: game.zip", "Price: 21.29", "Date: 07/17/96-10:04",
                           "Server: ftp.example.org", "Credit Card Checksum: 10", "Ann Lee",
                           "12 Main St", "Duluth, MN 55802", "Phone: 555-0100",
                           "Card holder information:", "<b>Ann B. Lee</b>", "PO Box 7", "Duluth",
                           "Phone: 555-0199"}));
    EXPECT_EQ(
        PrintedLines(printed[1]),
        (QStringList{"Filename Date Price Server", "game.zip 07/17/96-10:04 21.29 ftp.example.org",
                     "tool.zip 07/17/96-10:04 5.00 ftp.example.org"}));
}

// The window's command opens the log of the system directory.
TEST_F(PurchaseLogTest, TheCommandOpensTheLog) {
    env.prompt.Answer(false);  // no ambit.amb: start with an empty tree
    StartWindow();
    auto ran = uitest::WhenModal([](QWidget* w) {
        auto* dialog = qobject_cast<ui::TransactionLogDialog*>(w);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->List()->topLevelItemCount(), 2);
        dialog->accept();
    });
    Run(ui::cmd::kPurchaseLog);
    EXPECT_TRUE(*ran);
    EXPECT_TRUE(Action(ui::cmd::kResumeTransfer)->isEnabled());
}

}  // namespace
