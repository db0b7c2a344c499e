// screens/README.md maps business names to files: every screen class in screens/
// has its row there, and every class the map names still exists.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>

namespace fs = std::filesystem;

namespace {

std::string ReadAll(const fs::path& file) {
    std::ifstream in(file);
    std::ostringstream all;
    all << in.rdbuf();
    return all.str();
}

std::set<std::string> Matches(const std::string& text, const std::regex& pattern) {
    std::set<std::string> found;
    for (std::sregex_iterator it(text.begin(), text.end(), pattern), end; it != end; ++it) found.insert((*it)[1]);
    return found;
}

TEST(ScreenMap, EveryScreenClassHasItsRowAndEveryRowItsClass) {
    const fs::path screens = fs::path(KELMOR_SOURCE_DIR) / "screens";
    std::set<std::string> declared;
    for (const auto& entry : fs::directory_iterator(screens)) {
        if (entry.path().extension() != ".h") continue;
        for (const std::string& c : Matches(ReadAll(entry.path()), std::regex(R"(\nclass (CS0000\w+)\b)")))
            declared.insert(c);
    }
    ASSERT_FALSE(declared.empty());
    const std::set<std::string> mapped = Matches(ReadAll(screens / "README.md"), std::regex(R"(\| `(CS0000\w+)` \|)"));
    for (const std::string& c : declared) EXPECT_TRUE(mapped.count(c)) << c << " has no row in screens/README.md";
    for (const std::string& c : mapped)
        EXPECT_TRUE(declared.count(c)) << "screens/README.md names " << c << ", which no header declares";
}

}  // namespace
