#include "values/byte_search.h"

#include <algorithm>
#include <array>
#include <bitset>
#include <cstring>

namespace qimbra {
namespace {

struct Factorization {
    size_t split;   // the needle's critical factorization ends at this index (inclusive)
    size_t period;  // the period of the needle's right part
};

// The maximal suffix of `n` under the byte order `greater` (or its reverse),
// with its period. `split` counts from one before the start: npos is "-1".
Factorization MaximalSuffix(const unsigned char* n, size_t l, bool reverse) {
    size_t ip = static_cast<size_t>(-1);
    size_t jp = 0;
    size_t k = 1;
    size_t p = 1;
    while (jp + k < l) {
        const unsigned char a = n[ip + k];
        const unsigned char b = n[jp + k];
        if (a == b) {
            if (k == p) {
                jp += p;
                k = 1;
            } else {
                ++k;
            }
        } else if (reverse ? a < b : a > b) {
            jp += k;
            k = 1;
            p = jp - ip;
        } else {
            ip = jp++;
            k = p = 1;
        }
    }
    return {ip, p};
}

}  // namespace

size_t FindBytes(std::string_view haystack, std::string_view needle) {
    const size_t l = needle.size();
    if (l == 0) return 0;
    if (l > haystack.size()) return std::string_view::npos;
    const auto* n = reinterpret_cast<const unsigned char*>(needle.data());
    const auto* start = reinterpret_cast<const unsigned char*>(haystack.data());
    const unsigned char* h = start;
    const unsigned char* const z = start + haystack.size();

    // For every byte of the needle, how far its last occurrence lies from the end.
    std::bitset<256> in_needle;
    std::array<size_t, 256> shift;
    for (size_t i = 0; i < l; ++i) {
        in_needle.set(n[i]);
        shift[n[i]] = i + 1;
    }

    // The critical factorization: the later of the two maximal suffixes.
    const Factorization forward = MaximalSuffix(n, l, false);
    const Factorization backward = MaximalSuffix(n, l, true);
    const bool backward_later = backward.split + 1 > forward.split + 1;
    const size_t ms = backward_later ? backward.split : forward.split;
    size_t p = backward_later ? backward.period : forward.period;

    // A periodic needle remembers how much of its left part already matched.
    size_t mem0 = 0;
    if (std::memcmp(n, n + p, ms + 1) != 0) {
        p = std::max(ms, l - ms - 1) + 1;
    } else {
        mem0 = l - p;
    }
    size_t mem = 0;

    for (;;) {
        if (static_cast<size_t>(z - h) < l) return std::string_view::npos;
        const unsigned char last = h[l - 1];
        if (!in_needle.test(last)) {
            h += l;
            mem = 0;
            continue;
        }
        size_t k = l - shift[last];
        if (k != 0) {
            h += std::max(k, mem);
            mem = 0;
            continue;
        }
        // The right part, from the factorization on.
        for (k = std::max(ms + 1, mem); k < l && n[k] == h[k]; ++k) {
        }
        if (k < l) {
            h += k - ms;
            mem = 0;
            continue;
        }
        // The left part, backwards.
        for (k = ms + 1; k > mem && n[k - 1] == h[k - 1]; --k) {
        }
        if (k <= mem) return static_cast<size_t>(h - start);
        h += p;
        mem = mem0;
    }
}

}  // namespace qimbra
