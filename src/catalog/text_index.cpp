// Folding, and the two ways a search runs: one pass over the buffer, or a
// check of each earlier hit.
#include "catalog/text_index.h"

#include <algorithm>
#include <cstring>

namespace catalog {
namespace {
// Separates parts and texts in the buffer; FoldNeedle drops it.
constexpr char kSeparator = '\n';

void FoldInPlace(char* text, size_t size) {
    for (size_t i = 0; i < size; ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c >= 'A' && c <= 'Z') {
            text[i] = static_cast<char>(c + ('a' - 'A'));
        } else if (c == 0xC3 && i + 1 < size) {
            // U+00C0..U+00DE are C3 80..C3 9E; U+00D7 (C3 97) is the sign x.
            unsigned char d = static_cast<unsigned char>(text[i + 1]);
            if (d >= 0x80 && d <= 0x9E && d != 0x97) text[i + 1] = static_cast<char>(d + 0x20);
            ++i;
        }
    }
}
}  // namespace

std::string FoldText(std::string_view text) {
    std::string out(text);
    FoldInPlace(out.data(), out.size());
    return out;
}

std::string TextIndex::FoldNeedle(std::string_view text) {
    std::string kept;
    kept.reserve(text.size());
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F) kept += c;
    return FoldText(kept);
}

std::uint32_t TextIndex::Add(std::initializer_list<std::string_view> parts) {
    starts_.push_back(folded_.size());
    for (std::string_view part : parts) {
        size_t at = folded_.size();
        folded_.append(part);
        FoldInPlace(folded_.data() + at, part.size());
        folded_ += kSeparator;
    }
    return static_cast<std::uint32_t>(starts_.size() - 1);
}

void TextIndex::Reserve(std::size_t texts, std::size_t bytes) {
    starts_.reserve(texts);
    folded_.reserve(bytes);
}

void TextIndex::Clear() {
    folded_.clear();
    starts_.clear();
}

TextIndex::Hits TextIndex::Find(std::string_view needle, const Hits* within) const {
    Hits hits;
    if (needle.empty() || needle.find(kSeparator) != std::string_view::npos) return hits;
    const char* base = folded_.data();
    // Many earlier hits (a one-letter needle hits nearly everything): one
    // pass over the buffer beats a call per text.
    if (within && within->size() > starts_.size() / 8) within = nullptr;
    if (within) {
        for (std::uint32_t n : *within) {
            if (n >= starts_.size()) continue;
            size_t begin = starts_[n];
            size_t end = n + 1 < starts_.size() ? starts_[n + 1] : folded_.size();
            if (memmem(base + begin, end - begin, needle.data(), needle.size())) hits.push_back(n);
        }
        return hits;
    }
    size_t pos = 0;
    size_t text = 0;
    while (pos < folded_.size()) {
        const void* at = memmem(base + pos, folded_.size() - pos, needle.data(), needle.size());
        if (!at) break;
        size_t offset = static_cast<size_t>(static_cast<const char*>(at) - base);
        // The text holding the hit is the last one starting at or before
        // it; walking there costs at most one step per text in all.
        while (text + 1 < starts_.size() && starts_[text + 1] <= offset) ++text;
        hits.push_back(static_cast<std::uint32_t>(text));
        // One hit per text: go on at the next one.
        if (text + 1 >= starts_.size()) break;
        pos = starts_[++text];
    }
    return hits;
}

const TextIndex::Hits& NarrowingSearch::Find(const TextIndex& index, const std::string& needle) {
    if (valid_ && needle == needle_) return hits_;
    const bool narrow = valid_ && !needle_.empty() && needle.find(needle_) != std::string::npos;
    hits_ = index.Find(needle, narrow ? &hits_ : nullptr);
    needle_ = needle;
    valid_ = true;
    return hits_;
}

}  // namespace catalog
