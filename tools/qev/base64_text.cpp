#include "base64_text.h"

namespace {

int Base64Value(char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+' || c == '-') return 62;
    if (c == '/' || c == '_') return 63;
    return -1;
}

}  // namespace

bool DecodeBase64(const std::string& text, size_t from, std::vector<unsigned char>& bytes) {
    unsigned group = 0;
    int bits = 0;
    for (size_t i = from; i < text.size(); ++i) {
        if (text[i] == '=') break;
        const int value = Base64Value(text[i]);
        if (value < 0) return false;
        group = (group << 6 | unsigned(value)) & 0xFFFFFF;
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            bytes.push_back(static_cast<unsigned char>(group >> bits));
        }
    }
    return true;
}

std::string EncodeBase64(const std::vector<unsigned char>& bytes) {
    static const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string text;
    text.reserve((bytes.size() + 2) / 3 * 4);
    size_t i = 0;
    for (; i + 2 < bytes.size(); i += 3) {
        const unsigned group = bytes[i] << 16 | bytes[i + 1] << 8 | bytes[i + 2];
        text += kDigits[group >> 18];
        text += kDigits[group >> 12 & 63];
        text += kDigits[group >> 6 & 63];
        text += kDigits[group & 63];
    }
    if (i < bytes.size()) {
        const bool two = i + 1 < bytes.size();
        const unsigned group = bytes[i] << 16 | (two ? bytes[i + 1] << 8 : 0);
        text += kDigits[group >> 18];
        text += kDigits[group >> 12 & 63];
        text += two ? kDigits[group >> 6 & 63] : '=';
        text += '=';
    }
    return text;
}
