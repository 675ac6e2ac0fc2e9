// The self-contained viewer page: the built-in template with the header JSON,
// the model as base64 glb and the bundled script put in its places.
#ifndef QEV_TOOL_VIEWER_PAGE_H
#define QEV_TOOL_VIEWER_PAGE_H

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

// False when this qev was built without the viewer (no node_modules at build time).
bool ViewerPageAvailable();

// The one-line reason view and preview cannot run in such a build.
std::string ViewerMissingMessage();

std::string MakeViewerPage(const nlohmann::json& header, const std::vector<unsigned char>& glb);

// Exposed for the tests: the pieces whose escaping keeps the page well formed.
std::string JsonForScriptElement(const nlohmann::json& value);
std::string HtmlText(const std::string& text);

#endif
