// Answer status bytes of the application server, and the fault that a handler
// raises to end a request with one of them.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace kel::server {

enum Status : int8_t {
    kOk = 0,
    kRefused = 1,         // a rule of the server: key exists / is missing, in use, not allowed
    kBadRequest = 2,      // the request does not make sense: sizes, counts, texts, values
    kServerFailure = 3,   // the database failed; nothing was written
    kUnknownCode = 4,     // no handler for the transaction code
    kAnswerTooLarge = 5,  // the answer would not fit one frame or a 16-bit count
};

// Thrown inside a request; the dispatcher rolls back and answers `status`.
class Fault : public std::runtime_error {
public:
    Fault(Status status, const std::string& why) : std::runtime_error(why), status_(status) {}
    Status status() const { return status_; }

private:
    Status status_;
};

[[noreturn]] inline void Refuse(const std::string& why) { throw Fault(kRefused, why); }
[[noreturn]] inline void BadRequest(const std::string& why) { throw Fault(kBadRequest, why); }

}  // namespace kel::server
