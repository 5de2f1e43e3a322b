// Case-insensitive substring search over many short texts. The texts are
// folded to lower case once and kept end to end in one buffer, so a search
// is a single pass of memmem over it instead of a fold and a compare per
// item; a longer needle that contains the previous one is searched only
// among the previous hits, which is what typing a word letter by letter
// does. Pure code, no Qt: the catalog's search and its tests use it alike.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace catalog {

// Lower case of ASCII letters and of the Latin-1 letters in UTF-8 (A-grave
// to Thorn); every other byte is kept. Both the texts and the needle go
// through this, so they fold alike.
std::string FoldText(std::string_view text);

class TextIndex {
public:
    using Hits = std::vector<std::uint32_t>;

    // Adds one text made of `parts`, each searched on its own (a needle
    // never spans two parts or two texts); returns its number (0, 1, ...).
    std::uint32_t Add(std::initializer_list<std::string_view> parts);
    std::uint32_t Size() const { return static_cast<std::uint32_t>(starts_.size()); }
    std::size_t Bytes() const { return folded_.size(); }
    // Room for `texts` texts of `bytes` bytes in all, to grow only once.
    void Reserve(std::size_t texts, std::size_t bytes);
    void Clear();

    // The numbers of the texts holding `needle` (folded already, see
    // FoldNeedle), ascending. With `within`, only those texts are tried.
    Hits Find(std::string_view needle, const Hits* within = nullptr) const;

    // The needle as searched: folded, and without control characters,
    // which separate the parts and so could never match.
    static std::string FoldNeedle(std::string_view text);

private:
    std::string folded_;
    std::vector<std::size_t> starts_;  // where each text begins in folded_
};

// Remembers the last needle and its hits so that a needle growing from it
// searches only among them.
class NarrowingSearch {
public:
    const TextIndex::Hits& Find(const TextIndex& index, const std::string& needle);
    void Forget() {
        needle_.clear();
        valid_ = false;
    }

private:
    std::string needle_;
    TextIndex::Hits hits_;
    bool valid_ = false;
};

}  // namespace catalog
