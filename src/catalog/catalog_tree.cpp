// The catalog tree's operations. Text-ordered children are found by binary
// search, custom-ordered ones through their parent's ChildIndex; a bulk
// insert collects new children per parent and merges them once, so large
// loads never insert into the middle of big vectors.
#include "catalog/catalog_tree.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <string_view>

namespace catalog {
namespace {

// Above this much element shifting, a change is announced as a reset
// instead of run by run, so one huge merge never turns quadratic.
constexpr size_t kShiftBudget = size_t{8} << 20;
// Pending children, and the children of a custom-ordered parent, are looked
// up through a map once there are this many.
constexpr size_t kIndexThreshold = 16;
// Children in ascending runs this long on average are merged run by run
// rather than sorted afresh.
constexpr size_t kMinMergedRun = 64;

void DefaultImages(const CEntry* entry, int& image, int& selectedImage) {
    if (!entry) {
        image = kImageFolderClosed;
        selectedImage = kImageFolderOpen;
        return;
    }
    switch (entry->Kind()) {
        case EntryKind::Folder:
        case EntryKind::FtpSite:
        case EntryKind::MapFile:
            image = kImageFolderClosed;
            selectedImage = kImageFolderOpen;
            break;
        default:
            image = selectedImage = kImageItem;
            break;
    }
}

// Sorts siblings stably by text. A large set (a folder of 200,000 lines in
// random order) is sorted on a copy of each text's first 16 bytes, letter
// case folded, so that most comparisons touch neither the items nor their
// texts; only texts equal that far are compared whole.
void SortByText(std::vector<std::unique_ptr<TreeItem>>& items) {
    auto less = [](const std::unique_ptr<TreeItem>& a, const std::unique_ptr<TreeItem>& b) {
        return TextLess(a->Text(), b->Text());
    };
    if (items.size() < 64) return std::stable_sort(items.begin(), items.end(), less);
    struct Keyed {
        std::uint64_t high, low;  // folded bytes 0-7 and 8-15, zero beyond the text
        TreeItem* item;
    };
    auto word = [](std::string_view text, size_t from) {
        std::uint64_t w = 0;
        for (size_t i = from; i < from + 8; ++i) {
            unsigned char c = i < text.size() ? static_cast<unsigned char>(text[i]) : 0;
            if (c >= 'A' && c <= 'Z') c = static_cast<unsigned char>(c - 'A' + 'a');
            w = w << 8 | c;
        }
        return w;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(items.size());
    for (auto& item : items) {
        std::string_view text = item->Text();
        keyed.push_back({word(text, 0), word(text, 8), item.release()});
    }
    std::stable_sort(keyed.begin(), keyed.end(), [](const Keyed& a, const Keyed& b) {
        if (a.high != b.high) return a.high < b.high;
        if (a.low != b.low) return a.low < b.low;
        return TextLess(a.item->Text(), b.item->Text());
    });
    for (size_t i = 0; i < items.size(); ++i) items[i].reset(keyed[i].item);
}

}  // namespace

struct CatalogTree::Pending {
    std::vector<std::unique_ptr<TreeItem>> items;                 // placed by text
    std::vector<std::unique_ptr<TreeItem>> appended;              // go last, as they came
    std::unordered_map<std::string_view, TreeItem*> firstByText;  // built on demand
    bool indexed = false;

