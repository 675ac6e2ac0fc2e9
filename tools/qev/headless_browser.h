// Debian's Chromium run headless and driven over its DevTools pipe (fds 3 and
// 4, NUL-separated JSON messages), so taking pictures needs no Node at run
// time. One browser and one tab serve any number of pictures.
#ifndef QEV_TOOL_HEADLESS_BROWSER_H
#define QEV_TOOL_HEADLESS_BROWSER_H

#include <sys/types.h>

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

// The browser program: $QEV_BROWSER when set, else chromium on the PATH.
// Empty when there is none.
std::string FindBrowser();

// The one line for a machine without a browser.
std::string MissingBrowserMessage();

class HeadlessBrowser {
public:
    HeadlessBrowser() = default;
    HeadlessBrowser(const HeadlessBrowser&) = delete;
    HeadlessBrowser& operator=(const HeadlessBrowser&) = delete;
    ~HeadlessBrowser();

    bool Start(const std::string& program, std::string& error);

    // Opens url at width x height CSS pixels, waits until the page sets
    // window.qevDrawn ("ok", or why it could not draw) and returns the
    // viewport as PNG bytes.
    bool Picture(const std::string& url, int width, int height, std::vector<unsigned char>& png,
                 std::string& error);

private:
    bool Call(const std::string& method, const nlohmann::json& params, bool inTab, nlohmann::json& result,
              std::string& error);
    bool ReadMessage(nlohmann::json& message, int timeoutMs, std::string& error);
    void Stop();

    pid_t pid_ = -1;
    int toBrowser_ = -1;
    int fromBrowser_ = -1;
    int nextId_ = 1;
    int pictures_ = 0;
    std::string pending_;
    std::string profileDir_;
    std::string session_;
};

#endif
