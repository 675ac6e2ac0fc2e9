#include "headless_browser.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <thread>

#include "base64_text.h"

namespace {

// Software WebGL is slow on a loaded machine; a picture that takes longer than
// this is taken to be stuck.
const int kCallTimeoutMs = 60000;
const int kDrawTimeoutMs = 120000;

bool IsProgram(const std::string& path) { return access(path.c_str(), X_OK) == 0; }

bool WriteAll(int fd, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += size_t(n);
    }
    return true;
}

}  // namespace

std::string FindBrowser() {
    if (const char* chosen = getenv("QEV_BROWSER")) return IsProgram(chosen) ? chosen : "";
    const char* path = getenv("PATH");
    std::string folders = path ? path : "/usr/bin:/bin";
    size_t start = 0;
    while (start <= folders.size()) {
        size_t end = folders.find(':', start);
        if (end == std::string::npos) end = folders.size();
        const std::string candidate = folders.substr(start, end - start) + "/chromium";
        if (end > start && IsProgram(candidate)) return candidate;
        start = end + 1;
    }
    return "";
}

std::string MissingBrowserMessage() {
    return "preview needs the Chromium browser, which is not installed: apt-get install chromium";
}

HeadlessBrowser::~HeadlessBrowser() { Stop(); }

bool HeadlessBrowser::Start(const std::string& program, std::string& error) {
    // A browser that dies mid-write must give an error, not end qev.
    signal(SIGPIPE, SIG_IGN);
    char profile[] = "/tmp/qev-browser-XXXXXX";
    if (!mkdtemp(profile)) {
        error = std::string("cannot make a browser profile folder (") + strerror(errno) + ")";
        return false;
    }
    profileDir_ = profile;
    int toChild[2], fromChild[2];
    if (pipe(toChild) != 0 || pipe(fromChild) != 0) {
        error = std::string("cannot start the browser (") + strerror(errno) + ")";
        return false;
    }
    std::vector<std::string> args = {
        program, "--headless", "--remote-debugging-pipe", "--user-data-dir=" + profileDir_,
        "--no-first-run", "--no-default-browser-check", "--disable-extensions", "--disable-sync",
        "--disable-background-networking", "--hide-scrollbars", "--mute-audio",
        // No GPU here: WebGL runs on SwiftShader, Chromium's software renderer.
        "--use-angle=swiftshader", "--enable-unsafe-swiftshader", "about:blank"};
    // Chromium refuses to run its sandbox as root.
    if (geteuid() == 0) args.insert(args.begin() + 1, "--no-sandbox");
    pid_ = fork();
    if (pid_ < 0) {
        error = std::string("cannot start the browser (") + strerror(errno) + ")";
        return false;
    }
    if (pid_ == 0) {
        dup2(toChild[0], 3);
        dup2(fromChild[1], 4);
        for (int fd : {toChild[0], toChild[1], fromChild[0], fromChild[1]}) {
            if (fd > 4) close(fd);
        }
        const int quiet = open("/dev/null", O_RDWR);
        dup2(quiet, 0);
        dup2(quiet, 1);
        dup2(quiet, 2);
        std::vector<char*> argv;
        for (std::string& arg : args) argv.push_back(arg.data());
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    close(toChild[0]);
    close(fromChild[1]);
    toBrowser_ = toChild[1];
    fromBrowser_ = fromChild[0];
    fcntl(toBrowser_, F_SETFD, FD_CLOEXEC);
    fcntl(fromBrowser_, F_SETFD, FD_CLOEXEC);

    nlohmann::json result;
    if (!Call("Target.createTarget", {{"url", "about:blank"}}, false, result, error)) return false;
    const std::string target = result.value("targetId", "");
    if (!Call("Target.attachToTarget", {{"targetId", target}, {"flatten", true}}, false, result, error)) return false;
    session_ = result.value("sessionId", "");
    return true;
}

bool HeadlessBrowser::ReadMessage(nlohmann::json& message, int timeoutMs, std::string& error) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const size_t end = pending_.find('\0');
        if (end != std::string::npos) {
            message = nlohmann::json::parse(pending_.begin(), pending_.begin() + end, nullptr, false);
            pending_.erase(0, end + 1);
            if (!message.is_discarded()) return true;
            continue;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline -
                                                                                  std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            error = "the browser did not answer in time";
            return false;
        }
        pollfd ready = {fromBrowser_, POLLIN, 0};
        const int polled = poll(&ready, 1, int(left.count()));
        if (polled < 0 && errno == EINTR) continue;
        if (polled <= 0) continue;
        char chunk[65536];
        const ssize_t n = read(fromBrowser_, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            error = "the browser ended unexpectedly";
            return false;
        }
        pending_.append(chunk, size_t(n));
    }
}

