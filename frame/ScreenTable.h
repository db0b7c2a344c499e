// The fixed table from screen number to the search screen it opens. Each row of a
// built screen carries the factory of its class; a row without one is a screen not
// built yet and opens as a placeholder bearing the row's caption.
#pragma once

#include <memory>
#include <span>

class CBASEBASE;

namespace kel {

enum class ScreenResult { ModalResult, UserInfoCount };

using ScreenFactory = std::unique_ptr<CBASEBASE> (*)();

struct ScreenEntry {
    int number;
    const char* className;
    const char* caption;
    ScreenResult result;
    ScreenFactory make = nullptr;  // null: not built yet
};

std::span<const ScreenEntry> ScreenTable();
const ScreenEntry* FindScreen(int number);

// Builds a fresh screen object for the entry (no parent window): the row's class,
// or the placeholder when the row has none.
std::unique_ptr<CBASEBASE> CreateScreen(const ScreenEntry& entry);

// Screen 13: the number of detail information items of the logged-in user, 0 on
// any failure.
int CountUserInfo();

}  // namespace kel
