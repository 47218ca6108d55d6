// Themes: the standard look, applying theme files with their colours and pictures, the fallbacks, the
// theme submenu and its check marks, and the theme name kept across starts.
#include "UiTest.h"

#include "config/clsThemeDefine.h"
#include "ui/clsImageControl.h"
#include "ui/clsLogPane.h"
#include "ui/frmLog.h"
#include "ui/mdlAPIGeneral.h"

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QListView>
#include <QMenu>
#include <QTest>

#include <filesystem>

using namespace UiTest;

namespace {

// A picture file of one colour.
void WritePicture(const std::string& path, QColor color, QSize size = QSize(128, 128)) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    QVERIFY(image.save(QString::fromStdString(path), "BMP"));
}

QColor PictureColor(const QPixmap& picture) {
    return picture.toImage().pixelColor(5, 5);
}

void WriteTheme(AppFixture& app, const std::string& file, const std::string& body) {
    std::filesystem::create_directories(app.ThemeFolder());
    app.Folder().Write("theme/" + file, body);
}

// Blue: every key, pictures beside the theme file.
void WriteBlueTheme(AppFixture& app, const std::string& file = "blue.ini") {
    std::filesystem::create_directories(app.ThemeFolder());
    WritePicture(app.ThemeFolder() + "/blue_idle.bmp", QColor(0, 0, 200));
    WritePicture(app.ThemeFolder() + "/blue_busy.bmp", QColor(200, 0, 0));
    WritePicture(app.ThemeFolder() + "/blue_back.bmp", QColor(0, 120, 0), QSize(400, 200));
    WriteTheme(app, file,
               "[General]\r\nTitle=Blue\r\n[DropBox]\r\nBackColor=#FF8000\r\nImage=blue_idle.bmp\r\n"
               "ImageBusy=blue_busy.bmp\r\n[LogBox]\r\nBackColor=0x00400000\r\nForeColor=16777215\r\n"
               "[Window]\r\nBackColor=0x8000000F\r\nImage=blue_back.bmp\r\n");
}

QStringList ThemeCaptions(frmMain& window) {
    QStringList captions;
    for (QAction* item : window.ThemeItems()) {
        captions << item->text() + (item->isChecked() ? QStringLiteral(" *") : QString());
    }
    return captions;
}

void ChooseTheme(frmMain& window, int index) {
    auto opened = OnNextPopup([&](QMenu* menu) {
        // The submenu opens from its item; then the theme is clicked in it.
        ClickMenuItem(menu, window.ThemeMenu()->menuAction());
        QTRY_VERIFY(window.ThemeMenu()->isVisible());
        ClickMenuItem(window.ThemeMenu(), window.ThemeItems()[static_cast<std::size_t>(index)]);
    });
    QTest::mouseClick(window.DropBox(), Qt::RightButton, Qt::NoModifier, QPoint(30, 30));
    QTRY_VERIFY(*opened);
}

QColor Role(QWidget* widget, QPalette::ColorRole role) {
    return widget->palette().color(role);
}

} // namespace

class ThemeTest : public QObject {
    Q_OBJECT

private slots:
    void withoutAThemeTheStandardLookIsShown() {
        AppFixture app;
        frmMain& window = app.Start();
        QVERIFY(window.Theme()->FileName().empty());
        QCOMPARE(ThemeCaptions(window), QStringList({QStringLiteral("標準(&D) *")}));
        const QImage builtIn(QStringLiteral(":/res/DIB_DROPBOX.bmp"));
        QVERIFY2(!builtIn.isNull(), "the built-in drop box picture is missing");
        QCOMPARE(window.DropBoxPicture().toImage(),
                 builtIn.convertToFormat(window.DropBoxPicture().toImage().format()));
        QCOMPARE(window.DropBox()->Picture().cacheKey(), window.DropBoxPicture().cacheKey());
        QVERIFY(!window.DropBoxPictureBusy().isNull());
        QVERIFY(window.WindowPicture().isNull());
        const QPalette system = QApplication::palette();
        QCOMPARE(Role(window.DropBoxHost(), QPalette::Window), system.color(QPalette::Base));
        QCOMPARE(Role(window.LogPane()->List(), QPalette::Base), system.color(QPalette::Base));
        QCOMPARE(Role(window.LogWindow()->LogPane()->List(), QPalette::Text), system.color(QPalette::Text));
        QCOMPARE(Role(&window, QPalette::Window), system.color(QPalette::Button));
    }