    void Index(TreeItem* item) { firstByText.emplace(item->Text(), item); }
    size_t Size() const { return items.size() + appended.size(); }
};

CatalogTree::CatalogTree() : top_(new TreeItem) {}

CatalogTree::~CatalogTree() { pending_.clear(); }

TreeItem* CatalogTree::RootItem() const {
    if (top_->HasChildren()) return top_->Child(0);
    auto p = pending_.find(top_.get());
    if (p == pending_.end()) return nullptr;
    const Pending& pending = *p->second;
    if (!pending.items.empty()) return pending.items[0].get();
    return pending.appended.empty() ? nullptr : pending.appended[0].get();
}

std::string CatalogTree::ItemPath(const TreeItem* item) {
    std::vector<const std::string*> texts;
    size_t length = 0;
    for (const TreeItem* p = item; p && p->Parent(); p = p->Parent()) {
        texts.push_back(&p->Text());
        length += p->Text().size() + 1;
    }
    std::string path;
    path.reserve(length);
    for (auto it = texts.rbegin(); it != texts.rend(); ++it) {
        path += '/';
        path += **it;
    }
    return path;
}

size_t CatalogTree::SortedPosition(const TreeItem* parent, const std::string& text) const {
    auto& kids = parent->children_;
    if (parent->customOrder_) {
        size_t pos = 0;
        while (pos < kids.size() && !TextLess(text, kids[pos]->text_)) ++pos;
        return pos;
    }
    auto it = std::upper_bound(kids.begin(), kids.end(), text,
                               [](const std::string& t, const std::unique_ptr<TreeItem>& c) {
                                   return TextLess(t, c->text_);
                               });
    return static_cast<size_t>(it - kids.begin());
}

TreeItem* CatalogTree::FindChild(const TreeItem* item, std::string_view name) const {
    if (!item) return nullptr;
    auto& kids = item->children_;
    if (!item->customOrder_) {
        auto it = std::lower_bound(kids.begin(), kids.end(), name,
                                   [](const std::unique_ptr<TreeItem>& c, std::string_view t) {
                                       return CompareTextNoCase(c->text_, t) < 0;
                                   });
        for (; it != kids.end() && CompareTextNoCase((*it)->text_, name) == 0; ++it)
            if ((*it)->text_ == name) return it->get();
    } else if (kids.size() < kIndexThreshold && !item->childIndex_) {
        for (auto& c : kids)
            if (c->text_ == name) return c.get();
    } else {
        if (!item->childIndex_) item->childIndex_ = std::make_unique<ChildIndex>(*item);
        if (TreeItem* found = item->childIndex_->First(name)) return found;
    }
    if (pending_.empty()) return nullptr;
    auto p = pending_.find(const_cast<TreeItem*>(item));
    if (p == pending_.end()) return nullptr;
    Pending& pending = *p->second;
    if (!pending.indexed && pending.Size() >= kIndexThreshold) {
        for (auto& c : pending.items) pending.Index(c.get());
        for (auto& c : pending.appended) pending.Index(c.get());
        pending.indexed = true;
    }
    if (pending.indexed) {
        auto found = pending.firstByText.find(name);
        return found == pending.firstByText.end() ? nullptr : found->second;
    }
    for (auto& c : pending.items)
        if (c->text_ == name) return c.get();
    for (auto& c : pending.appended)
        if (c->text_ == name) return c.get();
    return nullptr;
}

void CatalogTree::IndexAdd(TreeItem* parent, TreeItem* child) {
    if (parent->childIndex_) parent->childIndex_->Add(child);
}

void CatalogTree::IndexRemove(TreeItem* parent, TreeItem* child) {
    if (parent->childIndex_) parent->childIndex_->Remove(child);
}

void CatalogTree::ChildrenGone(TreeItem* parent) {
    if (parent->HasChildren()) return;
    parent->customOrder_ = false;
    parent->childIndex_.reset();
}

void CatalogTree::Renumber(TreeItem* parent, size_t from) {
    auto& kids = parent->children_;
    for (size_t i = from; i < kids.size(); ++i) kids[i]->row_ = static_cast<int>(i);
}

size_t CatalogTree::CountSubtree(const TreeItem* item) {
    size_t n = 0;
    std::vector<const TreeItem*> stack{item};
    while (!stack.empty()) {
        const TreeItem* t = stack.back();
        stack.pop_back();
        ++n;
        for (auto& c : t->children_) stack.push_back(c.get());
    }
    return n;
}

TreeItem* CatalogTree::Attach(TreeItem* parent, std::unique_ptr<TreeItem> child,
                              Placement placement) {
    TreeItem* raw = child.get();
    raw->parent_ = parent;
    ++itemCount_;
    ++revision_;
    // From the first appended child on, the order is the parent's own;
    // the children it has so far are in text order, which is one such.
    if (placement == Placement::Last) parent->customOrder_ = true;
    if (bulkDepth_ > 0) {
        auto& slot = pending_[parent];
        if (!slot) slot = std::make_unique<Pending>();
        raw->pendingMerge_ = true;
        if (slot->indexed) slot->Index(raw);
        (placement == Placement::Last ? slot->appended : slot->items).push_back(std::move(child));
        return raw;
    }
    size_t pos = placement == Placement::Last ? parent->children_.size()
                                              : SortedPosition(parent, raw->text_);
    int row = static_cast<int>(pos);
    if (observer_) observer_->ItemsAboutToBeInserted(parent, row, row);
    parent->children_.insert(parent->children_.begin() + static_cast<std::ptrdiff_t>(pos),
                             std::move(child));
    Renumber(parent, pos);
    IndexAdd(parent, raw);
    if (observer_) observer_->ItemsInserted(parent, row, row);
    return raw;
}

std::unique_ptr<TreeItem> CatalogTree::MakeItem(const std::string& text,
                                                std::unique_ptr<CEntry> entry, int image,
                                                int selectedImage) {
    std::unique_ptr<TreeItem> item(new TreeItem);
    item->text_ = text;
    item->image_ = image;
    item->selectedImage_ = selectedImage;
    item->entry_ = std::move(entry);
    return item;
}

TreeItem* CatalogTree::InsertItem(TreeItem* parent, const std::string& text,
                                  std::unique_ptr<CEntry> entry) {
    int image, selected;
    DefaultImages(entry.get(), image, selected);
    return InsertItem(parent, text, std::move(entry), image, selected);
}

TreeItem* CatalogTree::InsertItem(TreeItem* parent, const std::string& text,
                                  std::unique_ptr<CEntry> entry, int image, int selectedImage) {
    return Attach(parent ? parent : top_.get(),
                  MakeItem(text, std::move(entry), image, selectedImage), Placement::ByText);
}

TreeItem* CatalogTree::AppendItem(TreeItem* parent, const std::string& text,
                                  std::unique_ptr<CEntry> entry) {
    int image, selected;
    DefaultImages(entry.get(), image, selected);
    return AppendItem(parent, text, std::move(entry), image, selected);
}

TreeItem* CatalogTree::AppendItem(TreeItem* parent, const std::string& text,
                                  std::unique_ptr<CEntry> entry, int image, int selectedImage) {
    return Attach(parent ? parent : top_.get(),
                  MakeItem(text, std::move(entry), image, selectedImage), Placement::Last);
}

void CatalogTree::SortChildren(TreeItem* parent, const ChildLess& less) {
    if (!parent) parent = top_.get();
    FlushPending();
    auto& kids = parent->children_;
    if (kids.empty()) return;
    parent->customOrder_ = true;
    auto byLess = [&less](const std::unique_ptr<TreeItem>& a, const std::unique_ptr<TreeItem>& b) {
        return less(*a, *b);
    };
    // Children that came in as sorted batches (a big listing) form a few
    // ascending runs; merging those compares far less than a full sort.
    std::vector<size_t> runs{0};
    for (size_t i = 1; i < kids.size(); ++i)
        if (byLess(kids[i], kids[i - 1])) runs.push_back(i);
    // A fresh listing arrives in order already: nothing moves, nothing to
    // tell a view (which would otherwise lay out the whole parent again).
    if (runs.size() == 1) return;
    ++revision_;
    if (observer_) observer_->ChildrenAboutToBeReordered(parent);
    if (runs.size() > kids.size() / kMinMergedRun) {
        std::stable_sort(kids.begin(), kids.end(), byLess);
    } else {
        // Neighbouring runs merged pairwise, so each child moves log(runs)
        // times; merging neighbours keeps equivalent children in order.
        runs.push_back(kids.size());
        while (runs.size() > 2) {
            std::vector<size_t> merged;
            for (size_t r = 0; r + 2 < runs.size(); r += 2) {
                std::inplace_merge(kids.begin() + static_cast<std::ptrdiff_t>(runs[r]),
                                   kids.begin() + static_cast<std::ptrdiff_t>(runs[r + 1]),
                                   kids.begin() + static_cast<std::ptrdiff_t>(runs[r + 2]), byLess);
                merged.push_back(runs[r]);
            }
            if (runs.size() % 2 == 0) merged.push_back(runs[runs.size() - 2]);
            merged.push_back(kids.size());
            runs = std::move(merged);
        }
    }
    Renumber(parent, 0);
    if (observer_) observer_->ChildrenReordered(parent);
}

TreeItem* CatalogTree::ParentFor(std::string_view location, size_t lastSlash) {
    std::string_view dirs(location.data(), lastSlash == std::string_view::npos ? 0 : lastSlash);
    TreeItem* current = nullptr;
    size_t pos = 0;
    while (pos < dirs.size()) {
        size_t end = dirs.find('/', pos);
        if (end == std::string_view::npos) end = dirs.size();
        if (end > pos) {
            std::string_view component = dirs.substr(pos, end - pos);
            if (!current) {
                // Only the first component may name the top-level item
                // itself; any other first component is a folder below it.
                current = RootItem();
                if (!current) {
                    current = InsertItem(top_.get(), std::string(component), nullptr);
                    pos = end + 1;
                    continue;
                }
                if (current->text_ == component) {
                    pos = end + 1;
                    continue;
                }
            }
            TreeItem* child = FindChild(current, component);
            current = child ? child : InsertItem(current, std::string(component), nullptr);
        }
        pos = end + 1;
    }
    if (!current) current = RootItem();
    return current ? current : top_.get();
}

TreeItem* CatalogTree::ResolveParent(std::string_view location) {
    size_t lastSlash = location.rfind('/');
    std::string_view parentPath(location.data(),
                                lastSlash == std::string_view::npos ? 0 : lastSlash);
    if (rememberedParent_ && parentPath == rememberedPath_) return rememberedParent_;
    // Lines of many folders in no order (a shuffled catalog) each name a
    // parent resolved before: find it again without walking the path.
    constexpr size_t kMostKnownParents = size_t{1} << 16;
    lookupKey_.assign(parentPath);
    auto known = knownParents_.find(lookupKey_);
    if (known != knownParents_.end()) {
        rememberedParent_ = known->second;
    } else {
        rememberedParent_ = ParentFor(location, lastSlash);
        if (knownParents_.size() >= kMostKnownParents) knownParents_.clear();
        knownParents_.emplace(lookupKey_, rememberedParent_);
    }
    rememberedPath_.assign(parentPath);
    return rememberedParent_;
}

TreeItem* CatalogTree::InsertEntry(const CEntry& entry) {
    TreeItem* parent = ResolveParent(entry.Location);
    return InsertItem(parent, entry.Name, std::make_unique<CEntry>(entry));
}

TreeItem* CatalogTree::InsertEntry(CEntry&& entry) {
    TreeItem* parent = ResolveParent(entry.Location);
    auto owned = std::make_unique<CEntry>(std::move(entry));
    owned->SiteClient.reset();  // an inserted copy never carries a connection
    std::string text = owned->Name;
    return InsertItem(parent, text, std::move(owned));
}

TreeItem* CatalogTree::InsertEntryIfNew(CEntry&& entry, bool anyId) {
    TreeItem* parent = ResolveParent(entry.Location);
    if (HasEqualChild(parent, entry, anyId)) return nullptr;
    return InsertEntry(std::move(entry));
}

TreeItem* CatalogTree::InsertEntry(PackedEntry&& entry) {
    return InsertPacked(ResolveParent(entry.Location()), std::move(entry));
}

TreeItem* CatalogTree::InsertEntryIfNew(PackedEntry&& entry, bool anyId) {
    TreeItem* parent = ResolveParent(entry.Location());
    // Same-named siblings are rare: unpack only to compare with one.
    if (HasChildNamed(parent, entry.Name()) && HasEqualChild(parent, entry.Unpack(), anyId))
        return nullptr;
    return InsertPacked(parent, std::move(entry));
}

TreeItem* CatalogTree::InsertPacked(TreeItem* parent, PackedEntry&& entry) {
    std::unique_ptr<TreeItem> item(new TreeItem);
    item->text_ = entry.Name();
    item->image_ = item->selectedImage_ = kImageItem;
    item->packed_ = std::move(entry);
    return Attach(parent, std::move(item), Placement::ByText);
}

bool CatalogTree::HasChildNamed(const TreeItem* parent, std::string_view name) const {
    auto& kids = parent->children_;
    if (parent->customOrder_) {
        if (!parent->childIndex_) parent->childIndex_ = std::make_unique<ChildIndex>(*parent);
        return parent->childIndex_->First(name) != nullptr;
    }
    auto it = std::lower_bound(kids.begin(), kids.end(), name,
                               [](const std::unique_ptr<TreeItem>& c, std::string_view t) {
                                   return CompareTextNoCase(c->text_, t) < 0;
                               });
    for (; it != kids.end() && CompareTextNoCase((*it)->text_, name) == 0; ++it)
        if ((*it)->text_ == name) return true;
    return false;
}

bool CatalogTree::HasEqualChild(const TreeItem* parent, const CEntry& entry, bool anyId) const {
    auto equal = [&entry, anyId](const TreeItem* c) {
        if (c->text_ != entry.Name) return false;
        const CEntry* e = c->Entry();  // unpacks only same-named siblings
        if (!e) return false;
        if (e->MapFileId == entry.MapFileId) return e->SameFields(entry);
        if (!anyId) return false;
        CEntry probe(entry);  // rare: only same-named siblings get here
        probe.MapFileId = e->MapFileId;
        return e->SameFields(probe);
    };
    auto& kids = parent->children_;
    if (parent->customOrder_) {
        if (!parent->childIndex_) parent->childIndex_ = std::make_unique<ChildIndex>(*parent);
        return parent->childIndex_->AnyNamed(entry.Name, equal);
    }
    auto it = std::lower_bound(kids.begin(), kids.end(), entry.Name,
                               [](const std::unique_ptr<TreeItem>& c, const std::string& t) {
                                   return CompareTextNoCase(c->text_, t) < 0;
                               });
    for (; it != kids.end() && CompareTextNoCase((*it)->text_, entry.Name) == 0; ++it)
        if (equal(it->get())) return true;
    return false;
}

void CatalogTree::ForgetRememberedParent() {
    rememberedParent_ = nullptr;
    rememberedPath_.clear();
    knownParents_.clear();
}

CatalogTree::BulkInsert::BulkInsert(CatalogTree& tree) : tree_(tree) { ++tree_.bulkDepth_; }

CatalogTree::BulkInsert::~BulkInsert() { tree_.EndBulk(); }

void CatalogTree::EndBulk() {
    if (--bulkDepth_ > 0) return;
    FlushPending();
}

void CatalogTree::FlushPending() {
    if (pending_.empty()) return;
    auto pending = std::move(pending_);
    pending_.clear();
    // Parents made in this bulk are still unknown to the observer: fill
    // them silently first, so that announcing an old parent's new rows
    // shows complete subtrees.
    std::vector<std::pair<TreeItem*, Pending*>> silent, announced;
    for (auto& [parent, p] : pending)
        (parent->pendingMerge_ ? silent : announced).emplace_back(parent, p.get());
    for (auto& [parent, p] : silent) MergePending(parent, *p, false);
    for (auto& [parent, p] : announced) MergePending(parent, *p, observer_ != nullptr);
}

std::vector<size_t> CatalogTree::MergePositions(
    const TreeItem* parent, const std::vector<std::unique_ptr<TreeItem>>& added) const {
    std::vector<size_t> at(added.size());
    if (!parent->customOrder_) {
        for (size_t i = 0; i < added.size(); ++i) at[i] = SortedPosition(parent, added[i]->text_);
        return at;
    }
    // Each new child goes before the first old one that sorts after it;
    // `added` is sorted, so that place only moves forward: one walk.
    auto& kids = parent->children_;
    size_t pos = 0;
    for (size_t i = 0; i < added.size(); ++i) {
        while (pos < kids.size() && !TextLess(added[i]->text_, kids[pos]->text_)) ++pos;
        at[i] = pos;
    }
    return at;
}

void CatalogTree::MergePending(TreeItem* parent, Pending& pending, bool notify) {
    auto& added = pending.items;
    auto& appended = pending.appended;
    SortByText(added);
    ++revision_;
    for (auto& c : added) c->pendingMerge_ = false;
    for (auto& c : appended) c->pendingMerge_ = false;
    if (parent->childIndex_) {
        for (auto& c : added) parent->childIndex_->Add(c.get());
        for (auto& c : appended) parent->childIndex_->Add(c.get());
    }
    auto& kids = parent->children_;
    const std::vector<size_t> at = MergePositions(parent, added);

    auto mergeSilently = [&] {
        if (added.empty()) {
            // Only appended children (a listing's batches): nothing moves.
            size_t from = kids.size();
            kids.insert(kids.end(), std::make_move_iterator(appended.begin()),
                        std::make_move_iterator(appended.end()));
            return Renumber(parent, from);
        }
        std::vector<std::unique_ptr<TreeItem>> merged;
        merged.reserve(kids.size() + added.size() + appended.size());
        size_t old = 0;
        for (size_t i = 0; i < added.size(); ++i) {
            while (old < at[i]) merged.push_back(std::move(kids[old++]));
            merged.push_back(std::move(added[i]));
        }
        while (old < kids.size()) merged.push_back(std::move(kids[old++]));
        for (auto& c : appended) merged.push_back(std::move(c));
        kids = std::move(merged);
        Renumber(parent, 0);
    };
    if (!notify) return mergeSilently();

    // Runs of new children that land between the same two old ones; each
    // run is one announced insertion. Appended children are one run more.
    struct Run {
        size_t at, begin, end;
    };
    std::vector<Run> runs;
    for (size_t i = 0; i < added.size(); ++i) {
        if (!runs.empty() && runs.back().at == at[i])
            runs.back().end = i + 1;
        else
            runs.push_back({at[i], i, i + 1});
    }
    if (runs.size() * (kids.size() + 1) > kShiftBudget) {
        observer_->TreeAboutToBeReset();
        mergeSilently();
        observer_->TreeReset();
        return;
    }
    size_t shift = 0;
    for (const Run& r : runs) {
        size_t pos = r.at + shift;
        int first = static_cast<int>(pos);
        int last = static_cast<int>(pos + (r.end - r.begin) - 1);
        observer_->ItemsAboutToBeInserted(parent, first, last);
        kids.insert(kids.begin() + static_cast<std::ptrdiff_t>(pos),
                    std::make_move_iterator(added.begin() + static_cast<std::ptrdiff_t>(r.begin)),
                    std::make_move_iterator(added.begin() + static_cast<std::ptrdiff_t>(r.end)));
        Renumber(parent, pos);
        observer_->ItemsInserted(parent, first, last);
        shift += r.end - r.begin;
    }
    if (appended.empty()) return;
    size_t pos = kids.size();
    int first = static_cast<int>(pos), last = static_cast<int>(pos + appended.size() - 1);
    observer_->ItemsAboutToBeInserted(parent, first, last);
    kids.insert(kids.end(), std::make_move_iterator(appended.begin()),
                std::make_move_iterator(appended.end()));
    Renumber(parent, pos);
    observer_->ItemsInserted(parent, first, last);
}

void CatalogTree::SetItemText(TreeItem* item, const std::string& text) {
    FlushPending();
    ForgetRememberedParent();
    TreeItem* parent = item->parent_;
    if (parent) IndexRemove(parent, item);  // its key views the old text
    item->text_ = text;
    ++revision_;
    if (parent) IndexAdd(parent, item);
    if (observer_) observer_->ItemChanged(item);
    // A custom order is the user's or the listing's: a rename keeps it.
    if (parent && !parent->customOrder_) Relocate(item, parent, Placement::ByText);
}

void CatalogTree::SetItemImages(TreeItem* item, int image, int selectedImage) {
    item->image_ = image;
    item->selectedImage_ = selectedImage;
    ++revision_;
    if (observer_ && !item->pendingMerge_) observer_->ItemChanged(item);
}

void CatalogTree::EntryChanged(TreeItem* item) {
    ++revision_;
    if (observer_ && !item->pendingMerge_) observer_->ItemChanged(item);
}

std::unique_ptr<CEntry> CatalogTree::ReplaceEntry(TreeItem* item, std::unique_ptr<CEntry> entry) {
    item->Entry();  // the old entry is handed back whole
    std::swap(item->entry_, entry);
    EntryChanged(item);
    return entry;
}

bool CatalogTree::MoveItem(TreeItem* item, TreeItem* newParent, Placement placement) {
    if (!newParent) newParent = top_.get();
    if (!item->parent_ || newParent->IsWithin(item)) return false;
    FlushPending();
    ForgetRememberedParent();
    Relocate(item, newParent, placement);
    return true;
}

bool CatalogTree::MoveItemToRow(TreeItem* item, TreeItem* newParent, int row) {
    if (!newParent) newParent = top_.get();
    if (!item->parent_ || newParent->IsWithin(item)) return false;
    FlushPending();
    ForgetRememberedParent();
    Relocate(item, newParent, Placement::ByText, row);
    return true;
}

void CatalogTree::UpdateLocations(TreeItem* item) {
    std::vector<TreeItem*> stack{item};
    while (!stack.empty()) {
        TreeItem* t = stack.back();
        stack.pop_back();
        if (t->entry_) {
            std::string path = ItemPath(t);
            if (t->entry_->Location != path) {
                t->entry_->Location = std::move(path);
                EntryChanged(t);
            }
        }
        for (auto& c : t->children_) stack.push_back(c.get());
    }
}

size_t CatalogTree::OrderedRow(const TreeItem* parent, const TreeItem* item, int row) const {
    auto& kids = parent->children_;
    size_t pos = std::min(static_cast<size_t>(std::max(row, 0)), kids.size());
    if (parent->customOrder_) return pos;
    // Binary searches rely on a text-ordered parent staying in order.
    bool fits = (pos == 0 || !TextLess(item->text_, kids[pos - 1]->text_)) &&
                (pos == kids.size() || !TextLess(kids[pos]->text_, item->text_));
    return fits ? pos : SortedPosition(parent, item->text_);
}

void CatalogTree::Relocate(TreeItem* item, TreeItem* newParent, Placement placement, int toRow) {
    TreeItem* oldParent = item->parent_;
    auto& from = oldParent->children_;
    size_t row = static_cast<size_t>(item->row_);
    if (placement == Placement::Last) newParent->customOrder_ = true;
    // Find the target row as if the item were already taken out.
    std::unique_ptr<TreeItem> held = std::move(from[row]);
    from.erase(from.begin() + static_cast<std::ptrdiff_t>(row));
    size_t pos = toRow >= 0                     ? OrderedRow(newParent, item, toRow)
                 : placement == Placement::Last ? newParent->children_.size()
                                                : SortedPosition(newParent, item->text_);
    if (newParent == oldParent && pos == row) {
        from.insert(from.begin() + static_cast<std::ptrdiff_t>(row), std::move(held));
        return;
    }
    from.insert(from.begin() + static_cast<std::ptrdiff_t>(row), std::move(held));
    ++revision_;
    int destination = static_cast<int>(newParent == oldParent && pos > row ? pos + 1 : pos);
    if (observer_) observer_->ItemAboutToBeMoved(oldParent, item->row_, newParent, destination);
    held = std::move(from[row]);
    from.erase(from.begin() + static_cast<std::ptrdiff_t>(row));
    Renumber(oldParent, row);
    auto& to = newParent->children_;
    to.insert(to.begin() + static_cast<std::ptrdiff_t>(pos), std::move(held));
    item->parent_ = newParent;
    Renumber(newParent, newParent == oldParent ? std::min(pos, row) : pos);
    if (newParent != oldParent) {
        IndexRemove(oldParent, item);
        IndexAdd(newParent, item);
        ChildrenGone(oldParent);
    }
    if (observer_) observer_->ItemMoved();
}

void CatalogTree::DeleteSubtree(TreeItem* item, bool keepSiblings) {
    if (!item) return;
    if (item == top_.get()) {
        Clear();
        return;
    }
    FlushPending();
    ForgetRememberedParent();
    TreeItem* parent = item->parent_;
    auto& kids = parent->children_;
    size_t first = static_cast<size_t>(item->row_);
    size_t last = keepSiblings ? first : kids.size() - 1;
    CountDestruction(parent);
    if (observer_)
        observer_->ItemsAboutToBeRemoved(parent, static_cast<int>(first), static_cast<int>(last));
    for (size_t i = first; i <= last; ++i) {
        itemCount_ -= CountSubtree(kids[i].get());
        IndexRemove(parent, kids[i].get());
    }
    kids.erase(kids.begin() + static_cast<std::ptrdiff_t>(first),
               kids.begin() + static_cast<std::ptrdiff_t>(last + 1));
    Renumber(parent, first);
    ChildrenGone(parent);
    if (observer_) observer_->ItemsRemoved(parent, static_cast<int>(first), static_cast<int>(last));
}

void CatalogTree::Clear() {
    pending_.clear();
    ForgetRememberedParent();
    CountDestruction(top_.get());
    if (observer_) observer_->TreeAboutToBeReset();
    top_->children_.clear();
    ChildrenGone(top_.get());
    itemCount_ = 0;
    if (observer_) observer_->TreeReset();
}

size_t CatalogTree::DeleteEntriesWithId(int id, TreeItem* item) {
    return RemoveLeaves(item, [id](const TreeItem& t) { return t.EntryMapFileId() == id; });
}

size_t CatalogTree::DeleteEntriesAt(const std::vector<std::string>& locations, TreeItem* item) {
    std::unordered_set<std::string_view> wanted(locations.begin(), locations.end());
    return RemoveLeaves(
        item, [&wanted](const TreeItem& t) { return wanted.count(t.EntryLocation()) > 0; });
}

size_t CatalogTree::RemoveLeaves(TreeItem* item,
                                 const std::function<bool(const TreeItem&)>& match) {
    if (!item) return 0;
    FlushPending();
    ForgetRememberedParent();
    // Decide on the tree as it is (a folder emptied by the removal stays),
    // then remove per parent in one pass.
    std::unordered_map<TreeItem*, std::vector<char>> doomed;
    std::vector<TreeItem*> stack;
    if (item == top_.get()) {
        stack.push_back(item);
    } else {
        for (TreeItem* s = item; s; s = s->NextSibling()) stack.push_back(s);
    }
    size_t removed = 0;
    while (!stack.empty()) {
        TreeItem* t = stack.back();
        stack.pop_back();
        if (t->HasChildren()) {
            for (auto& c : t->children_) stack.push_back(c.get());
        } else if (t->HasEntry() && t->parent_ && match(*t)) {
            auto& mask = doomed[t->parent_];
            mask.resize(t->parent_->children_.size(), 0);
            mask[static_cast<size_t>(t->row_)] = 1;
            ++removed;
        }
    }
    for (auto& [parent, mask] : doomed) RemoveChildrenWhere(parent, mask);
    return removed;
}

void CatalogTree::RemoveChildrenWhere(TreeItem* parent, const std::vector<char>& doomed) {
    auto& kids = parent->children_;
    std::vector<std::pair<size_t, size_t>> runs;  // [first, last]
    for (size_t i = 0; i < doomed.size(); ++i) {
        if (!doomed[i]) continue;
        if (!runs.empty() && runs.back().second + 1 == i)
            runs.back().second = i;
        else
            runs.emplace_back(i, i);
    }
    if (!runs.empty()) CountDestruction(parent);
    for (auto& r : runs) {
        for (size_t i = r.first; i <= r.second; ++i) {
            itemCount_ -= CountSubtree(kids[i].get());
            IndexRemove(parent, kids[i].get());
        }
    }
    auto compact = [&] {
        size_t out = 0;
        for (size_t i = 0; i < kids.size(); ++i)
            if (i >= doomed.size() || !doomed[i]) kids[out++] = std::move(kids[i]);
        kids.resize(out);
        Renumber(parent, 0);
        ChildrenGone(parent);
    };
    if (!observer_) {
        compact();
        return;
    }
    if (runs.size() * (kids.size() + 1) > kShiftBudget) {
        observer_->TreeAboutToBeReset();
        compact();
        observer_->TreeReset();
        return;
    }
    // From the last run back, so earlier rows stay as announced.
    for (auto r = runs.rbegin(); r != runs.rend(); ++r) {
        int first = static_cast<int>(r->first), last = static_cast<int>(r->second);
        observer_->ItemsAboutToBeRemoved(parent, first, last);
        kids.erase(kids.begin() + first, kids.begin() + last + 1);
        Renumber(parent, r->first);
        ChildrenGone(parent);
        observer_->ItemsRemoved(parent, first, last);
    }
}

void CatalogTree::CountDestruction(const TreeItem* parent) {
    ++revision_;
    // What a site's listing holds is rebuilt by every refresh and is never
    // remembered by an editor; only removals elsewhere count.
    for (const TreeItem* p = parent; p; p = p->parent_)
        if (p->entry_ && p->entry_->IsFtpSite()) return;
    ++destructions_;
}

std::unique_ptr<TreeItem> CatalogTree::TakeSubtree(TreeItem* item, TreeItem** parentOut,
                                                   int* rowOut) {
    FlushPending();
    ForgetRememberedParent();
    TreeItem* parent = item->parent_;
    const int row = item->row_;
    if (parentOut) *parentOut = parent;
    if (rowOut) *rowOut = row;
    ++revision_;
    auto& kids = parent->children_;
    if (observer_) observer_->ItemsAboutToBeRemoved(parent, row, row);
    itemCount_ -= CountSubtree(item);
    IndexRemove(parent, item);
    std::unique_ptr<TreeItem> held = std::move(kids[static_cast<size_t>(row)]);
    kids.erase(kids.begin() + row);
    Renumber(parent, static_cast<size_t>(row));
    ChildrenGone(parent);
    held->parent_ = nullptr;
    if (observer_) observer_->ItemsRemoved(parent, row, row);
    return held;
}

TreeItem* CatalogTree::PutSubtree(TreeItem* parent, int row, std::unique_ptr<TreeItem> item) {
    if (!parent) parent = top_.get();
    FlushPending();
    ForgetRememberedParent();
    ++revision_;
    TreeItem* raw = item.get();
    size_t pos = OrderedRow(parent, raw, row);
    int at = static_cast<int>(pos);
    if (observer_) observer_->ItemsAboutToBeInserted(parent, at, at);
    raw->parent_ = parent;
    parent->children_.insert(parent->children_.begin() + at, std::move(item));
    Renumber(parent, pos);
    IndexAdd(parent, raw);
    itemCount_ += CountSubtree(raw);
    if (observer_) observer_->ItemsInserted(parent, at, at);
    return raw;
}

}  // namespace catalog
