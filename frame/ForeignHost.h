// A host that only calls the two exports (Windows) has installed neither a window
// driver nor a channel to the application server. Before the first screen opens,
// the module then installs the native window driver and connects by itself: the
// server's address and the code-list database from Kelmor.ini beside the DLL, the
// user and password asked in the log-on dialog (once per process, again only for a
// screen opened after a cancelled log-on). With CA= or Fingerprint= the connection
// is TLS (the system's own) and nothing goes out to a server whose certificate does
// not verify: CA= a PEM file (beside the ini when not a full path) that the server's
// chain must lead to, its host name checked too; Fingerprint= the SHA-256 of the
// server's certificate (as `kelmor-server --print-fingerprint` shows it), pinned.
//
//   [Server]
//   Address=127.0.0.1:7420
//   Fingerprint=3F:A0:...:9C
//   [Database]
//   Connection=DRIVER={SQLite3};DATABASE=C:\kelmor\codes.db
#pragma once

#include <string>

namespace kel {

// Called on the host's user-interface thread before a screen opens: true when the
// module has its channel to the application server. The first call asks for the
// log-on; later ones ask again only when `askAgain` (a screen the person opens, not
// the count a host may poll) and no log-on has succeeded yet.
bool EnsureForeignHostReady(bool askAgain);
// Only the window driver (before a popup shows).
void EnsureForeignHostDriver();

// The host's ANSI text (its code page) as the module's UTF-8.
std::string FromHostText(const char* text);

}  // namespace kel
