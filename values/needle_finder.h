#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace qimbra {

// Finds the raw occurrences of one needle in one haystack, left to right,
// without regard to characters: the caller decides which of them start at a
// character stop. A rare byte of the needle is looked for with memchr and
// only its hits are compared, so a search runs at memchr speed on typical
// pages; when that byte turns out to be common, the exact search falls back
// to the two-way search of FindBytes. Ignoring case folds only the ASCII
// letters A-Z.
class NeedleFinder {
  public:
    static constexpr size_t npos = std::string_view::npos;

    // `needle` must not be empty and must outlive the finder.
    NeedleFinder(std::string_view needle, bool ignore_case);

    // The first occurrence lying wholly inside `haystack` that starts at or
    // after `from`, or npos. Successive calls on the same haystack must not
    // move `from` backwards.
    [[nodiscard]] size_t Next(std::string_view haystack, size_t from);

  private:
    [[nodiscard]] size_t NextExact(std::string_view haystack, size_t from);
    [[nodiscard]] size_t NextFolded(std::string_view haystack, size_t from);
    [[nodiscard]] bool FoldedEqualAt(const unsigned char* at) const;
    // Looks for the needle's next rarest byte from now on.
    void UseAnchor(size_t rank, size_t from);
    // Counts an anchor hit at `q` that was no occurrence; true when the
    // anchor has proved too common and the search should change tactics.
    [[nodiscard]] bool TooManyFalseHits(size_t q);
    // Moves on to the next anchor, or to the last resort when none is left.
    void ChangeAnchor(size_t from);
    // The next hit of the anchor byte (either case when folding) at or after
    // `at`, below `end`, or npos.
    [[nodiscard]] size_t NextAnchor(const unsigned char* s, size_t at, size_t end);

    std::string_view needle_;
    std::string folded_;  // the needle with A-Z folded to a-z, when ignoring case
    bool ignore_case_;
    // Offsets of the needle's rarest distinct bytes, rarest first.
    static constexpr size_t kMaxAnchors = 4;
    std::array<size_t, kMaxAnchors> anchors_{};
    size_t anchor_count_ = 0;
    size_t anchor_rank_ = 0;
    size_t anchor_ = 0;               // offset of the byte looked for now
    unsigned char anchor_byte_ = 0;   // that byte, folded when ignoring case
    unsigned char anchor_other_ = 0;  // its upper-case form, or the same byte
    bool use_two_way_ = false;
    size_t false_hits_ = 0;
    size_t counted_from_ = 0;                    // where counting the false hits began
    std::array<size_t, kMaxAnchors> spacing_{};  // bytes per false hit, per anchor tried
    bool settled_ = false;
    // Where the last search for each case form of the anchor ended.
    size_t next_first_ = npos;
    size_t next_other_ = npos;
    size_t scanned_first_ = 0;
    size_t scanned_other_ = 0;
};

}  // namespace qimbra
