// The transaction log line, the transfer record file and the order file, as
// files on disk: exact content, privacy of the files, and what a damaged or
// unwritable file does.
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

#include "platform/string_array_file.h"
#include "purchase/order_elements.h"
#include "purchase/order_file_writer.h"
#include "purchase/transaction_log.h"
#include "purchase/transfer_records.h"
#include "purchase_fixture.h"

using purchase::OrderFileWriter;
using purchase::PurchaseRequest;
using purchase::TransactionLog;
using purchase::TransferRecord;
using purchase::TransferRecords;

namespace {

PurchaseRequest Request() {
    PurchaseRequest r;
    r.kind = PurchaseRequest::kNewPurchase;
    r.holderName = "Ann Lee";
    r.holderAddress = "12 Main St\r\nDuluth, MN 55802";
    r.holderPhone = "555-0100";
    r.storedName = "Ann B. Lee";
    r.storedAddress = "PO Box 7\nDuluth";
    r.storedPhone = "";
    r.cardType = "VISA";
    r.expiry = "04/99";
    r.transactionNumber = 42;
    r.remotePath = "/pub/game.zip";
    r.priceCents = 1999;
    r.dataPort = 40123;
    r.salesTax = 1;
    return r;
}

TransferRecord Record(const std::string& file) {
    return {file,         "Ann Lee",  "12 Main St\nDuluth", "555-0100",
            "Ann B. Lee", "PO Box 7", "555-0199",           "07/17/96-10:04",
            "21.29",      "10",       "ftp.example.org"};
}

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

TEST_F(PurchaseTest, TransactionLogWritesOneLinePerAnswerPrivately) {
    // The address's CR LF become two blanks that its length counts; the
    // stored telephone is empty; the card number is never written.
    const std::string expected =
        " 1 1 1 n 0 7 Ann Lee 28 12 Main St  Duluth, MN 55802 8 555-0100 10 Ann B. Lee"
        " 15 PO Box 7 Duluth 0  4 VISA 0  5 04/99 42 0  13 /pub/game.zip 1999 40123 0  0  1 0"
        " 4 Game\n";
    EXPECT_EQ(TransactionLog::FormatLine(1, Request(), 0, "Game"), expected);

    std::string path = TransactionLog::Path();
    ASSERT_TRUE(platform::MakeDirectories(platform::SystemDirectory()));
    EXPECT_EQ(TransactionLog::Append(path, 1, Request(), 0, "Game"), 0);
    EXPECT_EQ(TransactionLog::Append(path, 5, Request(), 3, "Game"), 0);
    EXPECT_EQ(Mode(path), 0600);
    std::string text = ReadText(path);
    EXPECT_EQ(text.substr(0, expected.size()), expected);
    EXPECT_EQ(text.substr(expected.size(), 9), " 5 1 1 n ");

    // An existing log left readable to others becomes private.
    ::chmod(path.c_str(), 0644);
    EXPECT_EQ(TransactionLog::Append(path, 1, Request(), 0, "Game"), 0);
    EXPECT_EQ(Mode(path), 0600);

    EXPECT_EQ(TransactionLog::Append(Dir().File("no/such/dir/ambtrn.log"), 1, Request(), 0, "G"),
              1);
}

TEST_F(PurchaseTest, TransferRecordsAppendReadBackAndStayPrivate) {
    std::string path = TransferRecords::Path();
    ASSERT_TRUE(TransferRecords::Append(path, Record("game.zip")));
    ASSERT_TRUE(TransferRecords::Append(path, Record("tool.zip")));
    EXPECT_EQ(Mode(path), 0600);

    std::vector<std::string> raw;
    ASSERT_EQ(platform::ReadStringArrayFile(path, raw), platform::StringArrayRead::kOk);
    ASSERT_EQ(raw.size(), 2u);
    EXPECT_EQ(raw[0],
              "game.zip$$Ann Lee$$12 Main St\nDuluth$$555-0100$$Ann B. Lee$$PO Box 7$$555-0199$$"
              "07/17/96-10:04$$21.29$$10$$ftp.example.org$$");

    // A damaged entry among good ones is skipped, not shown half.
    raw.insert(raw.begin() + 1, "broken$$entry$$");
    ASSERT_TRUE(platform::WriteStringArrayFile(path, raw, nullptr, 0600));
    std::vector<TransferRecord> records;
    ASSERT_EQ(TransferRecords::ReadAll(path, records), platform::StringArrayRead::kOk);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[1].fileName, "tool.zip");
    EXPECT_EQ(records[1].userAddress, "12 Main St\nDuluth");
    EXPECT_EQ(records[1].server, "ftp.example.org");

    EXPECT_EQ(TransferRecords::ReadAll(Dir().File("missing.trn"), records),
              platform::StringArrayRead::kMissing);
    EXPECT_TRUE(records.empty());

    struct Checksum {
        const char* card;
        int sum;
    };
    for (const Checksum& c :
         {Checksum{"4111111111111234", 10}, Checksum{"4111-1111-1111-1234 ", 10},
          Checksum{"99", 18}, Checksum{"", 0}})
        EXPECT_EQ(TransferRecords::CardChecksum(c.card), c.sum) << c.card;
}

TEST_F(PurchaseTest, OrderFilesAreUniqueAndPrivate) {
    std::vector<std::string> order(purchase::OrderElements::kResumeElements, "x");
    order[purchase::OrderElements::kResumeRecord] = "42";
    std::string first = OrderFileWriter::Write(order);
    std::string second = OrderFileWriter::Write(order);
    ASSERT_FALSE(first.empty());
    EXPECT_NE(first, second);
    EXPECT_EQ(first.substr(0, first.rfind('/')), platform::TempDirectory());
    EXPECT_EQ(first.substr(first.rfind('/') + 1, 3), "amb");
    EXPECT_EQ(Mode(first), 0600);
    EXPECT_EQ(Mode(platform::TempDirectory()), 0700);
    std::vector<std::string> back;
    ASSERT_EQ(platform::ReadStringArrayFile(first, back), platform::StringArrayRead::kOk);
    EXPECT_EQ(back, order);

    // A temporary directory opened to others is closed again; a link in its
    // place is refused.
    ::chmod(platform::TempDirectory().c_str(), 0777);
    EXPECT_FALSE(OrderFileWriter::Write(order).empty());
    EXPECT_EQ(Mode(platform::TempDirectory()), 0700);
    std::string temp = platform::TempDirectory(), moved = temp + ".real";
    ASSERT_EQ(::rename(temp.c_str(), moved.c_str()), 0);
    ASSERT_EQ(::symlink(moved.c_str(), temp.c_str()), 0);
    std::string error;
    EXPECT_EQ(OrderFileWriter::Write(order, &error), "");
    EXPECT_NE(error.find("not a directory"), std::string::npos) << error;
}
