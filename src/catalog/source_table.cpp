// The merged-source table and its text file hosts.dat.
#include "catalog/source_table.h"

#include "platform/atomic_file.h"
#include "platform/paths.h"

namespace catalog {

SourceTable::SourceTable() {
    slots_[0].deleted = false;
    slots_[0].neverUsed = false;
    for (int i = 0; i < kSlots; ++i) slots_[static_cast<size_t>(i)].index = i;
}

void SourceTable::Load(const std::string& directory) {
    std::string path = platform::JoinPath(directory, kSourceTableFile);
    std::string content;
    if (!platform::ReadWholeFile(path, content)) {
        platform::WriteFileAtomically(path, "");
        content.clear();
    }
    Parse(content);
}

void SourceTable::Parse(const std::string& content) {
    *this = SourceTable();
    size_t pos = 0;
    for (int slot = 1; slot < kSlots && pos < content.size(); ++slot) {
        size_t end = content.find('\n', pos);
        if (end == std::string::npos) end = content.size();
        std::string line = content.substr(pos, end - pos);
        pos = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        Source& s = slots_[static_cast<size_t>(slot)];
        std::string flag;
        std::string* fields[4] = {&s.first, &s.second, &s.third, &flag};
        size_t at = 0;
        bool cut = true;
        for (std::string* f : fields) {
            size_t colon = line.find(':', at);
            if (colon == std::string::npos) {
                *f = line.substr(at);  // the last field present takes the rest
                cut = false;
                break;
            }
            *f = line.substr(at, colon - at);
            at = colon + 1;
        }
        s.fifth = cut ? line.substr(at) : std::string();
        s.deleted = flag == "1";
        s.neverUsed = false;
        s.index = slot;
    }
}

std::string SourceTable::Serialize() const {
    std::string out;
    for (int i = 1; i < kSlots; ++i) {
        const Source& s = slots_[static_cast<size_t>(i)];
        if (s.neverUsed) break;
        out += s.first + ':' + s.second + ':' + s.third + ':' + (s.deleted ? "1" : "0") + ':' +
               s.fifth + '\n';
    }
    return out;
}

bool SourceTable::Save(const std::string& directory) const {
    return platform::WriteFileAtomically(platform::JoinPath(directory, kSourceTableFile),
                                         Serialize());
}

int SourceTable::Add(const std::string& first, const std::string& second, const std::string& third,
                     const std::string& fifth) {
    for (int i = 1; i <= kLastMergedId; ++i) {
        Source& s = slots_[static_cast<size_t>(i)];
        if (!s.deleted && !s.neverUsed) continue;
        // Texts that go into hosts.dat must keep its line structure.
        auto clean = [](std::string t, bool colonAllowed) {
            for (char& c : t)
                if (c == '\n' || c == '\r' || (c == ':' && !colonAllowed)) c = c == ':' ? ';' : ' ';
            return t;
        };
        s.first = clean(first, false);
        s.second = clean(second, false);
        s.third = clean(third, false);
        s.fifth = clean(fifth, true);
        s.deleted = false;
        s.neverUsed = false;
        s.index = i;
        return i;
    }
    return 0;
}

void SourceTable::ListLines(std::vector<std::string>& out) const {
    for (int i = 1; i < kSlots; ++i) {
        const Source& s = slots_[static_cast<size_t>(i)];
        if (s.neverUsed || s.deleted) continue;
        out.push_back(s.first + '\t' + s.second + '\t' + s.third);
    }
}

std::vector<int> SourceTable::ListedSlots() const {
    std::vector<int> slots;
    for (int i = 1; i < kSlots; ++i) {
        const Source& s = slots_[static_cast<size_t>(i)];
        if (!s.neverUsed && !s.deleted) slots.push_back(i);
    }
    return slots;
}

void SourceTable::MarkDeleted(int slot) {
    if (slot >= 1 && slot < kSlots) slots_[static_cast<size_t>(slot)].deleted = true;
}

bool SourceTable::MarkDeleted(const std::string& first, const std::string& second) {
    for (int i = 1; i < kSlots; ++i) {
        Source& s = slots_[static_cast<size_t>(i)];
        if (s.neverUsed) continue;
        if (s.first == first && s.second == second) {
            s.deleted = true;
            return true;
        }
    }
    return false;
}

const SourceTable::Source* SourceTable::Restore(const std::string& first,
                                                const std::string& second) {
    for (int i = 1; i < kSlots; ++i) {
        Source& s = slots_[static_cast<size_t>(i)];
        if (s.neverUsed) continue;
        if (s.first == first && s.second == second) {
            s.deleted = false;
            return &s;
        }
    }
    return nullptr;
}

}  // namespace catalog
