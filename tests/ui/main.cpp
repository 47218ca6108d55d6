// Runs the widget test classes on the offscreen platform: all of them, or the one named first.
#include "UiTest.h"

#include <QApplication>
#include <QTest>

#include <cstring>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);

    const char* only = argc > 1 && argv[1][0] != '-' ? argv[1] : nullptr;
    std::vector<char*> args{argv[0]};
    for (int i = only != nullptr ? 2 : 1; i < argc; ++i) {
        args.push_back(argv[i]);
    }

    int failed = 0;
    int ran = 0;
    for (const auto& [name, factory] : UiTest::Registry()) {
        if (only != nullptr && name != only) {
            continue;
        }
        std::unique_ptr<QObject> test = factory();
        failed += QTest::qExec(test.get(), static_cast<int>(args.size()), args.data());
        ++ran;
    }
    if (ran == 0) {
        std::fprintf(stderr, "no test class named %s\n", only != nullptr ? only : "(any)");
        return 1;
    }
    return failed == 0 ? 0 : 1;
}
