// Every network call below waits in nested rounds of the event loop, and
// anything may happen meanwhile: the site can be closed, refreshed, edited
// or deleted. So after each wait the items are looked up again through
// their ItemChain before anything is read from them, the FTP client is held
// by shared pointer, and the site's busy flag lives in state shared with
// its session. Messages go last, because a message box runs an event loop
// of its own.
#include "ftpsites/site_browser.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <vector>

#include "catalog/catalog.h"
#include "ftpsites/item_chain.h"
#include "ftpsites/listed_entries.h"
#include "ftpsites/site_browser_view.h"
#include "ftpsites/site_paths.h"
#include "ftpsites/site_session.h"
#include "ftpsites/site_speed.h"
#include "net/ftp_client.h"
#include "net/listing_parser.h"
#include "platform/prompt.h"
#include "platform/qt/event_pump.h"
#include "store/scramble.h"

namespace ftpsites {

using catalog::CatalogTree;
using catalog::CEntry;
using catalog::TreeItem;

namespace {

void Show(const std::string& message) { platform::CurrentPrompt().Message(message); }

// The order of a listed item's children: the listing's order for entries;
// an entry-less item (never made by a listing) after them, by exact text.
bool ListedBefore(const TreeItem& a, const TreeItem& b) {
    const CEntry* ea = a.Entry();
    const CEntry* eb = b.Entry();
    if (ea && eb) return CompareListedEntries(*ea, *eb) < 0;
    if (ea || eb) return ea != nullptr;
    return a.Text() < b.Text();
}

// Marks the site busy ("INSITE") for as long as it lives, and tells the
// view that a listing waits.
class BusyMark {
public:
    BusyMark(SiteBrowserView* view, TreeItem* item, TreeItem* site, SiteSession::State& session)
        : view_(view), item_(item), site_(site), session_(session) {
        session_.busy = true;
        MarkSiteListing(*site_->Entry(), true);
        if (view_) view_->ListingStarted(item_);
    }
    // `itemAlive`/`siteAlive`: whether the items survived the wait.
    void End(bool itemAlive, bool siteAlive) {
        if (ended_) return;
        ended_ = true;
        session_.busy = false;
        if (siteAlive && site_->HasEntry()) MarkSiteListing(*site_->Entry(), false);
        if (view_) view_->ListingFinished(itemAlive ? item_ : nullptr);
    }
    // Only reached when an unexpected exception (out of memory) unwinds:
    // the flag must not stay set, the items are not touched.
    ~BusyMark() {
        if (ended_) return;
        session_.busy = false;
        if (view_) view_->ListingFinished(nullptr);
    }
    BusyMark(const BusyMark&) = delete;
    BusyMark& operator=(const BusyMark&) = delete;

private:
    SiteBrowserView* view_;
    TreeItem* item_;
    TreeItem* site_;
    SiteSession::State& session_;
    bool ended_ = false;
};

// Marks an item listed while it is opened, so that activating it again
// meanwhile only expands it. A refused opening puts the earlier state back
// (Restore), so the next activation tries again; from Keep on, the state
// is the listing's to decide.
class ListedMark {
public:
    ListedMark(const CatalogTree& tree, TreeItem* item)
        : tree_(tree), item_(item), chain_(item), previous_(StateOf(*item->Entry())) {
        SetState(*item->Entry(), ListingState::Listed);
    }
    void Keep() { done_ = true; }
    void Restore() {
        if (done_) return;
        done_ = true;
        // The entry is looked up afresh: waits may have replaced or deleted it.
        if (chain_.Alive(tree_) && item_->HasEntry()) SetState(*item_->Entry(), previous_);
    }
    // Only reached by an unexpected exception (out of memory).
    ~ListedMark() { Restore(); }
    ListedMark(const ListedMark&) = delete;
    ListedMark& operator=(const ListedMark&) = delete;

private:
    const CatalogTree& tree_;
    TreeItem* item_;
    ItemChain chain_;
    ListingState previous_;
    bool done_ = false;
};

}  // namespace

// One listing of one item: change to its directory, learn the site's
// directory when connecting, list, resolve links. Lines are parsed as the
// listing arrives and the entries go into the tree in batches, with the
// event loop served between them, so a directory of many thousand entries
// never stalls the window. Links are resolved once the listing is in, as
// the control connection is busy until then.
class SiteBrowser::ListingRun {
public:
    ListingRun(SiteBrowser& browser, TreeItem* item, TreeItem* site,
               std::shared_ptr<SiteSession::State> session)
        : browser_(browser),
          tree_(browser.tree_),
          item_(item),
          site_(site),
          itemChain_(item),
          siteChain_(site),
          session_(std::move(session)),
          client_(session_->client),
          address_(site->Entry()->Address),
          parentPath_(CatalogTree::ItemPath(item)) {}

