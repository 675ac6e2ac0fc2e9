#include "viewer_page.h"

#include <cstring>

#include "base64_text.h"
#include "viewer_assets.h"

bool ViewerPageAvailable() { return kViewerAvailable; }

std::string ViewerMissingMessage() {
    return "this qev was built without the viewer page (run `npm ci` in the source folder and build again)";
}

// JSON inside a <script> element ends at the first "</": '<' only occurs
// inside strings, where \u003c means the same character.
std::string JsonForScriptElement(const nlohmann::json& value) {
    const std::string json = value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    std::string safe;
    safe.reserve(json.size());
    for (char c : json) {
        if (c == '<') safe += "\\u003c";
        else safe += c;
    }
    return safe;
}

std::string HtmlText(const std::string& text) {
    std::string safe;
    for (char c : text) {
        switch (c) {
            case '&': safe += "&amp;"; break;
            case '<': safe += "&lt;"; break;
            case '>': safe += "&gt;"; break;
            case '"': safe += "&quot;"; break;
            default: safe += c;
        }
    }
    return safe;
}

std::string MakeViewerPage(const nlohmann::json& header, const std::vector<unsigned char>& glb) {
    const std::string title = header.contains("file") ? header["file"].get<std::string>() : "model";
    const struct {
        const char* place;
        std::string value;
    } values[] = {
        {"@QEV_TITLE@", HtmlText(title)},
        {"@QEV_HEADER_JSON@", JsonForScriptElement(header)},
        {"@QEV_MODEL_BASE64@", EncodeBase64(glb)},
        {"@QEV_VIEWER_SCRIPT@", kViewerScript},
    };
    // One pass over the template, so a value that happens to look like a
    // place (a file named "@QEV_TITLE@") is never filled in again.
    const std::string page_template = kViewerPageTemplate;
    std::string page;
    page.reserve(page_template.size() + strlen(kViewerScript) + glb.size() * 4 / 3 + 4096);
    size_t at = 0;
    while (at < page_template.size()) {
        size_t next = page_template.find("@QEV_", at);
        if (next == std::string::npos) next = page_template.size();
        page.append(page_template, at, next - at);
        at = next;
        if (at == page_template.size()) break;
        bool filled = false;
        for (const auto& value : values) {
            if (page_template.compare(at, strlen(value.place), value.place) == 0) {
                page += value.value;
                at += strlen(value.place);
                filled = true;
                break;
            }
        }
        if (!filled) page += page_template[at++];
    }
    return page;
}
