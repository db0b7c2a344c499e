// The house rules of docs/ARCHITECTURE.md, checked on every include of every
// shipped source file: a folder includes only its own layer and the layers below
// it, the module and the server never include Qt, the server includes nothing of
// the window layer or the screens, screens never reach a channel.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// A layer and the path prefixes (relative to the repository root) that belong to it.
struct Layer {
    const char* name;
    std::vector<std::string> paths;
    std::set<std::string> mayInclude;  // other layers; a layer may always include itself
    bool qtAllowed = false;
};

// Bottom to top. common/ is what the module and the server share; above the
// module stand the Qt front end and the program.
const std::vector<Layer>& Layers() {
    static const std::vector<Layer> layers = {
        {"text", {"common/text/"}, {}},
        // The process's own files: a library opened beside the calling one.
        {"sys", {"common/sys/"}, {}},
        {"records", {"common/records/"}, {"text"}},
        {"net", {"common/net/"}, {"text", "records", "sys"}},
        {"db", {"common/db/"}, {"text"}},
        {"win", {"host/win/"}, {"text"}},
        // The test harness of the window layer: nothing shipped includes it.
        {"wintesting", {"host/win/testing/"}, {"text", "win"}},
        {"qxctlset", {"host/qxctlset/"}, {"text", "win"}},
        {"fac", {"host/fac/"}, {"text", "win"}},
        {"qxcommon", {"host/qxcommon/"}, {"text", "records", "net", "db", "win", "qxctlset"}},
        // The module, bottom to top: the numeric edit and the popup, the packet
        // framework with its managers, the screens, the frame with the entry points.
        {"numedit", {"INCLUDE/"}, {"text", "win"}},
        {"popup", {"popup/"}, {"text", "win"}},
        {"managers", {"data/"}, {"text", "records", "net", "win", "qxcommon"}},
        {"screens",
         {"screens/"},
         {"text", "records", "db", "win", "qxctlset", "fac", "qxcommon", "numedit", "managers"}},
        // On Windows the frame also starts what a foreign host did not: the native
        // driver and a channel of its own (with the code-list database).
        {"frame",
         {"frame/"},
         {"text", "records", "net", "db", "win", "qxctlset", "fac", "qxcommon", "numedit", "popup", "managers",
          "screens", "win32"}},
        {"server", {"server/"}, {"text", "records", "net", "db"}},
        // Above the module: the Qt driver renders its controls, the program links all.
        {"qt", {"qt/"}, {"text", "sys", "win", "qxctlset", "numedit", "popup"}, true},
        // The native Windows driver, the same way with the system's controls.
        {"win32", {"win32/"}, {"text", "win", "qxctlset"}},
        // The play language beside the drivers: a person's actions on the window
        // layer's models, no Qt, so that the native player builds on it too.
        {"play", {"play/"}, {"text", "win", "qxctlset", "fac"}},
        // The native scripted user plays that language on the driver's windows.
        {"win32play", {"win32/play/"}, {"text", "win", "qxctlset", "fac", "win32", "play"}},
        // The benchmarks measure the server, the screens' grid fill and, against a
        // Qt dialog of their own, the opening of a screen.
        {"bench", {"bench/"}, {"text", "records", "net", "db", "qxctlset", "screens", "server"}, true},
        // The fuzz targets drive the server and the packet framework as tests do.
        {"fuzz", {"fuzz/"}, {"text", "records", "net", "db", "win", "wintesting", "qxcommon", "managers", "server"}},
        {"shell",
         {"shell/"},
         {"text", "records", "net", "db", "win", "qxctlset", "fac", "qxcommon", "qt", "play", "server"},
         true},
    };
    return layers;
}

// The layer a repository path belongs to: the longest matching prefix wins, so
// that host/win/testing/ is the test harness and host/win/ the window layer.
const Layer* LayerOf(const std::string& path) {
    const Layer* best = nullptr;
    size_t bestLength = 0;
    for (const Layer& layer : Layers()) {
        for (const std::string& prefix : layer.paths) {
            bool matches = prefix.back() == '/' ? path.rfind(prefix, 0) == 0 : path == prefix;
            if (matches && prefix.size() > bestLength) {
                best = &layer;
                bestLength = prefix.size();
            }
        }
    }
    return best;
}

bool IsTestPath(const std::string& path) {
    return path.find("/tests/") != std::string::npos || path.rfind("tests/", 0) == 0;
}

struct Include {
    std::string target;
    bool angled;
    int line;
};

std::vector<Include> IncludesOf(const fs::path& file) {
    static const std::regex pattern(R"(^\s*#\s*include\s*([<"])([^>"]+)[>"])");
    std::vector<Include> includes;
    std::ifstream in(file);
    std::string text;
    int line = 0;
    while (std::getline(in, text)) {
        ++line;
        std::smatch m;
        if (std::regex_search(text, m, pattern)) includes.push_back({m[2].str(), m[1].str() == "<", line});
    }
    return includes;
}

bool IsQtHeader(const std::string& header) {
    return (header.size() > 1 && header[0] == 'Q' && std::isupper(static_cast<unsigned char>(header[1]))) ||
           header.rfind("Qt", 0) == 0 || header.rfind("qt", 0) == 0;
}

