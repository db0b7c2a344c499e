// Client sessions kept in the database while no server holds them: a server that
// stops writes what each session has read (t_session_read), and the server a client
// comes back to (the same one restarted, or another on the same database) takes it,
// so that a restart does not make the clerks read everything again before a save.
// A server that dies without stopping keeps nothing: its clients read again.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "server/SessionRegistry.h"

namespace kel::server {

class Store;

// How long a kept session waits for its client; older ones are dropped.
inline constexpr int64_t kKeptSessionSeconds = 8 * 60 * 60;
// Versions kept of one session at most (the newest are not told apart: past it the
// session counts as one that forgot, and its client reads again before a save).
inline constexpr std::size_t kMaxKeptVersions = 20000;

// Writes the sessions in one transaction; false with `error` when it could not.
bool KeepSessions(Store& store, const std::vector<SessionRegistry::Held>& sessions, std::string* error = nullptr);

// The session `token` of `user` kept in the database, taken out of it; null when
// there is none (or it cannot be read).
std::shared_ptr<ReadMemory> TakeKeptSession(Store& store, std::string_view token, const std::string& user);

}  // namespace kel::server