    void aThemeBringsItsColoursAndPictures() {
        AppFixture app;
        WriteBlueTheme(app);
        frmMain& window = app.Start();
        window.ApplyTheme("blue");
        QCOMPARE(PictureColor(window.DropBoxPicture()), QColor(0, 0, 200));
        QCOMPARE(PictureColor(window.DropBoxPictureBusy()), QColor(200, 0, 0));
        QCOMPARE(PictureColor(window.DropBox()->Picture()), QColor(0, 0, 200));
        QCOMPARE(window.WindowPicture().size(), QSize(400, 200));
        QCOMPARE(Role(window.DropBoxHost(), QPalette::Window), QColor(255, 128, 0));
        for (QListView* list : {window.LogPane()->List(), window.LogWindow()->LogPane()->List()}) {
            QCOMPARE(Role(list, QPalette::Base), QColor(0, 0, 0x40));
            QCOMPARE(Role(list, QPalette::Text), QColor(255, 255, 255));
        }
        QCOMPARE(Role(&window, QPalette::Window), QApplication::palette().color(QPalette::Button));
        QCOMPARE(Role(window.LogWindow(), QPalette::Window), QApplication::palette().color(QPalette::Button));
        // The background picture is drawn from the top-left corner, behind the controls.
        const QImage shown = window.grab().toImage();
        QCOMPARE(shown.pixelColor(3, 3), QColor(0, 120, 0));
        QCOMPARE(shown.pixelColor(20, 20), QColor(0, 0, 200));
    }

