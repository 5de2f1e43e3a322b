// The settings store is closed and reopened around every test so each test
// starts from an empty file of its own.
#include "browsing_fixture.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include "catalog/c_entry.h"
#include "platform/registry_db.h"
#include "site_entry.h"
#include "store/registry_application.h"

namespace ftpsites::test {

void BrowsingTest::SetUp() {
    setenv("AMBIT_REGISTRY", dir_.File("registry.sqlite3").c_str(), 1);
    platform::RegistryDb::CloseShared();
    store::SetApplication(store::kApplicationName, store::kApplicationVersion);
    scopedPrompt_ = std::make_unique<platform::ScopedPrompt>(&prompt_);
}

void BrowsingTest::TearDown() {
    // Sessions say nothing more to servers that are about to go.
    tree_.Clear();
    listingServer_.reset();
    platform::RegistryDb::CloseShared();
    unsetenv("AMBIT_NET_TIMEOUT");
    EXPECT_EQ(view_.started, view_.finished) << "every listing start has its finish";
}

catalog::TreeItem* BrowsingTest::AddSite(const std::string& name, const std::string& user,
                                         const std::string& password, const std::string& path) {
    return tree_.InsertEntry(testsupport::SiteEntry(name, user, password, path));
}

void BrowsingTest::UsePort(int port) { setenv("AMBIT_FTP_PORT", std::to_string(port).c_str(), 1); }

bool BrowsingTest::StartListingServer(const ListingScript& script) {
    auto latin1 = [](const std::string& s) {
        return QString::fromLatin1(s.data(), qsizetype(s.size()));
    };
    QJsonObject listings;
    for (const auto& [key, text] : script.listings) listings[latin1(key)] = latin1(text);
    QJsonObject json{{"listings", listings}, {"stall_list", latin1(script.stallList)}};
    std::string path = dir_.Write("script.json", QJsonDocument(json).toJson().toStdString());
    listingServer_ = std::make_unique<testsupport::ServerProcess>(
        "scripted_ftp_server.py", std::vector<std::string>{"--listings", path});
    if (listingServer_->Port() <= 0) return false;
    UsePort(listingServer_->Port());
    return true;
}

std::vector<std::string> BrowsingTest::Children(const catalog::TreeItem* item) {
    std::vector<std::string> out;
    for (int r = 0; r < item->ChildCount(); ++r) {
        const catalog::TreeItem* c = item->Child(r);
        out.push_back(std::string(c->Entry() && c->Entry()->IsFtpDir() ? "d " : "f ") + c->Text());
    }
    return out;
}

catalog::TreeItem* BrowsingTest::Child(const catalog::TreeItem* item, const std::string& text) {
    // Thrown rather than null: gtest reports the exception as this test's
    // failure, where using a null child would crash the whole run.
    if (!item) throw std::runtime_error("no item to look for \"" + text + "\" in");
    for (int r = 0; r < item->ChildCount(); ++r)
        if (item->Child(r)->Text() == text) return item->Child(r);
    throw std::runtime_error("no child \"" + text + "\" below \"" + item->Text() + "\"");
}

}  // namespace ftpsites::test
