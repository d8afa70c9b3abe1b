#include "values/needle_finder.h"

#include <cstring>

namespace qimbra {
namespace {

// After this many anchor hits that were no occurrence, and when they come more
// often than one per this many bytes, the anchor is too common to be worth it.
constexpr size_t kFalseHitsBeforeFallback = 16;
constexpr size_t kBytesPerFalseHit = 64;

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
    int best = 1 << 30;
    for (size_t i = 0; i < needle_.size(); ++i) {
        const auto byte = static_cast<unsigned char>(ignore_case_ ? folded_[i] : needle_[i]);
        int score = Commonness(byte);
        // A letter is searched in both cases, which costs two scans.
        if (ignore_case_ && IsLowerLetter(byte)) score += Commonness(byte ^ 0x20) + 10;
        if (score < best) {
            best = score;
            anchor_ = i;
        }
    }
    anchor_byte_ = static_cast<unsigned char>(ignore_case_ ? folded_[anchor_] : needle_[anchor_]);
    anchor_other_ = ignore_case_ && IsLowerLetter(anchor_byte_) ? anchor_byte_ ^ 0x20 : anchor_byte_;
}

size_t NeedleFinder::Next(std::string_view haystack, size_t from) {
    if (needle_.size() > haystack.size() || from > haystack.size() - needle_.size()) return npos;
    if (first_from_ == npos) first_from_ = from;
    return ignore_case_ ? NextFolded(haystack, from) : NextExact(haystack, from);
}

size_t NeedleFinder::NextExact(std::string_view haystack, size_t from) {
    const auto* s = reinterpret_cast<const unsigned char*>(haystack.data());
    const size_t n = needle_.size();
    const size_t last_start = haystack.size() - n;
    while (from <= last_start) {
        if (use_memmem_) {
            const void* hit = memmem(s + from, haystack.size() - from, needle_.data(), n);
            return hit == nullptr ? npos : static_cast<size_t>(static_cast<const unsigned char*>(hit) - s);
        }
        const void* hit = std::memchr(s + from + anchor_, anchor_byte_, last_start - from + 1);
        if (hit == nullptr) return npos;
        const size_t q = static_cast<size_t>(static_cast<const unsigned char*>(hit) - s) - anchor_;
        if (std::memcmp(s + q, needle_.data(), n) == 0) return q;
        if (++false_hits_ > kFalseHitsBeforeFallback && false_hits_ * kBytesPerFalseHit > q - first_from_) {
            use_memmem_ = true;
        }
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
    const size_t end = last_start + anchor_ + 1;
    while (from <= last_start) {
        const size_t hit = NextAnchor(s, from + anchor_, end);
        if (hit == npos) return npos;
        const size_t q = hit - anchor_;
        if (FoldedEqualAt(s + q)) return q;
        from = q + 1;
    }
    return npos;
}

}  // namespace qimbra
