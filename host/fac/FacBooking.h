// The host's facultative booking: opened for a document number and its type letter.
#pragma once

#include <functional>
#include <string>

// Opens the facultative booking of the document. The host decides what that shows.
void Call_Fac_Booking(const char* documentNumber, char documentType);

namespace kel::fac {
// The host installs what a booking does (the shell shows the document; tests record).
using BookingHandler = std::function<void(const std::string& documentNumber, char documentType)>;
void SetBookingHandler(BookingHandler handler);
}  // namespace kel::fac
