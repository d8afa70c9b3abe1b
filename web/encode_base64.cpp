#include "web/encode_base64.h"

#include <string>

namespace qimbra {

Text EncodeBase64(const Bytes& data) {
    static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    const std::string_view in = data.view();
    std::string out;
    out.reserve((in.size() + 2) / 3 * 4);
    size_t i = 0;
    for (; i + 3 <= in.size(); i += 3) {
        const uint32_t group = static_cast<uint32_t>(static_cast<unsigned char>(in[i])) << 16 |
                               static_cast<uint32_t>(static_cast<unsigned char>(in[i + 1])) << 8 |
                               static_cast<unsigned char>(in[i + 2]);
        out += kAlphabet[group >> 18];
        out += kAlphabet[(group >> 12) & 63];
        out += kAlphabet[(group >> 6) & 63];
        out += kAlphabet[group & 63];
    }
    if (const size_t rest = in.size() - i; rest > 0) {
        uint32_t group = static_cast<uint32_t>(static_cast<unsigned char>(in[i])) << 16;
        if (rest == 2) group |= static_cast<uint32_t>(static_cast<unsigned char>(in[i + 1])) << 8;
        out += kAlphabet[group >> 18];
        out += kAlphabet[(group >> 12) & 63];
        out += rest == 2 ? kAlphabet[(group >> 6) & 63] : '=';
        out += '=';
    }
    return Text(out);
}

}  // namespace qimbra
