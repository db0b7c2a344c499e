// The fixed table from screen number to the search screen it opens.
#pragma once

#include <memory>
#include <span>

class CBASEBASE;

namespace kel {

enum class ScreenResult { ModalResult, UserInfoCount };

struct ScreenEntry {
    int number;
    const char* className;
    const char* caption;
    ScreenResult result;
};

std::span<const ScreenEntry> ScreenTable();
const ScreenEntry* FindScreen(int number);

// Builds a fresh screen object for the entry (no parent window). A screen class not
// built yet opens as an empty dialog bearing the table's caption.
std::unique_ptr<CBASEBASE> CreateScreen(const ScreenEntry& entry);

// Screen 13: the number of detail information items of the logged-in user, 0 on
// any failure.
int CountUserInfo();

}  // namespace kel
