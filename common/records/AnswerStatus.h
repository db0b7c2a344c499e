// The status byte of an answer head (_PacketHead::cStatus): what the application
// server says became of a request. Shared with the server: standard headers only.
#pragma once

#include <cstdint>

namespace kel::records {

enum AnswerStatus : int8_t {
    kStatusOk = 0,
    kStatusRefused = 1,        // a rule: the key exists, is missing, is in use, or is not allowed
    kStatusBadRequest = 2,     // sizes, counts, texts or values the server cannot take
    kStatusServerFailure = 3,  // the database failed; nothing was written
    kStatusUnknownCode = 4,    // the server has no handler for the transaction code
    kStatusTooLarge = 5,       // the answer would not fit one frame or a 16-bit count
};

}  // namespace kel::records