    void Run(const std::string& path, bool learnSiteDirectory) {
        try {
            if (!path.empty() && (!client_->ChangeDir(path) || Gone())) return End();
            if (learnSiteDirectory) {
                std::string pwd = client_->CurrentDir();
                if (Gone()) return End();
                // A reply without a quoted directory keeps the old one.
                if (!pwd.empty()) {
                    site_->Entry()->Path = pwd;
                    tree_.EntryChanged(site_);
                }
            }
            std::size_t bytes = 0;
            auto start = Clock::now();
            lastBatch_ = lastServed_ = start;
            listing_ = true;
            const bool listed = client_->List([this, &bytes](std::string_view block) {
                bytes += block.size();
                Feed(block);
            });
            listing_ = false;
            auto elapsed =
                std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
            if (!listed || Gone()) {
                DropInserted();
                return End();
            }
            if (!partial_.empty() && !skipping_) Parse(partial_);
            SiteSpeed::Record(
                address_, bytes,
                std::max<std::int64_t>(1, static_cast<std::int64_t>(elapsed.count())));
            ResolveLinks();
        } catch (const CWinsockErr&) {
            error_ = TakeErrorText("--");
            if (Gone()) ended_ = true;
            if (listing_) DropInserted();
        }
        // After failed links too: whatever the listing brought is shown.
        if (!ended_ && !Gone()) InsertBatch();
    }

    bool ItemAlive() const { return itemChain_.Alive(tree_); }
    bool SiteAlive() const { return siteChain_.Alive(tree_); }
    // Closed, aborted or deleted meanwhile: nothing more is to be shown.
    bool Ended() const { return ended_; }
    const std::string& Error() const { return error_; }

private:
    using Clock = std::chrono::steady_clock;
    // How often the window is let in while the listing arrives: often
    // enough for a 50 ms timer to keep its pace.
    static constexpr auto kServeInterval = std::chrono::milliseconds(20);
    // How long parsed entries wait before they go into the tree: the first
    // wait is short, then each doubles up to the longest. Every batch is a
    // sorted run that the final sort has to merge, so a long listing ends
    // with about a dozen runs rather than one per 20 ms.
    static constexpr auto kFirstBatchWait = std::chrono::milliseconds(20);
    static constexpr auto kLongestBatchWait = std::chrono::milliseconds(160);

    void End() { ended_ = true; }
    bool Gone() const { return session_->closed || !ItemAlive() || !SiteAlive(); }

    // Splits a block of the listing into lines; a line cut by the block's
    // end waits for the next one, and one longer than any listing line is
    // dropped rather than held.
    void Feed(std::string_view block) {
        while (!block.empty()) {
            size_t nl = block.find('\n');
            std::string_view piece = block.substr(0, nl);
            if (!skipping_ && partial_.size() + piece.size() > ListingParser::kMaxLineLength) {
                skipping_ = true;
                partial_.clear();
            }
            if (nl == std::string_view::npos) {
                if (!skipping_) partial_.append(piece);
                break;
            }
            if (!skipping_) {
                if (partial_.empty()) {
                    Parse(piece);
                } else {
                    partial_.append(piece);
                    Parse(partial_);
                    partial_.clear();
                }
            }
            skipping_ = false;
            block.remove_prefix(nl + 1);
        }
        const auto now = Clock::now();
        if (now - lastServed_ < kServeInterval) return;
        if (now - lastBatch_ >= batchWait_) {
            if (!Gone()) InsertBatch();
            lastBatch_ = now;
            batchWait_ = std::min<Clock::duration>(batchWait_ * 2, kLongestBatchWait);
        }
        lastServed_ = Clock::now();
        // A fast server keeps the data socket readable, so reading alone
        // would never let the window in.
        platform::ServePendingEvents();
    }

    void Parse(std::string_view line) {
        ListedLine parsed;
        if (!parser_.ParseLine(line, parsed)) return;
        if (parsed.kind == ListedKind::Link) {
            links_.push_back(std::move(parsed));
        } else {
            const bool isDirectory = parsed.kind == ListedKind::Directory;
            batch_.push_back(
                MakeListedEntry(std::move(parsed), isDirectory, address_, parentPath_));
        }
    }

    void ResolveLinks() {
        for (const ListedLine& line : links_) {
            std::string target;
            bool isDirectory = false;
            try {
                if (!client_->List(target, line.linkTarget)) return End();
                isDirectory = parser_.TargetListingIsDirectory(target, line.linkTarget);
            } catch (const CFtpObjError&) {
                // The server would not list the target (a dangling link,
                // a target outside the site): show the link as a file
                // rather than end the whole listing.
                TakeErrorText("");
            }
            if (Gone()) return End();
            batch_.push_back(MakeListedEntry(line, isDirectory, address_, parentPath_));
        }
    }

