// Themes: the standard look, theme files with their colours and pictures, how they are found, listed,
// chosen and kept, and the fallbacks.
#include "UiTest.h"

#include "config/clsThemeDefine.h"

using namespace UiTest;

namespace {

const QColor kIdle(0, 0, 200);
const QColor kBusy(200, 0, 0);
const QColor kBackground(0, 120, 0);

// A file in the theme folder: `bytes`, or a picture of `colour` where one is given.
void WriteThemeFile(const App& app, const std::string& file, const std::string& bytes, QColor colour = {},
                    QSize size = {128, 128}) {
    std::filesystem::create_directories(app.Folder().File("theme"));
    const std::string path = app.Folder().Write("theme/" + file, bytes);
    if (colour.isValid()) {
        QImage picture(size, QImage::Format_RGB32);
        picture.fill(colour);
        picture.save(QString::fromStdString(path), "BMP");
    }
}

// Blue: every key, and pictures of one colour each beside the theme file.
void WriteBlueTheme(const App& app, const std::string& file = "blue.ini") {
    WriteThemeFile(app, file,
                   "[General]\r\nTitle=Blue\r\n[DropBox]\r\nBackColor=#FF8000\r\nImage=blue_idle.bmp\r\n"
                   "ImageBusy=blue_busy.bmp\r\n[LogBox]\r\nBackColor=0x00400000\r\nForeColor=16777215\r\n"
                   "[Window]\r\nBackColor=0x80000063\r\nImage=blue_back.bmp\r\n");
    WriteThemeFile(app, "blue_idle.bmp", "", kIdle);
    WriteThemeFile(app, "blue_busy.bmp", "", kBusy);
    WriteThemeFile(app, "blue_back.bmp", "", kBackground, {400, 200});
}

struct FallbackRow {
    const char* name;
    std::string body;    // of theme/broken.ini; none: no such file
    bool builtInPicture; // else none
    bool nameKept;       // the theme stays in effect and is saved again at close
};

} // namespace

class ThemeTest : public QObject {
    Q_OBJECT

    static QColor Role(QWidget* widget, QPalette::ColorRole role) { return widget->palette().color(role); }
    static QColor System(QPalette::ColorRole role) { return QApplication::palette().color(role); }
    static QColor Shown(QWidget* widget, QPoint at) { return widget->grab().toImage().pixelColor(at); }

    // The theme submenu's captions, the checked one marked with " *".
    static QStringList ThemeCaptions(frmMain& window) {
        QStringList captions;
        for (QAction* item : window.ThemeItems()) {
            captions << item->text() + (item->isChecked() ? u" *"_s : QString());
        }
        return captions;
    }

    static void ChooseTheme(App& app, frmMain& window, std::size_t index) {
        app.WithMainMenu([&](QMenu* menu) {
            ClickMenuItem(menu, window.ThemeMenu()->menuAction());
            QTRY_VERIFY(window.ThemeMenu()->isVisible());
            ClickMenuItem(window.ThemeMenu(), window.ThemeItems()[index]);
        });
    }

