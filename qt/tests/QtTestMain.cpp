// Runs one Qt Test suite by name (or every suite), on the offscreen platform unless
// another is asked for.
#include <QApplication>
#include <QTest>

#include <cstring>
#include <functional>
#include <memory>
#include <vector>

#include "qt/tests/Suites.h"

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const std::vector<std::pair<const char*, std::function<std::unique_ptr<QObject>()>>> suites = {
        {"ControlsTest", qttest::MakeControlsTest}, {"GridViewTest", qttest::MakeGridViewTest},
        {"ModalTest", qttest::MakeModalTest},       {"PopupTest", qttest::MakePopupTest},
        {"FitTest", qttest::MakeFitTest},           {"PrintTest", qttest::MakePrintTest},
    };
    const char* only = argc > 1 && argv[1][0] != '-' ? argv[1] : nullptr;
    QStringList args{QString::fromLocal8Bit(argv[0])};
    for (int i = only ? 2 : 1; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
    int failed = 0;
    bool ran = false;
    for (const auto& [name, make] : suites) {
        if (only && std::strcmp(only, name) != 0) continue;
        ran = true;
        auto suite = make();
        failed += QTest::qExec(suite.get(), args);
    }
    return ran ? failed : 2;
}
