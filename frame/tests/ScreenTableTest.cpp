// The screen table against the screens folder: a screen class that is built must
// be reachable from its number.
#include <cxxabi.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <typeinfo>

#include "frame/ScreenTable.h"
#include "host/qxcommon/BaseBase.h"

namespace {

std::string ClassNameOf(const CBASEBASE& screen) {
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> name(abi::__cxa_demangle(typeid(screen).name(), nullptr, nullptr, &status),
                                                std::free);
    return status == 0 && name ? name.get() : typeid(screen).name();
}

// A class CS0000S2 is built when its unit screens/S0000S2.h exists.
bool IsBuilt(const char* className) {
    const std::string unit = std::string(className).substr(1);
    return std::filesystem::exists(std::filesystem::path(KELMOR_SOURCE_DIR) / "screens" / (unit + ".h"));
}

TEST(ScreenTable, EveryBuiltScreenClassIsReachableFromItsNumber) {
    int built = 0;
    for (const kel::ScreenEntry& entry : kel::ScreenTable()) {
        if (entry.result != kel::ScreenResult::ModalResult) continue;
        EXPECT_TRUE(IsBuilt(entry.className)) << entry.number << " names " << entry.className << ", which has no unit";
        ++built;
        ASSERT_NE(entry.make, nullptr) << entry.className << ": screen " << entry.number << " has no factory";
        EXPECT_EQ(ClassNameOf(*kel::CreateScreen(entry)), entry.className) << entry.number;
    }
    EXPECT_GE(built, 5);  // the folder was found
}

}  // namespace