    static void VerifyStandardLook(frmMain& window) {
        const QImage builtIn(u":/res/DIB_DROPBOX.bmp"_s);
        const QImage shown = window.DropBox()->Picture().toImage();
        QVERIFY(!builtIn.isNull());
        QCOMPARE(shown, builtIn.convertToFormat(shown.format()));
        QVERIFY(!window.DropBoxPictureBusy().isNull());
        QVERIFY(window.WindowPicture().isNull());
        QCOMPARE(Role(window.DropBoxHost(), QPalette::Window), System(QPalette::Base));
        QCOMPARE(Role(window.LogWindow()->LogPane()->List(), QPalette::Base), System(QPalette::Base));
        QCOMPARE(Role(window.LogPane()->List(), QPalette::Text), System(QPalette::Text));
        QCOMPARE(Role(&window, QPalette::Window), System(QPalette::Button));
    }

private slots:
    void aThemeBringsItsColoursAndPictures() {
        App app;
        WriteBlueTheme(app);
        frmMain& window = app.Start();
        window.ApplyTheme("blue");
        QCOMPARE(window.DropBoxPictureBusy().toImage().pixelColor(5, 5), kBusy);
        QCOMPARE(Role(window.DropBoxHost(), QPalette::Window), QColor(255, 128, 0));
        for (QListView* list : {window.LogPane()->List(), window.LogWindow()->LogPane()->List()}) {
            QCOMPARE(Role(list, QPalette::Base), QColor(0, 0, 0x40));
            QCOMPARE(Role(list, QPalette::Text), QColor(255, 255, 255));
        }
        QCOMPARE(Role(window.LogWindow(), QPalette::Window), QColor(0, 0, 0)); // no such system colour: black
        // The background picture is drawn from the top-left corner, behind the controls.
        QCOMPARE(Shown(&window, {3, 3}), kBackground);
        QCOMPARE(Shown(&window, {20, 20}), kIdle);
        // The busy picture shows while a check runs, not greyed out by the disabled drop box.
        window.SetDropBoxBusy(true);
        QCOMPARE(Shown(&window, {20, 20}), kBusy);
        window.SetDropBoxBusy(false);
        QCOMPARE(Shown(&window, {20, 20}), kIdle);
    }

    void themesOfSeveralFoldersAreListedOnceTheFirstPlaceWinning() {
        App app;
        const TempFolder& root = app.Folder();
        // Beside the program, the user's data folder, the install: "Blue" in two places, "sea" only last.
        const std::vector<std::string> folders = {root.File("theme/"), root.File("user/"), root.File("share/")};
        for (const char* folder : {"user", "share"}) {
            std::filesystem::create_directories(root.File(folder));
        }
        WriteBlueTheme(app);
        root.Write("user/BLUE.ini", "[DropBox]\r\nBackColor=#00FF00\r\n");
        root.Write("share/sea.ini", "[DropBox]\r\nBackColor=#0000FF\r\nImage=sea.bmp\r\n");
        QImage sea(128, 128, QImage::Format_RGB32);
        sea.fill(kBusy);
        sea.save(QString::fromStdString(root.File("share/sea.bmp")), "BMP");

        FileLocations locations;
        locations.inUserFolders = true;
        locations.settingsFile = root.File("config/ferrule.ini");
        locations.themeFolders = folders;
        auto start = [&]() -> frmMain& {
            app.Close();
            frmMain& window = app.Start([&](frmMain& w) { w.setFileLocations(locations); });
            return window;
        };
        frmMain& window = start();
        QCOMPARE(ThemeCaptions(window), QStringList({u"標準(&D) *"_s, u"blue"_s, u"sea"_s}));
        ChooseTheme(app, window, 1);
        QCOMPARE(window.Theme()->FileName(), root.File("theme/blue.ini"));
        QCOMPARE(Role(window.DropBoxHost(), QPalette::Window), QColor(255, 128, 0));
        ChooseTheme(app, window, 2);
        QCOMPARE(window.Theme()->FileName(), root.File("share/sea.ini"));
        QCOMPARE(Shown(window.DropBox(), {5, 5}), kBusy); // its picture beside its own file
        app.Close();
        std::ifstream saved(root.File("config/ferrule.ini"), std::ios::binary);
        QVERIFY(std::string(std::istreambuf_iterator<char>(saved), {}).find("ThemeName=sea\r\n") != std::string::npos);
        QVERIFY(!std::filesystem::exists(root.File("ferrule.ini")));
        // The next start finds it again, in the last place, checked in the menu.
        frmMain& again = start();
        QCOMPARE(again.Theme()->FileName(), root.File("share/sea.ini"));
        QCOMPARE(ThemeCaptions(again), QStringList({u"標準(&D)"_s, u"blue"_s, u"sea *"_s}));
    }