// Every violation in the shipped sources of the tree at `root`.
std::vector<std::string> Violations(const fs::path& root) {
    std::vector<std::string> found;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (!entry.is_regular_file()) continue;
        std::string ext = entry.path().extension().string();
        if (ext != ".cpp" && ext != ".h") continue;
        std::string path = fs::relative(entry.path(), root).generic_string();
        if (path.rfind("build", 0) == 0 || IsTestPath(path)) continue;
        const Layer* from = LayerOf(path);
        if (!from) {
            found.push_back(path + ": in no layer (add its folder to the layer table)");
            continue;
        }
        for (const Include& inc : IncludesOf(entry.path())) {
            std::string where = path + ":" + std::to_string(inc.line) + ": ";
            if (inc.angled) {
                if (IsQtHeader(inc.target) && !from->qtAllowed)
                    found.push_back(where + from->name + " includes Qt <" + inc.target + ">");
                continue;
            }
            const Layer* to = LayerOf(inc.target);
            if (!to) continue;  // generated or local headers
            if (to == from || from->mayInclude.count(to->name)) continue;
            found.push_back(where + from->name + " may not include " + to->name + " (\"" + inc.target + "\")");
        }
    }
    std::sort(found.begin(), found.end());
    return found;
}

TEST(LayerRules, EveryIncludeOfTheShippedSourcesKeepsTheLayers) {
    std::vector<std::string> found = Violations(KELMOR_SOURCE_DIR);
    std::string all;
    for (const std::string& v : found) all += v + "\n";
    EXPECT_TRUE(found.empty()) << all;
}

// The layer table of docs/ARCHITECTURE.md, row by row: name, folder, what it may
// include ("Qt" among them where Qt is allowed, "—" for nothing).
std::map<std::string, Layer> PageLayers(const fs::path& page) {
    std::map<std::string, Layer> rows;
    std::ifstream in(page);
    std::string text;
    bool inSection = false;
    auto trim = [](std::string s) {
        s.erase(0, s.find_first_not_of(' '));
        s.erase(s.find_last_not_of(' ') + 1);
        return s;
    };
    while (std::getline(in, text)) {
        if (text.rfind("## ", 0) == 0) inSection = text == "## The layers";
        if (!inSection || text.rfind("| ", 0) != 0) continue;
        std::vector<std::string> cells;
        std::stringstream row(text.substr(1));
        for (std::string cell; std::getline(row, cell, '|');) cells.push_back(trim(cell));
        if (cells.size() < 3 || cells[0] == "layer") continue;
        Layer layer{nullptr, {}, {}};
        std::string folder = cells[1];
        folder.erase(std::remove(folder.begin(), folder.end(), '`'), folder.end());
        layer.paths = {folder};
        std::stringstream may(cells[2]);
        for (std::string name; std::getline(may, name, ',');) {
            name = trim(name);
            if (name == "Qt")
                layer.qtAllowed = true;
            else if (name != "\xE2\x80\x94")  // an em dash: nothing
                layer.mayInclude.insert(name);
        }
        rows[cells[0]] = layer;
    }
    return rows;
}

std::string Joined(const std::set<std::string>& names) {
    std::string all;
    for (const std::string& n : names) all += (all.empty() ? "" : ", ") + n;
    return all;
}

TEST(LayerRules, TheArchitecturePageShowsTheLayersTheCheckHolds) {
    std::map<std::string, Layer> page = PageLayers(fs::path(KELMOR_SOURCE_DIR) / "docs" / "ARCHITECTURE.md");
    ASSERT_FALSE(page.empty()) << "no layer table under \"## The layers\"";
    for (const Layer& layer : Layers()) {
        auto row = page.find(layer.name);
        if (row == page.end()) {
            ADD_FAILURE() << "the page has no row for the layer " << layer.name;
            continue;
        }
        EXPECT_EQ(row->second.paths, layer.paths) << layer.name;
        EXPECT_EQ(Joined(row->second.mayInclude), Joined(layer.mayInclude)) << layer.name;
        EXPECT_EQ(row->second.qtAllowed, layer.qtAllowed) << layer.name << ": Qt";
        page.erase(row);
    }
    for (const auto& [name, row] : page) ADD_FAILURE() << "the page's layer " << name << " is not checked";
}

// The check itself: a tree with one file per kind of violation.
TEST(LayerRules, TheCheckFindsAnUpwardIncludeQtBelowTheProgramAndAFolderWithoutLayer) {
    fs::path root = fs::temp_directory_path() / ("kelmor-layers-" + std::to_string(::getpid()));
    fs::remove_all(root);
    auto write = [&](const std::string& path, const std::string& text) {
        fs::create_directories((root / path).parent_path());
        std::ofstream(root / path) << text;
    };
    write("server/Handler.cpp", "#include \"host/win/Dialog.h\"\n#include \"common/records/ContRecords.h\"\n");
    write("screens/S1.cpp", "#include <QWidget>\n#include \"common/net/Channel.h\"\n#include \"data/BaseMgr.h\"\n");
    write("data/Mgr.cpp", "#include \"screens/S1.h\"\n");
    write("stray/File.cpp", "\n");
    write("server/tests/AnyTest.cpp", "#include \"host/win/Dialog.h\"\n");
    write("shell/Main.cpp", "#include \"host/win/testing/HeadlessDriver.h\"\n");
    write("play/Course.cpp", "#include <QWidget>\n#include \"shell/Session.h\"\n");
    std::vector<std::string> found = Violations(root);
    fs::remove_all(root);
    std::vector<std::string> expected = {
        "data/Mgr.cpp:1: managers may not include screens (\"screens/S1.h\")",
        "play/Course.cpp:1: play includes Qt <QWidget>",
        "play/Course.cpp:2: play may not include shell (\"shell/Session.h\")",
        "screens/S1.cpp:1: screens includes Qt <QWidget>",
        "screens/S1.cpp:2: screens may not include net (\"common/net/Channel.h\")",
        "server/Handler.cpp:1: server may not include win (\"host/win/Dialog.h\")",
        "shell/Main.cpp:1: shell may not include wintesting (\"host/win/testing/HeadlessDriver.h\")",
        "stray/File.cpp: in no layer (add its folder to the layer table)",
    };
    EXPECT_EQ(found, expected);
}

}  // namespace
