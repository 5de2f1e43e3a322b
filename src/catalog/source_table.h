// The merged-source table: up to 44 sources, one per merged data file, each
// with three descriptive texts and a fifth, mirrored in hosts.dat. Slot 0 is
// never used so that a slot number can serve as a merged-file id; slot 44
// is never handed out either, since id 44 marks the contents of an opened
// map file.
#pragma once

#include <array>
#include <string>
#include <vector>

namespace catalog {

inline constexpr const char* kSourceTableFile = "hosts.dat";

class SourceTable {
public:
    static constexpr int kSlots = 45;
    // The highest slot Add hands out: ids 1 to 43 are merged files.
    static constexpr int kLastMergedId = 43;

    struct Source {
        std::string first, second, third;
        bool deleted = true;
        bool neverUsed = true;
        std::string fifth;
        int index = 0;
    };

    SourceTable();

    // Reads directory/hosts.dat, creating it empty when missing.
    void Load(const std::string& directory);
    // Writes directory/hosts.dat whole; false when it could not be written.
    bool Save(const std::string& directory) const;
    // Text of hosts.dat for the table.
    std::string Serialize() const;
    void Parse(const std::string& content);

    // The slot used, or 0 when slots 1 to 43 are all in use.
    int Add(const std::string& first, const std::string& second, const std::string& third,
            const std::string& fifth);
    // "first\tsecond\tthird" for each used, undeleted slot, in slot order.
    void ListLines(std::vector<std::string>& out) const;
    // Slot numbers of the lines ListLines gives, in the same order.
    std::vector<int> ListedSlots() const;
    bool MarkDeleted(const std::string& first, const std::string& second);
    // Marks one slot deleted; two sources may share their texts.
    void MarkDeleted(int slot);
    // The entry after clearing its deleted flag, or null.
    const Source* Restore(const std::string& first, const std::string& second);

    const Source& Slot(int i) const { return slots_[static_cast<size_t>(i)]; }

private:
    std::array<Source, kSlots> slots_;
};

}  // namespace catalog
