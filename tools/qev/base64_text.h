// Base64 as the page (data of the embedded model), data URIs and the browser's
// screenshots use it.
#ifndef QEV_TOOL_BASE64_TEXT_H
#define QEV_TOOL_BASE64_TEXT_H

#include <string>
#include <vector>

std::string EncodeBase64(const std::vector<unsigned char>& bytes);

// Decodes text from offset `from` up to the first '=' (or the end); the URL-safe
// alphabet is accepted too. False on any other character.
bool DecodeBase64(const std::string& text, size_t from, std::vector<unsigned char>& bytes);

#endif
