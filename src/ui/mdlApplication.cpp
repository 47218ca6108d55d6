#include "ui/mdlApplication.h"

#include "FerruleVersion.h"
#include "ui/clsPlainStyle.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

void SetUpApplication(QApplication& app) {
    // The interface is Japanese whatever the system's language, and so are the texts Qt draws itself
    // ("キャンセル" on standard buttons, the edit menus of text fields). Without the translations
    // installed they stay English, which is all that is lost.
    // Qt's own folder where Qt is installed; translations/ beside the executable where Qt ships with it.
    auto* translator = new QTranslator(&app);
    if (translator->load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
        translator->load(QStringLiteral("qtbase_ja"),
                         QApplication::applicationDirPath() + QStringLiteral("/translations"))) {
        QApplication::installTranslator(translator);
    } else {
        delete translator;
    }
    QApplication::setStyle(new clsPlainStyle);
    // The desktop entry's name: lets the desktop match the windows to its menu entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(FERRULE_APP_ID));
}
