#include "values/text_ops.h"

#include <algorithm>
#include <string>

namespace qimbra {
namespace {

constexpr unsigned char kLeadByte = 0x80;
constexpr unsigned char kFullWidthSpaceByte = 0xA1;

bool IsLead(unsigned char byte) { return byte >= kLeadByte; }

}  // namespace

int32_t TextLength(const Text& text) { return text.size(); }

Text TextLeft(const Text& text, int32_t count) {
    if (count <= 0) return {};
    return Text(text.view().substr(0, static_cast<size_t>(count)));
}

Text TextRight(const Text& text, int32_t count) {
    if (count <= 0) return {};
    const size_t length = text.view().size();
    const size_t kept = std::min(length, static_cast<size_t>(count));
    return Text(text.view().substr(length - kept));
}

Text TextMid(const Text& text, int32_t start_position, int32_t count) {
    if (start_position < 1 || start_position > text.size() || count <= 0) return {};
    return Text(text.view().substr(static_cast<size_t>(start_position - 1), static_cast<size_t>(count)));
}

Text TrimText(const Text& text) {
    const std::string_view s = text.view();
    const size_t length = s.size();
    auto byte = [&](size_t i) { return static_cast<unsigned char>(s[i]); };
    auto full_width_space_at = [&](size_t i) {
        return byte(i) == kFullWidthSpaceByte && i + 1 < length && byte(i + 1) == kFullWidthSpaceByte;
    };

    size_t first = 0;
    while (first < length) {
        if (byte(first) == ' ') {
            ++first;
        } else if (full_width_space_at(first)) {
            first += 2;
        } else {
            break;
        }
    }

    size_t end = length;                  // where the kept text ends
    size_t run = std::string_view::npos;  // start of the current run of blanks
    size_t p = first;
    while (p < length) {
        if (byte(p) == ' ') {
            if (run == std::string_view::npos) run = p;
            ++p;
        } else if (IsLead(byte(p))) {
            if (p + 1 == length) {
                // A broken character at the end: cut just before it and keep
                // the blanks in front of it.
                run = std::string_view::npos;
                end = p;
                break;
            }
            if (full_width_space_at(p)) {
                if (run == std::string_view::npos) run = p;
            } else {
                run = std::string_view::npos;
            }
            p += 2;
        } else {
            run = std::string_view::npos;
            ++p;
        }
    }
    if (run != std::string_view::npos) end = run;
    return Text(s.substr(first, end - first));
}

Text UpperText(const Text& text) {
    std::string upper = text.bytes();
    for (size_t p = 0; p < upper.size();) {
        const auto byte = static_cast<unsigned char>(upper[p]);
        if (IsLead(byte)) {
            p += 2;  // the second byte of a character stays as it is
            continue;
        }
        if (byte >= 'a' && byte <= 'z') upper[p] = static_cast<char>(byte - 0x20);
        ++p;
    }
    return Text(upper);
}

Text BlankText(int32_t count) {
    if (count <= 0) return {};
    return Text(std::string(static_cast<size_t>(count), ' '));
}

Bytes BlankBytes(int32_t count) {
    if (count <= 0) return {};
    return Bytes(std::string(static_cast<size_t>(count), '\0'));
}

}  // namespace qimbra
