// kelmor: the host program. Loads libKelmor.so as the host client loads it and
// opens screens through its entry point; without a desktop front end it prints
// what each screen shows.
#include <dlfcn.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>
#include <string>

#include "host/shell/ConsoleDriver.h"
#include "host/win/UiDriver.h"

namespace {

std::string LibraryPath(const char* argv0) {
    std::string self = argv0;
    auto slash = self.rfind('/');
    return (slash == std::string::npos ? std::string(".") : self.substr(0, slash)) + "/libKelmor.so";
}

const int kScreens[] = {0, 1, 4, 5, 9, 11, 12, 13, 14, 25001, 25005, 25010, 25013};

}  // namespace

int main(int argc, char** argv) {
    int only = -1;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--screen") == 0 && i + 1 < argc) {
            only = std::atoi(argv[++i]);
        } else {
            std::cerr << "usage: kelmor [--screen N]\n";
            return 2;
        }
    }
    win::InstallDriver(std::make_shared<kel::shell::ConsoleDriver>(std::cout));
    void* library = dlopen(LibraryPath(argv[0]).c_str(), RTLD_NOW);
    if (!library) {
        std::cerr << "cannot load the module: " << dlerror() << "\n";
        return 1;
    }
    auto call = reinterpret_cast<int (*)(int, int)>(dlsym(library, "Call_Kelmor_Dialog"));
    if (!call) {
        std::cerr << "the module has no entry point Call_Kelmor_Dialog\n";
        return 1;
    }
    int result = 0;
    for (int number : kScreens) {
        if (only >= 0 && number != only) continue;
        std::cout << "screen " << number << ":\n";
        result = call(number, 0);
        std::cout << "  -> " << result << "\n";
    }
    if (only >= 0 && std::find(std::begin(kScreens), std::end(kScreens), only) == std::end(kScreens)) {
        result = call(only, 0);
        std::cout << "screen " << only << " -> " << result << "\n";
    }
    return 0;
}