    void aThemeNameFindsItsFileWithOrWithoutExtensionAndIsKept() {
        for (const auto& [file, theme, saved] :
             {std::tuple{"blue.ini", "blue", "blue"}, std::tuple{"blue.ini", "blue.ini", "blue"},
              std::tuple{"blue.ini", "blue.INI", "blue"}, std::tuple{"BLUE.INI", "BLUE", "BLUE"},
              std::tuple{"Blue.ini", "bLUE", "Blue"}}) {
            App app;
            WriteBlueTheme(app, file);
            frmMain& window = app.Start();
            window.ApplyTheme(theme);
            QCOMPARE(std::filesystem::path(window.Theme()->FileName()).filename().string(), file);
            QCOMPARE(Shown(window.DropBox(), {5, 5}), kIdle);
            app.Close();
            QVERIFY2(app.Saved("ThemeName=" + std::string(saved)), saved); // without its extension
            QCOMPARE(Shown(app.Start().DropBox(), {5, 5}), kIdle);
        }
    }

    void theMenuListsTheThemeFilesAndChecksTheOneInEffect() {
        App app;
        WriteThemeFile(app, "RED.INI", "[LogBox]\r\nBackColor=255\r\n");
        for (const char* other : {"green.Ini", ".ini", ".hidden.ini", "notes.txt"}) {
            WriteThemeFile(app, other, "");
        }
        std::filesystem::create_directories(app.Folder().File("theme/folder.ini"));
        frmMain& window = app.Start();
        QCOMPARE(ThemeCaptions(window), QStringList({u"標準(&D) *"_s, u"green"_s, u"RED"_s}));
        VerifyStandardLook(window);
        ChooseTheme(app, window, 2);
        QCOMPARE(ThemeCaptions(window), QStringList({u"標準(&D)"_s, u"green"_s, u"RED *"_s}));
        QCOMPARE(Role(window.LogPane()->List(), QPalette::Base), QColor(255, 0, 0));
        QVERIFY(window.DropBox()->Picture().isNull()); // no Image key: no picture, not the built-in one
        ChooseTheme(app, window, 2);                   // again: reloaded, still checked
        QCOMPARE(ThemeCaptions(window), QStringList({u"標準(&D)"_s, u"green"_s, u"RED *"_s}));
        WriteBlueTheme(app); // theme files added while the program runs appear after the next choice
        ChooseTheme(app, window, 0);
        QCOMPARE(ThemeCaptions(window), QStringList({u"標準(&D) *"_s, u"blue"_s, u"green"_s, u"RED"_s}));
        VerifyStandardLook(window);
    }

    void aThemeThatCannotBeShownFallsBack_data() {
        AddRows<FallbackRow>({{"drop box picture missing", "[DropBox]\r\nImage=missing.bmp\r\n", true, false},
                              {"busy picture missing", "[DropBox]\r\nImageBusy=missing.bmp\r\n", true, false},
                              {"window picture no picture", "[Window]\r\nImage=notapicture.bmp\r\n", true, false},
                              {"bad colour", "[DropBox]\r\nImage=x.bmp\r\n[Window]\r\nBackColor=red\r\n", false, false},
                              {"file gone", "", false, true}});
    }

    void aThemeThatCannotBeShownFallsBack() {
        QFETCH(FallbackRow, row);
        App app;
        WriteThemeFile(app, "notapicture.bmp", "this is text");
        WriteThemeFile(app, "x.bmp", "", kIdle);
        if (!row.body.empty()) {
            WriteThemeFile(app, "broken.ini", "[LogBox]\r\nBackColor=255\r\n" + row.body);
        }
        app.Folder().Write("ferrule.ini", "[Settings]\r\nThemeName=broken\r\n");
        frmMain& window = app.Start();
        QCOMPARE(window.Theme()->FileName().empty(), !row.nameKept);
        QCOMPARE(!window.DropBox()->Picture().isNull(), row.builtInPicture);
        QCOMPARE(Role(window.LogPane()->List(), QPalette::Base), System(QPalette::Base));
        QCOMPARE(window.ThemeItems()[0]->isChecked(), !row.nameKept);
        app.Close();
        QVERIFY(app.Saved(row.nameKept ? "ThemeName=broken" : "ThemeName="));
    }
};

FERRULE_UI_TEST(ThemeTest);

#include "ThemeTest.moc"
