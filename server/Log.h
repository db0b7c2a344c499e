// The program's log: one line per event on stderr, which is the journal when
// kelmor-server runs under systemd. A line is the local time, the level and the
// text: "2026-12-07T13:12:04.123+0100 INFO  127.0.0.1:51234 connection opened".
// The format is kept stable so that administrators can filter it.
#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "server/Status.h"

namespace kel::server {

// In order of importance: a level lets through itself and everything above it.
enum class LogLevel { Error, Warning, Info, Debug };

// The word a line carries, padded to five characters.
std::string_view LogLevelWord(LogLevel level);
// "error", "warning", "info" or "debug"; nullopt for anything else.
std::optional<LogLevel> ParseLogLevel(std::string_view word);

std::string FormatLogLine(std::chrono::system_clock::time_point when, LogLevel level, std::string_view text);

// The least important level written (Info at start).
void SetLogLevel(LogLevel level);
LogLevel GetLogLevel();
bool LogEnabled(LogLevel level);

// Writes one line when the level is enabled; thread-safe, lines never interleave.
void Log(LogLevel level, std::string_view text);

// The line of a request the server did not carry out, and its level: a request
// refused by a rule (a key that exists) is everyday business, a malformed one hints
// at a faulty client, a database failure is the administrator's.
std::string RequestLogText(int code, Status status, std::string_view why);
LogLevel RequestLogLevel(Status status);

// Where the lines go instead of stderr (each without its newline); nullptr: stderr.
void SetLogSink(std::function<void(std::string_view line)> sink);

}  // namespace kel::server
