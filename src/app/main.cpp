// Ferrule's desktop application: create the main window, load it, and run the message loop.
#include "ui/frmMain.h"
#include "ui/mdlApplication.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    SetUpApplication(app);
    frmMain window;
    QObject::connect(&window, &frmMain::Unloaded, &app, &QCoreApplication::quit, Qt::QueuedConnection);
    window.Form_Load();
    return app.exec();
}
