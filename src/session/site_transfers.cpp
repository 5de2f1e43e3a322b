#include "session/site_transfers.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "catalog/download_target.h"
#include "ftpsites/site_paths.h"
#include "ftpsites/site_speed.h"
#include "platform/file_actions.h"
#include "platform/paths.h"
#include "platform/prompt.h"

namespace session {
namespace {

constexpr const char* kNewVersionQuestion =
    "This is a new version of Ambit. Would you like me to download and install it? (I will have to "
    "quit the program)";

std::string Upper(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::toupper(c); });
    return s;
}

std::string AfterLast(const std::string& path, char separator) {
    size_t at = path.rfind(separator);
    return at == std::string::npos ? path : path.substr(at + 1);
}

// The default download directory's file for a remote path, and whether
// that file really lies inside it (a listed name of ".." would not).
catalog::DownloadTarget DefaultTarget(const std::string& defaultDir, const std::string& remote) {
    catalog::CEntry e;
    e.DownloadDir = catalog::kDefaultDownloadDir;
    e.Path = remote;
    return catalog::DownloadTargetResolver(defaultDir).Resolve(e);
}

}  // namespace

bool SiteTransfers::OfferNewVersion(const std::string& name, const std::string& remotePath) {
    const std::string n = Upper(name), p = Upper(remotePath);
    return n.compare(0, 5, "AMBIT") == 0 && p.size() >= 3 &&
           p.compare(p.size() - 3, 3, "EXE") == 0 &&
           platform::CurrentPrompt().AskYesNo(kNewVersionQuestion);
}

std::string SiteTransfers::TransferTime(const std::string& host, const std::string& size) {
    if (host.empty()) return {};
    ftpsites::SiteSpeed::Values v = ftpsites::SiteSpeed::Read(host);
    return ftpsites::SiteSpeed::EstimateText(static_cast<std::int32_t>(v.bytes),
                                             static_cast<std::int32_t>(v.milliseconds),
                                             std::strtoll(size.c_str(), nullptr, 10));
}

SiteTransfers::Outcome SiteTransfers::DownloadSiteFile(const catalog::TreeItem* item) const {
    const catalog::TreeItem* site = ftpsites::FindSiteItem(item);
    if (!site || !item->Entry()) return Outcome::kNotStarted;
    const std::string remote = ftpsites::SiteRelativePath(item);
    catalog::DownloadTarget target = DefaultTarget(settings_.downloadDir, remote);
    if (!target.insideDefault) return Outcome::kConfirm;
    platform::MakeDirectories(settings_.downloadDir);
    const catalog::CEntry& s = *site->Entry();
    return skiff_.Start({item->Entry()->Address, remote, s.DownloadDir, s.Price, target.path, "1"})
               ? Outcome::kStarted
               : Outcome::kNotStarted;
}

ItemProperties SiteTransfers::PropertiesOf(const catalog::TreeItem* item) const {
    ItemProperties p;
    if (!item || !item->Entry()) return p;
    const catalog::CEntry& e = *item->Entry();
    p.path = ftpsites::SiteRelativePath(item);
    p.fileName = e.Name;
    p.address = e.Address;
    p.date = e.Date;
    p.size = e.Size + " Bytes";
    p.saveAs = DefaultTarget(settings_.downloadDir, p.path).path;
    p.transferTime = TransferTime(e.Address, e.Size);
    return p;
}

bool SiteTransfers::DownloadFromProperties(const catalog::TreeItem* item, const std::string& saveAs,
                                           bool ascii, bool* installAndQuit) const {
    if (installAndQuit) *installAndQuit = false;
    const catalog::TreeItem* site = ftpsites::FindSiteItem(item);
    if (!site || !item->Entry()) return false;
    const std::string remote = ftpsites::SiteRelativePath(item);
    const std::string install = OfferNewVersion(item->Entry()->Name, remote) ? "Y" : "N";
    const catalog::CEntry& s = *site->Entry();
    bool started = skiff_.Start({item->Entry()->Address, remote, s.DownloadDir, s.Price, saveAs,
                                 ascii ? "0" : "1", install});
    if (started && install == "Y" && installAndQuit) *installAndQuit = true;
    return started;
}

std::string SiteTransfers::UploadRemotePath(const catalog::TreeItem* selected,
                                            const std::string& localPath) {
    const catalog::TreeItem* target = selected;
    if (target && target->Entry() && target->Entry()->IsFtpFile()) target = target->Parent();
    const catalog::TreeItem* site = ftpsites::FindSiteItem(target);
    if (!site) return {};
    std::string below;
    for (const catalog::TreeItem* i = target; i != site; i = i->Parent())
        below = below.empty() ? i->Text() : i->Text() + "/" + below;
    return site->Entry()->Path + "/" + below + "/" + AfterLast(localPath, '/');
}

bool SiteTransfers::Upload(const catalog::TreeItem* selected, const std::string& localPath,
                           bool ascii) const {
    const std::string remote = UploadRemotePath(selected, localPath);
    if (remote.empty()) return false;
    const catalog::CEntry& s = *ftpsites::FindSiteItem(selected)->Entry();
    return skiff_.Start({s.Address, remote, s.DownloadDir, s.Price, localPath, ascii ? "2" : "3"});
}

}  // namespace session
