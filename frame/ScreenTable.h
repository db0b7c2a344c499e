// The fixed table from screen number to the search screen it opens. Each row that
// opens a dialog carries the factory of its class.
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
    const char* caption;  // the dialog's title, as the host knows the screen
    ScreenResult result;
    ScreenFactory make = nullptr;  // null: the row opens no dialog (screen 13)
};

std::span<const ScreenEntry> ScreenTable();
const ScreenEntry* FindScreen(int number);

// Builds a fresh screen object of the row's class (no parent window); nullptr for a
// row without a factory.
std::unique_ptr<CBASEBASE> CreateScreen(const ScreenEntry& entry);

// Screen 13: the number of detail information items of the logged-in user, 0 on
// any failure.
int CountUserInfo();

}  // namespace kel