    void aThemeNameFindsItsFileWithOrWithoutExtension_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("name");
        QTest::newRow("blue") << QStringLiteral("blue.ini") << QStringLiteral("blue");
        QTest::newRow("blue.ini") << QStringLiteral("blue.ini") << QStringLiteral("blue.ini");
        QTest::newRow("upper-case extension given") << QStringLiteral("blue.ini") << QStringLiteral("blue.INI");
        QTest::newRow("file with upper-case name") << QStringLiteral("BLUE.INI") << QStringLiteral("BLUE");
        QTest::newRow("name in other case") << QStringLiteral("Blue.ini") << QStringLiteral("bLUE");
    }

    void aThemeNameFindsItsFileWithOrWithoutExtension() {
        QFETCH(QString, file);
        QFETCH(QString, name);
        AppFixture app;
        WriteBlueTheme(app, file.toStdString());
        frmMain& window = app.Start();
        window.ApplyTheme(name.toStdString());
        QCOMPARE(QString::fromStdString(std::filesystem::path(window.Theme()->FileName()).filename().string()), file);
        QCOMPARE(window.Theme()->Title(), std::string("Blue"));
        QCOMPARE(PictureColor(window.DropBoxPicture()), QColor(0, 0, 200));
    }

    void theMenuListsThemeFilesOnly() {
        AppFixture app;
        WriteBlueTheme(app);
        WriteTheme(app, "RED.INI", "[LogBox]\r\nBackColor=255\r\n");
        WriteTheme(app, "green.Ini", "");
        WriteTheme(app, ".ini", "");
        WriteTheme(app, ".hidden.ini", "");
        WriteTheme(app, "notes.txt", "");
        std::filesystem::create_directories(app.ThemeFolder() + "/folder.ini");
        frmMain& window = app.Start();
        QCOMPARE(ThemeCaptions(window), QStringList({QStringLiteral("標準(&D) *"), QStringLiteral("blue"),
                                                     QStringLiteral("green"), QStringLiteral("RED")}));
    }

    void choosingAThemeMovesTheCheckMark() {
        AppFixture app;
        WriteBlueTheme(app);
        WriteTheme(app, "RED.INI", "[LogBox]\r\nBackColor=255\r\n");
        frmMain& window = app.Start();
        ChooseTheme(window, 2);
        QCOMPARE(ThemeCaptions(window),
                 QStringList({QStringLiteral("標準(&D)"), QStringLiteral("blue"), QStringLiteral("RED *")}));
        QCOMPARE(Role(window.LogPane()->List(), QPalette::Base), QColor(255, 0, 0));
        QVERIFY(window.DropBoxPicture().isNull()); // no Image key: no picture, not the built-in one

        ChooseTheme(window, 2); // again: reloaded, still checked
        QCOMPARE(ThemeCaptions(window),
                 QStringList({QStringLiteral("標準(&D)"), QStringLiteral("blue"), QStringLiteral("RED *")}));

        ChooseTheme(window, 0);
        QCOMPARE(ThemeCaptions(window),
                 QStringList({QStringLiteral("標準(&D) *"), QStringLiteral("blue"), QStringLiteral("RED")}));
        QVERIFY(!window.DropBoxPicture().isNull());
        QVERIFY(window.Theme()->FileName().empty());
    }

    void themeFilesAddedWhileRunningAppearAfterTheNextChoice() {
        AppFixture app;
        frmMain& window = app.Start();
        QCOMPARE(window.ThemeItems().size(), std::size_t(1));
        WriteBlueTheme(app);
        ChooseTheme(window, 0);
        QCOMPARE(ThemeCaptions(window), QStringList({QStringLiteral("標準(&D) *"), QStringLiteral("blue")}));
    }

    void aPictureThatCannotBeLoadedGivesTheStandardLook_data() {
        QTest::addColumn<QString>("key");
        QTest::newRow("drop box picture") << QStringLiteral("[DropBox]\r\nImage=missing.bmp\r\n");
        QTest::newRow("busy picture") << QStringLiteral("[DropBox]\r\nImageBusy=missing.bmp\r\n");
        QTest::newRow("window picture") << QStringLiteral("[Window]\r\nImage=notapicture.bmp\r\n");
    }

    void aPictureThatCannotBeLoadedGivesTheStandardLook() {
        QFETCH(QString, key);
        AppFixture app;
        WriteTheme(app, "broken.ini", "[LogBox]\r\nBackColor=255\r\n" + key.toStdString());
        app.Folder().Write("theme/notapicture.bmp", "this is text");
        frmMain& window = app.Start();
        window.ApplyTheme("broken");
        QVERIFY(window.Theme()->FileName().empty());
        QVERIFY(!window.DropBoxPicture().isNull());
        QCOMPARE(Role(window.LogPane()->List(), QPalette::Base), QApplication::palette().color(QPalette::Base));
        window.BuildThemeMenu();
        QVERIFY(window.ThemeItems()[0]->isChecked());
    }

    void aBadColourGivesTheDefaultsWithoutPictures() {
        AppFixture app;
        WriteTheme(app, "bad.ini", "[DropBox]\r\nImage=x.bmp\r\n[LogBox]\r\nBackColor=red\r\n");
        frmMain& window = app.Start();
        window.ApplyTheme("bad");
        QVERIFY(window.Theme()->FileName().empty());
        QVERIFY(window.DropBoxPicture().isNull());
        window.BuildThemeMenu();
        QCOMPARE(ThemeCaptions(window), QStringList({QStringLiteral("標準(&D) *"), QStringLiteral("bad")}));
    }

    void aThemeWhoseFileIsGoneShowsNoPictureAndNoCheck() {
        AppFixture app;
        app.Folder().Write("ferrule.ini", "[Settings]\r\nThemeName=gone\r\n");
        frmMain& window = app.Start();
        QVERIFY(!window.Theme()->FileName().empty());
        QVERIFY(window.DropBoxPicture().isNull());
        QVERIFY(window.DropBox()->Picture().isNull());
        QCOMPARE(ThemeCaptions(window), QStringList({QStringLiteral("標準(&D)")}));
        app.Close();
        QVERIFY(ReadAll(app.SettingsPath()).find("ThemeName=gone\r\n") != std::string::npos);
    }

    void theBusyPictureShowsDuringACheck() {
        AppFixture app;
        WriteBlueTheme(app);
        frmMain& window = app.Start();
        window.ApplyTheme("blue");
        window.SetDropBoxBusy(true);
        QCOMPARE(PictureColor(window.DropBox()->Picture()), QColor(200, 0, 0));
        QCOMPARE(window.grab().toImage().pixelColor(20, 20), QColor(200, 0, 0)); // not greyed while disabled
        window.SetDropBoxBusy(false);
        QCOMPARE(PictureColor(window.DropBox()->Picture()), QColor(0, 0, 200));
    }

    void theChosenThemeIsKeptAcrossStarts() {
        AppFixture app;
        WriteBlueTheme(app, "Blue.INI");
        {
            frmMain& window = app.Start();
            ChooseTheme(window, 1);
            app.Close();
        }
        QVERIFY(ReadAll(app.SettingsPath()).find("ThemeName=Blue\r\n") != std::string::npos);
        frmMain& window = app.Start();
        QCOMPARE(ThemeCaptions(window), QStringList({QStringLiteral("標準(&D)"), QStringLiteral("Blue *")}));
        QCOMPARE(PictureColor(window.DropBoxPicture()), QColor(0, 0, 200));
        ChooseTheme(window, 0);
        app.Close();
        QVERIFY(ReadAll(app.SettingsPath()).find("ThemeName=\r\n") != std::string::npos);
    }

    void colourValuesMapToColours_data() {
        QTest::addColumn<qint64>("value");
        QTest::addColumn<QColor>("expected");
        const QPalette system = QApplication::palette();
        QTest::newRow("orange 0x000080FF") << qint64(0x000080FF) << QColor(255, 128, 0);
        QTest::newRow("pure blue") << qint64(0x00FF0000) << QColor(0, 0, 255);
        QTest::newRow("window background") << qint64(0x80000005) << system.color(QPalette::Base);
        QTest::newRow("window text") << qint64(0x80000008) << system.color(QPalette::Text);
        QTest::newRow("button face") << qint64(0x8000000F) << system.color(QPalette::Button);
        QTest::newRow("highlight") << qint64(0x8000000D) << system.color(QPalette::Highlight);
        QTest::newRow("highlighted text") << qint64(0x8000000E) << system.color(QPalette::HighlightedText);
        QTest::newRow("tooltip background") << qint64(0x80000018) << system.color(QPalette::ToolTipBase);
        QTest::newRow("unknown index") << qint64(0x80000063) << QColor(0, 0, 0);
    }

    void colourValuesMapToColours() {
        QFETCH(qint64, value);
        QFETCH(QColor, expected);
        QCOMPARE(ColorFromWin32(static_cast<std::int32_t>(static_cast<std::uint32_t>(value)), QApplication::palette()),
                 expected);
    }
};

FERRULE_UI_TEST(ThemeTest);

#include "ThemeTest.moc"
