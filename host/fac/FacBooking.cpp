#include "host/fac/FacBooking.h"

#include <mutex>

namespace {
std::mutex g_mutex;
kel::fac::BookingHandler g_handler;
}  // namespace

void kel::fac::SetBookingHandler(BookingHandler handler) {
    std::lock_guard lock(g_mutex);
    g_handler = std::move(handler);
}

void Call_Fac_Booking(const char* documentNumber, char documentType) {
    kel::fac::BookingHandler handler;
    {
        std::lock_guard lock(g_mutex);
        handler = g_handler;
    }
    if (handler) handler(documentNumber ? documentNumber : "", documentType);
}