bool HeadlessBrowser::Call(const std::string& method, const nlohmann::json& params, bool inTab,
                           nlohmann::json& result, std::string& error) {
    if (toBrowser_ < 0) {
        error = "the browser is not running";
        return false;
    }
    const int id = nextId_++;
    nlohmann::json request = {{"id", id}, {"method", method}, {"params", params}};
    if (inTab) request["sessionId"] = session_;
    if (!WriteAll(toBrowser_, request.dump() + std::string(1, '\0'))) {
        error = "the browser ended unexpectedly";
        return false;
    }
    nlohmann::json message;
    while (ReadMessage(message, kCallTimeoutMs, error)) {
        if (!message.contains("id") || message["id"] != id) continue;  // events, answers to others
        if (message.contains("error")) {
            error = method + ": " + message["error"].value("message", "failed");
            return false;
        }
        result = message.value("result", nlohmann::json::object());
        return true;
    }
    return false;
}

bool HeadlessBrowser::Picture(const std::string& url, int width, int height, std::vector<unsigned char>& png,
                              std::string& error) {
    nlohmann::json result;
    if (!Call("Emulation.setDeviceMetricsOverride",
              {{"width", width}, {"height", height}, {"deviceScaleFactor", 1}, {"mobile", false}}, true, result,
              error)) {
        return false;
    }
    // Each picture's address is marked, so the wait below cannot see the
    // previous page's flag.
    const std::string mark = "?picture=" + std::to_string(++pictures_);
    const size_t hash = url.find('#');
    const std::string marked = hash == std::string::npos ? url + mark : url.substr(0, hash) + mark + url.substr(hash);
    if (!Call("Page.navigate", {{"url", marked}}, true, result, error)) return false;
    if (result.contains("errorText")) {
        error = "the browser cannot open the page (" + result["errorText"].get<std::string>() + ")";
        return false;
    }
    const std::string probe = "location.search === '" + mark + "' && window.qevDrawn || ''";
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kDrawTimeoutMs);
    std::string drawn;
    while (drawn.empty()) {
        if (std::chrono::steady_clock::now() > deadline) {
            error = "the page did not draw the model in time";
            return false;
        }
        std::string ignored;  // while the page loads its context may go away under the call
        if (Call("Runtime.evaluate", {{"expression", probe}, {"returnByValue", true}}, true, result, ignored)) {
            const nlohmann::json& value = result["result"]["value"];
            if (value.is_string()) drawn = value.get<std::string>();
        } else if (ignored.find("browser") != std::string::npos) {
            error = ignored;
            return false;
        }
        if (drawn.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    if (drawn != "ok") {
        error = drawn;
        return false;
    }
    if (!Call("Page.captureScreenshot", {{"format", "png"}}, true, result, error)) return false;
    png.clear();
    if (!result.contains("data") || !DecodeBase64(result["data"].get<std::string>(), 0, png) || png.empty()) {
        error = "the browser gave no picture";
        return false;
    }
    return true;
}

void HeadlessBrowser::Stop() {
    if (pid_ > 0) {
        nlohmann::json ignored;
        std::string error;
        if (toBrowser_ >= 0) WriteAll(toBrowser_, nlohmann::json{{"id", nextId_++}, {"method", "Browser.close"}}
                                                           .dump() + std::string(1, '\0'));
        // Give it a moment to close cleanly, then make sure it is gone.
        bool exited = false;
        for (int i = 0; i < 100 && !exited; ++i) {
            exited = waitpid(pid_, nullptr, WNOHANG) == pid_;
            if (!exited) std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        if (!exited) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        pid_ = -1;
    }
    if (toBrowser_ >= 0) close(toBrowser_);
    if (fromBrowser_ >= 0) close(fromBrowser_);
    toBrowser_ = fromBrowser_ = -1;
    if (!profileDir_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(profileDir_, ignored);
        profileDir_.clear();
    }
}