    void InsertBatch() {
        if (batch_.empty()) return;
        browser_.Insert(item_, batch_);
        inserted_ += batch_.size();
        batch_.clear();
    }

    // A listing whose transfer failed shows nothing, as if it had come in
    // one piece: the batches it inserted go again (they were appended last).
    void DropInserted() {
        listing_ = false;
        batch_.clear();
        if (inserted_ == 0 || !ItemAlive()) return;
        size_t count = static_cast<size_t>(item_->ChildCount());
        if (inserted_ <= count)
            tree_.DeleteSubtree(item_->Child(static_cast<int>(count - inserted_)), false);
        inserted_ = 0;
    }

    SiteBrowser& browser_;
    CatalogTree& tree_;
    TreeItem* item_;
    TreeItem* site_;
    ItemChain itemChain_;
    ItemChain siteChain_;
    std::shared_ptr<SiteSession::State> session_;
    std::shared_ptr<FtpClient> client_;
    std::string address_;
    std::string parentPath_;
    ListingParser parser_;
    std::string partial_;    // the start of a line cut by a block's end
    bool skipping_ = false;  // within a line too long to keep
    std::vector<ListedLine> links_;
    std::vector<CEntry> batch_;
    size_t inserted_ = 0;           // entries of this listing in the tree
    bool listing_ = false;          // within the LIST transfer
    Clock::time_point lastBatch_;   // when entries last went into the tree
    Clock::time_point lastServed_;  // when the event loop was last served
    Clock::duration batchWait_ = kFirstBatchWait;
    std::string error_;
    bool ended_ = false;
};

SiteBrowser::SiteBrowser(CatalogTree& tree, SiteBrowserView* view) : tree_(tree), view_(view) {}

bool SiteBrowser::OpenSiteItem(TreeItem* item, bool connect) {
    if (!item || !item->HasEntry()) return false;
    CEntry& entry = *item->Entry();
    TreeItem* site = connect ? item : FindSiteItem(item);
    if (!site || (connect ? !entry.IsFtpSite() : !entry.IsFtpSite() && !entry.IsFtpDir()))
        return false;

    tree_.SetItemImages(item, catalog::kImageBusy, catalog::kImageBusy);
    if (StateOf(entry) == ListingState::Listed) {
        RestoreImages(item);
        Expand(item);
        return true;
    }
    ListedMark listed(tree_, item);

    std::string path;
    if (connect) {
        if (!Connect(item)) {
            listed.Keep();  // Connect has set the state, or the item is gone
            return false;
        }
        const std::string& start = item->Entry()->Path;  // entry may be new
        path = start.empty() ? std::string() : start + "/";
    } else {
        path = SiteRelativePath(item);
    }
    SiteSession* session = SiteSession::Of(*site->Entry());
    if (!session || session->Closed()) {
        listed.Restore();
        RestoreImages(item);
        Show(kSiteNotOpenMessage);
        return false;
    }
    if (session->Busy()) {
        // Refused, so not listed: the next activation tries again.
        listed.Restore();
        tree_.SortChildren(item, ListedBefore);
        RestoreImages(item);
        Expand(item);
        Show(kSiteBusyMessage);
        return true;
    }

    listed.Keep();
    ListingRun run(*this, item, site, session->Shared());
    BusyMark busy(view_, item, site, *session->Shared());
    run.Run(path, connect);
    const bool itemAlive = run.ItemAlive();
    busy.End(itemAlive, run.SiteAlive());
    if (!itemAlive) return false;

    // The batches came in the listing's order; the children are shown in ours.
    tree_.SortChildren(item, ListedBefore);
    // A failed listing that left nothing would otherwise stay "listed" with
    // no children, where neither activation nor Refresh can reach it.
    if (!run.Error().empty() && !item->HasChildren() && item->HasEntry())
        SetState(*item->Entry(), ListingState::Unlisted);
    RestoreImages(item);
    if (run.Ended()) return false;
    Expand(item);
    if (!run.Error().empty()) Show(run.Error());
    return true;
}

bool SiteBrowser::Connect(TreeItem* item) {
    // Copies: the entry may be gone when the constructor's waits return.
    const std::string host = item->Entry()->Address;
    const std::string user = item->Entry()->DownloadDir;
    const std::string scrambled = item->Entry()->Price;
    std::string password, error;
    if (!scrambled.empty() && !store::TryUnscramble(scrambled, password, &error)) {
        SetState(*item->Entry(), ListingState::Unlisted);
        RestoreImages(item);
        Show(error);
        return false;
    }

    // The earlier connection goes first, before its socket number could be
    // handed to the new one.
    item->Entry()->SiteClient.reset();
    ItemChain chain(item);
    std::shared_ptr<FtpClient> client;
    if (view_) view_->ListingStarted(item);
    try {
        client = std::make_shared<FtpClient>(host, user, password);
    } catch (const CWinsockErr&) {
        std::string message = TakeErrorText("\n");
        bool alive = chain.Alive(tree_);
        if (alive && item->HasEntry()) {
            SetState(*item->Entry(), ListingState::Unlisted);
            RestoreImages(item);
        }
        if (view_) view_->ListingFinished(alive ? item : nullptr);
        Show(message);
        return false;
    }
    bool alive = chain.Alive(tree_) && item->HasEntry();
    if (view_) view_->ListingFinished(alive ? item : nullptr);
    // Deleted, or closed by a command that re-entered while we connected.
    if (!alive || StateOf(*item->Entry()) != ListingState::Listed) {
        client->Abort();
        if (alive) RestoreImages(item);
        return false;
    }
    item->Entry()->SiteClient = std::make_unique<SiteSession>(std::move(client));
    return true;
}

void SiteBrowser::Insert(TreeItem* item, std::vector<CEntry>& entries) {
    // Appended in their listed order (directories first), so that sorting
    // the children afterwards finds a listing that came in one batch in
    // order and moves nothing. The indexes are sorted, not the entries,
    // which are large to move.
    std::vector<size_t> order(entries.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&entries](size_t a, size_t b) {
        return CompareListedEntries(entries[a], entries[b]) < 0;
    });
    CatalogTree::BulkInsert bulk(tree_);
    for (size_t i : order) {
        auto entry = std::make_unique<CEntry>(std::move(entries[i]));
        const CEntry& e = *entry;  // stays put while the pointer moves on
        const bool isDirectory = e.Path == catalog::kFtpDirPath;
        tree_.AppendItem(item, e.Name, std::move(entry),
                         isDirectory ? catalog::kImageFolderClosed : catalog::kImageItem,
                         isDirectory ? catalog::kImageFolderOpen : catalog::kImageItem);
    }
}

