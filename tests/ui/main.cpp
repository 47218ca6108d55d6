// Runs the widget test classes on the offscreen platform: the one named first on the command line, or all.
#include "UiTest.h"
#include "ui/mdlApplication.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    SetUpApplication(app);
    QApplication::setQuitOnLastWindowClosed(false);
    const char* only = argc > 1 && argv[1][0] != '-' ? argv[1] : nullptr;
    std::vector<char*> args{argv[0]};
    args.insert(args.end(), argv + (only != nullptr ? 2 : 1), argv + argc);
    int failed = 0;
    int ran = 0;
    for (const auto& [name, factory] : UiTest::Registry()) {
        if (only == nullptr || name == only) {
            failed += QTest::qExec(factory().get(), static_cast<int>(args.size()), args.data());
            ++ran;
        }
    }
    return failed == 0 && ran > 0 ? 0 : 1;
}
