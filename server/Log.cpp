#include "server/Log.h"

#include <atomic>
#include <cstdio>
#include <ctime>
#include <mutex>

namespace kel::server {

namespace {

std::atomic<LogLevel> g_level{LogLevel::Info};
std::mutex g_mutex;
std::function<void(std::string_view)> g_sink;

}  // namespace

std::string_view LogLevelWord(LogLevel level) {
    switch (level) {
        case LogLevel::Error: return "ERROR";
        case LogLevel::Warning: return "WARN ";
        case LogLevel::Info: return "INFO ";
        case LogLevel::Debug: return "DEBUG";
    }
    return "?????";
}

std::optional<LogLevel> ParseLogLevel(std::string_view word) {
    if (word == "error") return LogLevel::Error;
    if (word == "warning") return LogLevel::Warning;
    if (word == "info") return LogLevel::Info;
    if (word == "debug") return LogLevel::Debug;
    return std::nullopt;
}

std::string FormatLogLine(std::chrono::system_clock::time_point when, LogLevel level, std::string_view text) {
    using namespace std::chrono;
    const std::time_t seconds = system_clock::to_time_t(when);
    const auto millis = duration_cast<milliseconds>(when.time_since_epoch()).count() % 1000;
    std::tm local{};
    localtime_r(&seconds, &local);
    char stamp[64];
    const std::size_t n = std::strftime(stamp, sizeof stamp, "%Y-%m-%dT%H:%M:%S", &local);
    char zone[16];
    std::strftime(zone, sizeof zone, "%z", &local);
    std::snprintf(stamp + n, sizeof stamp - n, ".%03d%s", static_cast<int>(millis < 0 ? millis + 1000 : millis), zone);
    std::string line;
    line.reserve(40 + text.size());
    line.append(stamp).append(" ").append(LogLevelWord(level)).append(" ");
    // One event, one line: a line break inside the text would let a client forge
    // lines, an escape sequence would play with the administrator's terminal.
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        line.push_back(c == '\n' || c == '\r' ? ' ' : (u < 0x20 || u == 0x7f) ? '?' : c);
    }
    return line;
}

std::string RequestLogText(int code, Status status, std::string_view why) {
    return "request " + std::to_string(code) + (status == kServerFailure ? " failed" : " refused") + ": status " +
           std::to_string(static_cast<int>(status)) + ": " + std::string(why);
}

LogLevel RequestLogLevel(Status status) {
    if (status == kRefused) return LogLevel::Info;
    return status == kServerFailure ? LogLevel::Error : LogLevel::Warning;
}

void SetLogLevel(LogLevel level) { g_level = level; }

LogLevel GetLogLevel() { return g_level; }

bool LogEnabled(LogLevel level) { return static_cast<int>(level) <= static_cast<int>(g_level.load()); }

void Log(LogLevel level, std::string_view text) {
    if (!LogEnabled(level)) return;
    const std::string line = FormatLogLine(std::chrono::system_clock::now(), level, text);
    std::lock_guard lock(g_mutex);
    if (g_sink) {
        g_sink(line);
        return;
    }
    std::fprintf(stderr, "%s\n", line.c_str());
    std::fflush(stderr);
}

void SetLogSink(std::function<void(std::string_view)> sink) {
    std::lock_guard lock(g_mutex);
    g_sink = std::move(sink);
}

}  // namespace kel::server
