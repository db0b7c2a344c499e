// The few socket calls the channels make, the same on Linux and Windows: errors come
// back as errno values (EWOULDBLOCK, EINPROGRESS, ECONNRESET, ...) on both.
#pragma once

#include <cstddef>
#include <string>

namespace kel::net::sock {

// A non-blocking, close-on-exec stream socket of the family, or -1 (LastError says why).
int OpenStream(int family);
void Close(int fd);
// The error of the last failed socket call on this thread, as an errno value.
int LastError();
// What an error means, for a person: an errno value, or on Windows also a Winsock
// code as SO_ERROR gives it (named by the system's message table).
std::string ErrorText(int error);

// Never block and never raise a signal; -1 with LastError on failure.
long Send(int fd, const void* data, std::size_t length);
long Recv(int fd, void* data, std::size_t length);
// True when the peer has closed or reset an idle connection: a reader would get
// the end of the stream or an error at once. Reads nothing.
bool PeerClosed(int fd);
// Sends `first` and then `second` as one call (a gather write where the system has
// one); returns the bytes taken from both together, as Send does.
long SendPair(int fd, const void* first, std::size_t firstLength, const void* second, std::size_t secondLength);

enum Wait : short { kReadable = 1, kWritable = 2 };
// Waits up to `ms` (-1: no limit) for the socket to be ready for `what`; 1 ready
// (errors and hang-ups count as ready), 0 timed out, -1 failed, -2 not a socket.
int Poll(int fd, Wait what, int ms);

}  // namespace kel::net::sock
