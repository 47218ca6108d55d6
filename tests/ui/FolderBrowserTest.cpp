// The folder chooser: its properties, and the real dialog confirmed and cancelled.
#include "UiTest.h"

#include "ui/clsSHBrowseForFolder.h"

#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QTest>

using namespace UiTest;

class FolderBrowserTest : public QObject {
    Q_OBJECT

private slots:
    void aNewChooserHoldsNothing() {
        clsSHBrowseForFolder browser;
        QCOMPARE(browser.hWnd(), nullptr);
        QCOMPARE(browser.Options(), 0);
        QCOMPARE(browser.RootFolder(), 0);
        QCOMPARE(browser.Title(), std::string());
        QCOMPARE(browser.PathName(), std::string());
    }

    void confirmingAFolderGivesItsPath() {
        TempFolder folder;
        QWidget owner;
        clsSHBrowseForFolder browser;
        browser.sethWnd(&owner);
        browser.setTitle("コピー先を指定してください。");
        QString title;
        QWidget* parent = nullptr;
        auto watcher = OnNextModal([&](QWidget* widget) {
            auto* dialog = qobject_cast<QFileDialog*>(widget);
            if (dialog == nullptr) {
                return;
            }
            title = dialog->windowTitle();
            parent = dialog->parentWidget();
            QLineEdit* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            name->setText(QString::fromStdString(folder.Path()));
            QTest::keyClick(name, Qt::Key_Return);
        });
        QVERIFY(browser.ShowDialog());
        QVERIFY(watcher->Seen());
        QCOMPARE(title, QStringLiteral("コピー先を指定してください。"));
        QCOMPARE(parent, &owner);
        QCOMPARE(browser.PathName(), QDir::toNativeSeparators(QString::fromStdString(folder.Path())).toStdString());
    }

    void cancellingGivesFalseAndNoPath() {
        clsSHBrowseForFolder browser;
        auto confirm = OnNextModal([](QWidget* widget) { QMetaObject::invokeMethod(widget, "accept"); });
        QVERIFY(browser.ShowDialog());
        QVERIFY(!browser.PathName().empty());

        auto cancel = OnNextModal([](QWidget* widget) { QTest::keyClick(widget, Qt::Key_Escape); });
        QVERIFY(!browser.ShowDialog());
        QVERIFY(cancel->Seen());
        QCOMPARE(browser.PathName(), std::string());
    }

    void aChooserReplacesTheDialog() {
        clsSHBrowseForFolder browser;
        browser.setTitle("title");
        std::string asked;
        browser.setChooser([&](QWidget*, const std::string& title) -> std::optional<std::string> {
            asked = title;
            return std::string("/srv/data");
        });
        QVERIFY(browser.ShowDialog());
        QCOMPARE(asked, std::string("title"));
        QCOMPARE(browser.PathName(), std::string("/srv/data"));
        browser.setChooser([](QWidget*, const std::string&) { return std::optional<std::string>(); });
        QVERIFY(!browser.ShowDialog());
        QCOMPARE(browser.PathName(), std::string());
    }
};

FERRULE_UI_TEST(FolderBrowserTest);

#include "FolderBrowserTest.moc"
