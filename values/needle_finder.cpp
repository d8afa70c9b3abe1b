#include "values/needle_finder.h"

#include <algorithm>
#include <cstring>

#include "values/byte_search.h"

namespace qimbra {
namespace {

// After this many anchor hits that were no occurrence, and when they come more
// often than one per this many bytes, the anchor is too common to be worth it:
// restarting memchr costs about as much as scanning a few hundred bytes.
constexpr size_t kFalseHitsBeforeFallback = 16;
constexpr size_t kBytesPerFalseHit = 512;

unsigned char Fold(unsigned char byte) { return byte >= 'A' && byte <= 'Z' ? byte | 0x20 : byte; }

bool IsLowerLetter(unsigned char byte) { return byte >= 'a' && byte <= 'z'; }

// A rough guess of how often a byte occurs in a web page converted to code
// page 936: HTML mark-up, English words and two-byte characters. Higher is
// more common.
int Commonness(unsigned char byte) {
    if (byte >= 0xA1 && byte <= 0xFE) return 55;  // lead and second bytes of Chinese characters
    if (byte >= 0x80) return 25;
    if (byte == ' ') return 100;
    if (std::strchr("etaoinsrhldc", byte) != nullptr && byte != 0) return 80;
    if (IsLowerLetter(byte)) return 50;
    if (byte >= 'A' && byte <= 'Z') return 20;
    if (byte >= '0' && byte <= '9') return 30;
    if (std::strchr("<>\"=/.:-_,", byte) != nullptr && byte != 0) return 60;
    if (byte == '\n' || byte == '\r' || byte == '\t') return 50;
    if (byte < 0x20) return 1;
    return 15;
}

}  // namespace

NeedleFinder::NeedleFinder(std::string_view needle, bool ignore_case) : needle_(needle), ignore_case_(ignore_case) {
    if (ignore_case_) {
        folded_.resize(needle_.size());
        for (size_t i = 0; i < needle_.size(); ++i) {
            folded_[i] = static_cast<char>(Fold(static_cast<unsigned char>(needle_[i])));
        }
    }
    // Keep the rarest few distinct bytes, by insertion into a short list.
    std::array<int, kMaxAnchors> scores{};
    for (size_t i = 0; i < needle_.size(); ++i) {
        const auto byte = static_cast<unsigned char>(ignore_case_ ? folded_[i] : needle_[i]);
        int score = Commonness(byte);
        // A letter is searched in both cases: two scans, each as long as the
        // more common form makes it.
        if (ignore_case_ && IsLowerLetter(byte)) score = std::max(score, Commonness(byte ^ 0x20)) + 5;
        bool seen = false;
        for (size_t r = 0; r < anchor_count_; ++r)
            seen = seen || (ignore_case_ ? folded_ : needle_)[anchors_[r]] == byte;
        if (seen) continue;
        size_t r = anchor_count_ < kMaxAnchors ? anchor_count_++ : kMaxAnchors;
        if (r == kMaxAnchors) {
            if (score >= scores[kMaxAnchors - 1]) continue;
            r = kMaxAnchors - 1;
        }
        for (; r > 0 && scores[r - 1] > score; --r) {
            scores[r] = scores[r - 1];
            anchors_[r] = anchors_[r - 1];
        }
        scores[r] = score;
        anchors_[r] = i;
    }
    UseAnchor(0, 0);
}

void NeedleFinder::UseAnchor(size_t rank, size_t from) {
    anchor_rank_ = rank;
    anchor_ = anchors_[rank];
    anchor_byte_ = static_cast<unsigned char>(ignore_case_ ? folded_[anchor_] : needle_[anchor_]);
    anchor_other_ = ignore_case_ && IsLowerLetter(anchor_byte_) ? anchor_byte_ ^ 0x20 : anchor_byte_;
    next_first_ = next_other_ = npos;
    scanned_first_ = scanned_other_ = 0;
    false_hits_ = 0;
    counted_from_ = from;
}

bool NeedleFinder::TooManyFalseHits(size_t q) {
    if (settled_) return false;
    if (++false_hits_ <= kFalseHitsBeforeFallback || false_hits_ * kBytesPerFalseHit <= q - counted_from_) {
        return false;
    }
    // Remember how far apart this anchor's false hits came.
    spacing_[anchor_rank_] = (q - counted_from_) / false_hits_;
    return true;
}

void NeedleFinder::ChangeAnchor(size_t from) {
    if (anchor_rank_ + 1 < anchor_count_) {
        UseAnchor(anchor_rank_ + 1, from);
        return;
    }
    if (!ignore_case_) {
        use_two_way_ = true;  // the two-way search has no bad cases
        return;
    }
    // Every anchor was common: go back to the least common and stay with it.
    size_t best = 0;
    for (size_t r = 1; r < anchor_count_; ++r) {
        if (spacing_[r] > spacing_[best]) best = r;
    }
    UseAnchor(best, from);
    settled_ = true;
}

size_t NeedleFinder::Next(std::string_view haystack, size_t from) {
    if (needle_.size() > haystack.size() || from > haystack.size() - needle_.size()) return npos;
    return ignore_case_ ? NextFolded(haystack, from) : NextExact(haystack, from);
}

size_t NeedleFinder::NextExact(std::string_view haystack, size_t from) {
    const auto* s = reinterpret_cast<const unsigned char*>(haystack.data());
    const size_t n = needle_.size();
    const size_t last_start = haystack.size() - n;
    while (from <= last_start) {
        if (use_two_way_) {
            const size_t hit = FindBytes(haystack.substr(from), needle_);
            return hit == npos ? npos : from + hit;
        }
        const void* hit = std::memchr(s + from + anchor_, anchor_byte_, last_start - from + 1);
        if (hit == nullptr) return npos;
        const size_t q = static_cast<size_t>(static_cast<const unsigned char*>(hit) - s) - anchor_;
        if (std::memcmp(s + q, needle_.data(), n) == 0) return q;
        if (TooManyFalseHits(q)) ChangeAnchor(q + 1);
        from = q + 1;
    }
    return npos;
}

size_t NeedleFinder::NextAnchor(const unsigned char* s, size_t at, size_t end) {
    // Each case form keeps its own cursor, so that neither is scanned twice.
    auto advance = [&](unsigned char byte, size_t& next, size_t& scanned) {
        if (next != npos && next >= at) return;
        if (scanned > at && next == npos) return;  // none left up to `end`
        const void* hit = at < end ? std::memchr(s + at, byte, end - at) : nullptr;
        next = hit == nullptr ? npos : static_cast<size_t>(static_cast<const unsigned char*>(hit) - s);
        scanned = end;
    };
    advance(anchor_byte_, next_first_, scanned_first_);
    if (anchor_other_ == anchor_byte_) return next_first_;
    advance(anchor_other_, next_other_, scanned_other_);
    return std::min(next_first_, next_other_);
}

bool NeedleFinder::FoldedEqualAt(const unsigned char* at) const {
    const auto* folded = reinterpret_cast<const unsigned char*>(folded_.data());
    for (size_t i = 0; i < folded_.size(); ++i) {
        if (Fold(at[i]) != folded[i]) return false;
    }
    return true;
}

size_t NeedleFinder::NextFolded(std::string_view haystack, size_t from) {
    const auto* s = reinterpret_cast<const unsigned char*>(haystack.data());
    const size_t last_start = haystack.size() - needle_.size();
    while (from <= last_start) {
        // The anchor may change after a false hit, and with it the last place
        // where its byte can stand.
        const size_t hit = NextAnchor(s, from + anchor_, last_start + anchor_ + 1);
        if (hit == npos) return npos;
        const size_t q = hit - anchor_;
        if (FoldedEqualAt(s + q)) return q;
        if (TooManyFalseHits(q)) ChangeAnchor(q + 1);
        from = q + 1;
    }
    return npos;
}

}  // namespace qimbra
