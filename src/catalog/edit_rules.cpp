// Editing rules. A drop never puts catalog content where a save does not
// reach (inside an open site's listing, below the MapFiles folder or a map
// file): it would vanish at the next save or the next close of the site.
#include "catalog/edit_rules.h"

#include "catalog/catalog.h"
#include "platform/paths.h"

namespace catalog {
namespace {

bool IsFolderEntry(const TreeItem* item) { return item->HasEntry() && item->Entry()->IsFolder(); }

// Whether children put under `parent` would be written by a save.
bool SavesChildrenOf(const CatalogTree& tree, const TreeItem* parent) {
    for (const TreeItem* p = parent; p && p != tree.Top(); p = p->Parent()) {
        if (p->IsBuiltInSite()) return false;
        if (const CEntry* e = p->Entry()) {
            EntryKind k = e->Kind();
            if (k != EntryKind::Folder && k != EntryKind::Item) return false;
        } else if (p->Text() == kMapFilesText && p->Parent() == tree.RootItem()) {
            return false;
        }
    }
    return true;
}

}  // namespace

TreeItem* NewFolderParent(CatalogTree& tree, TreeItem* selected) {
    if (!selected) return tree.Top();
    if (!selected->HasEntry() || IsFolderEntry(selected) || selected->Parent() == tree.Top())
        return selected;
    return selected->Parent();
}

TreeItem* AddItemParent(CatalogTree& tree, TreeItem* selected) {
    if (!selected) {
        TreeItem* root = tree.RootItem();
        return root ? root : tree.Top();
    }
    if (!selected->HasEntry() || IsFolderEntry(selected)) return selected;
    return selected->Parent();
}

std::string StoredDownloadDir(const std::string& typed) {
    return typed.size() >= 2 ? typed : std::string(kDefaultDownloadDir);
}

std::string PathDirectory(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string TrimmedName(std::string_view name) {
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!name.empty() && blank(name.front())) name.remove_prefix(1);
    while (!name.empty() && blank(name.back())) name.remove_suffix(1);
    return std::string(name);
}

std::string ColonProblem(const std::vector<StoredField>& fields) {
    for (const StoredField& f : fields)
        if (f.text.find(':') != std::string_view::npos)
            return std::string("Please do not use colons in the ") + f.what + ".";
    return {};
}

std::string NameProblem(std::string_view name) {
    if (name.find('/') != std::string_view::npos) return "Please do not use \"/\" in a name.";
    return {};
}

DropPlan PlanDrop(const CatalogTree& tree, TreeItem* dragged, TreeItem* target) {
    DropPlan plan;
    if (!dragged || !dragged->Parent() || dragged == tree.Top()) return plan;
    if (target && target->IsWithin(dragged)) return plan;
    plan.action = DropAction::Nothing;
    if (!target || target == tree.Top()) return plan;

    TreeItem* parent = target->HasEntry() ? target->Parent() : target;
    const CEntry* dragEntry = dragged->Entry();
    DropAction action = DropAction::Move;
    if (!dragEntry) {
        // An empty plain folder holds nothing to move.
        if (!dragged->HasChildren()) return plan;
    } else {
        EntryKind t = target->HasEntry() ? target->Entry()->Kind() : EntryKind::Folder;
        if (t == EntryKind::FtpSite || t == EntryKind::FtpDir || t == EntryKind::FtpFile ||
            t == EntryKind::MapFile)
            return plan;
        EntryKind d = dragEntry->Kind();
        if (d == EntryKind::FtpDir) return plan;
        if (d == EntryKind::FtpFile) action = DropAction::CopySiteFile;
    }
    if (!SavesChildrenOf(tree, parent)) return plan;
    plan.action = action;
    plan.parent = parent;
    return plan;
}

CEntry CatalogItemFromSiteFile(const CEntry& file, const std::string& remotePath,
                               const std::string& downloadDir) {
    CEntry e(file);
    e.Path = remotePath;
    e.DownloadDir = downloadDir;
    e.Description.clear();
    return e;
}

std::string MapFileToDelete(const std::string& dataDirectory, const std::string& downloadDir) {
    if (!IsPlainFileName(downloadDir)) return {};
    return platform::JoinPath(platform::JoinPath(dataDirectory, kMapFilesDirectory), downloadDir);
}

}  // namespace catalog
