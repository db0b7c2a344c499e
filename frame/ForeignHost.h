// A host that only calls the two exports (Windows) has installed neither a window
// driver nor a channel to the application server. Before the first screen opens,
// the module then installs the native window driver and connects by itself: the
// server's address and the code-list database from Kelmor.ini beside the DLL, the
// user and password asked once per process in the log-on dialog.
//
//   [Server]
//   Address=127.0.0.1:7420
//   [Database]
//   Connection=DRIVER={SQLite3};DATABASE=C:\kelmor\codes.db
#pragma once

#include <string>

namespace kel {

// Called on the host's user-interface thread before a screen opens.
void EnsureForeignHostReady();
// Only the window driver (before a popup shows).
void EnsureForeignHostDriver();

// The host's ANSI text (its code page) as the module's UTF-8.
std::string FromHostText(const char* text);

}  // namespace kel