bool SiteBrowser::OpenSite(TreeItem* item) {
    if (!item || !item->HasEntry() || item->HasChildren()) return false;
    return OpenSiteItem(item, true);
}

bool SiteBrowser::Refresh(TreeItem* item) {
    if (!item || !item->HasEntry()) return false;
    CEntry& entry = *item->Entry();
    if (!entry.IsFtpSite() && !entry.IsFtpDir()) return false;
    if (IsListing(item)) {
        // Removing the children first would throw away what the user sees
        // and then refuse to list it again.
        Show(kSiteBusyMessage);
        return false;
    }
    const bool reconnect = entry.IsFtpSite() && !IsConnected(item);
    SetState(entry, ListingState::Refreshing);
    if (item->HasChildren()) tree_.DeleteSubtree(item->Child(0), false);
    return OpenSiteItem(item, reconnect);
}

void SiteBrowser::CloseSite(TreeItem* item) {
    TreeItem* site = FindSiteItem(item);
    if (!site) return;
    if (site->HasChildren()) tree_.DeleteSubtree(site->Child(0), false);
    SetState(*site->Entry(), ListingState::Closed);
    RestoreImages(site);
    // Last: QUIT waits for its reply, and the site may be gone afterwards.
    if (SiteSession* session = SiteSession::Of(*site->Entry())) session->Close();
}

bool SiteBrowser::IsListing(const TreeItem* item) {
    const TreeItem* site = FindSiteItem(item);
    if (!site) return false;
    const SiteSession* session = SiteSession::Of(*site->Entry());
    return session && session->Busy();
}

bool SiteBrowser::IsConnected(const TreeItem* site) {
    if (!site || !site->HasEntry()) return false;
    const SiteSession* session = SiteSession::Of(*site->Entry());
    return session && !session->Closed();
}

void SiteBrowser::RestoreImages(TreeItem* item) {
    // The map server's own site keeps its globe; everything else that can
    // be opened is a folder.
    const bool mapServer =
        item->IsBuiltInSite() || (item->HasEntry() && item->Entry()->IsFtpSite() &&
                                  item->Text() == catalog::kMapServerSiteName);
    if (mapServer)
        tree_.SetItemImages(item, catalog::kImageMapServer, catalog::kImageMapServer);
    else
        tree_.SetItemImages(item, catalog::kImageFolderClosed, catalog::kImageFolderOpen);
}

void SiteBrowser::Expand(TreeItem* item) {
    if (view_) view_->ExpandItem(item);
}

}  // namespace ftpsites
