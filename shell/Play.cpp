#include "shell/Play.h"

#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <sstream>

#include "play/PlayDriver.h"
#include "play/PlayScript.h"
#include "shell/Module.h"
#include "shell/Session.h"

namespace kel::shell {
namespace {

bool ReadScript(const std::string& path, std::string& text) {
    if (path == "-") {
        text.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
        return true;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream all;
    all << in.rdbuf();
    text = all.str();
    return !in.bad();
}

}  // namespace

int RunPlay(const Options& options, std::ostream& out, std::ostream& err) {
    std::string text;
    if (!ReadScript(options.play, text)) {
        err << "kelmor: cannot read the script " << options.play << "\n";
        return 2;
    }
    std::optional<play::ScriptError> bad;
    std::vector<play::PlayLine> lines = play::ParseScript(text, bad);
    if (bad) {  // nothing has run yet
        err << "line " << bad->line << ": " << bad->why << "\n";
        return 2;
    }

    Module module;
    Session session;
    std::string error;
    if (!LoadModule(module, error) || !session.Prepare(options, error) || !LogOnQuietly(session, options, error)) {
        err << "kelmor: " << error << "\n";
        return 1;
    }
    auto driver = std::make_shared<play::PlayDriver>(std::move(lines), out);
    win::InstallDriver(driver);
    std::optional<play::ScriptError> failed =
        driver->Run([&module](int screen) { return module.callDialog(screen, 0); });
    win::InstallDriver(nullptr);
    session.Close();
    out.flush();
    if (failed) {
        err << "line " << failed->line << ": " << failed->why << "\n";
        return 2;
    }
    return 0;
}

}  // namespace kel::shell
