// The folder dialog behind clsSHBrowseForFolder, driven as the user would: the tree, its buttons and keys,
// new folders and their names.
#include "UiTest.h"

#include "ui/clsSHBrowseForFolder.h"
#include "ui/frmBrowseForFolder.h"
#include "ui/mdlAPIGeneral.h"

#include <QContextMenuEvent>
#include <QDir>
#include <QFileSystemModel>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTreeView>

#include <algorithm>

using namespace UiTest;

namespace {

const QString kPrompt = u"コピー先を指定してください。"_s;

// A temporary home folder with three folders the tree shows, and a hidden folder and a file it does not.
class HomeFolder {
public:
    HomeFolder() {
        for (const char* name : {"alpha", "beta", "資料", ".hidden"}) {
            std::filesystem::create_directory(std::filesystem::u8path(m_Folder.File(name)));
        }
        m_Folder.Write("note.txt", "");
        qputenv("HOME", QByteArray::fromStdString(m_Folder.Path()));
    }
    ~HomeFolder() { qputenv("HOME", m_Saved); }
    QString Path(const QString& name = QString()) const {
        const QString home = QString::fromStdString(m_Folder.Path());
        return name.isEmpty() ? home : QDir::toNativeSeparators(home + u'/' + name);
    }

private:
    TempFolder m_Folder;
    QByteArray m_Saved = qgetenv("HOME");
};

QTreeView* Tree(QWidget* dialog) {
    return dialog->findChild<QTreeView*>(u"tvwFolders"_s);
}
QString PathOf(QTreeView* tree, const QModelIndex& index) {
    return QDir::toNativeSeparators(static_cast<QFileSystemModel*>(tree->model())->filePath(index));
}
QStringList NamesBelow(QTreeView* tree, const QModelIndex& parent) {
    QStringList names;
    for (int row = 0; row < tree->model()->rowCount(parent); ++row) {
        names << tree->model()->index(row, 0, parent).data().toString();
    }
    return names;
}
// Waits until the home folder lists its subfolders, sorted, and returns them.
QStringList WaitForHomeFolders(QTreeView* tree) {
    const QModelIndex home = static_cast<QFileSystemModel*>(tree->model())->index(QDir::homePath());
    QStringList names;
    static_cast<void>(QTest::qWaitFor([&] {
        names = NamesBelow(tree, home);
        QStringList sorted = names;
        sorted.sort();
        return names.size() == 3 && names.mid(0, 2) == sorted.mid(0, 2);
    }));
    return names;
}
// Where the user clicks `index`: the middle of its row once the row is in view (the tree brings the start
// folder into view as the rows above it arrive).
QPoint RowCentre(QTreeView* tree, const QModelIndex& index) {
    const auto inView = [&] {
        const QRect row = tree->visualRect(index);
        return row.top() >= 0 && row.bottom() < tree->viewport()->height();
    };
    if (!QTest::qWaitFor(inView)) {
        qWarning("row not in view");
    }
    return tree->visualRect(index).center();
}
// Clicks the folder `name` of the home folder, with `modifiers` held.
void ClickFolder(QTreeView* tree, const QString& name, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    const auto* model = static_cast<QFileSystemModel*>(tree->model());
    const QModelIndex index =
        name.isEmpty() ? model->index(QDir::homePath()) : model->index(QDir::homePath() + u'/' + name);
    QVERIFY(index.isValid());
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, modifiers, RowCentre(tree, index));
    QCOMPARE(tree->currentIndex(), index);
}
void Click(QWidget* dialog, const QString& button) {
    QTest::mouseClick(dialog->findChild<QPushButton*>(button), Qt::LeftButton);
}
// Types `text` into `editor`: keys for ASCII, and what an input method commits for Japanese.
void Type(QWidget* editor, const QString& text) {
    QVERIFY(editor != nullptr);
    if (std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; })) {
        QTest::keyClicks(editor, text);
        return;
    }
    QInputMethodEvent commit;
    commit.setCommitString(text);
    QCoreApplication::sendEvent(editor, &commit);
}
// The open name editor; closed ones linger hidden until the dialog's loop deletes them.
QLineEdit* NameEditor(QWidget* dialog) {
    for (QLineEdit* editor : Tree(dialog)->findChildren<QLineEdit*>()) {
        if (editor->isVisible()) {
            return editor;
        }
    }
    return nullptr;
}

// Shows the dialog of `browser` and hands it to `act`; a dialog `act` leaves open is cancelled.
std::pair<bool, std::string> Show(clsSHBrowseForFolder& browser, const std::function<void(QWidget*)>& act) {
    Watcher opened([] { return qobject_cast<frmBrowseForFolder*>(QApplication::activeModalWidget()); },
                   [&](QWidget* dialog) {
                       WaitForHomeFolders(Tree(dialog));
                       act(dialog);
                       if (dialog->isVisible()) {
                           static_cast<QDialog*>(dialog)->reject();
                       }
                   });
    const bool confirmed = browser.ShowDialog();
    return {confirmed, browser.PathName()};
}

// True when `text` holds a Latin letter other than an access key "(&X)" (shown "(X)" in tips) or the word OK.
bool HasEnglish(QString text) {
    text.remove(QRegularExpression(u"\\(&?[A-Z]\\)"_s)).remove(QRegularExpression(u"\\bOK\\b"_s));
    return text.contains(QRegularExpression(u"[A-Za-z]"_s));
}

struct ChoiceRow {
    const char* name;
    std::function<void(QWidget*)> act;
    bool confirmed;
    QString folder; // below home; "" for home itself
};

struct RenameRow {
    const char* name;
    QString typed;
    QString message; // none: the name is taken without one
    QString folder;  // the new folder's name in the end
};

} // namespace

class FolderDialogTest : public QObject {
    Q_OBJECT

private slots:
    void opensOnTheHomeFolderWithThePromptAboveTheTree() {
        HomeFolder home;
        QWidget owner;
        clsSHBrowseForFolder browser;
        browser.sethWnd(&owner);
        browser.setTitle(kPrompt.toStdString());
        Show(browser, [&](QWidget* dialog) {
            QCOMPARE(dialog->windowTitle(), u"フォルダーの参照"_s);
            QCOMPARE(dialog->parentWidget(), &owner);
            QVERIFY(dialog->isModal());
            QCOMPARE(dialog->font().families(), WindowFont().families());
            auto* label = dialog->findChild<QLabel*>(u"lblTitle"_s);
            QTreeView* tree = Tree(dialog);
            QCOMPARE(label->text(), kPrompt);
            QVERIFY(label->wordWrap());
            QVERIFY(label->geometry().bottom() < tree->geometry().top());
            // Rooted at the file system's root; folder names only.
            QCOMPARE(PathOf(tree, tree->model()->index(0, 0, tree->rootIndex())), QDir::toNativeSeparators(u"/"_s));
            QVERIFY(tree->isHeaderHidden());
            for (int column = 1; column < tree->model()->columnCount(); ++column) {
                QVERIFY(tree->isColumnHidden(column));
            }
            // Home selected, expanded and in view, showing its folders but no hidden folder and no file.
            const QModelIndex current = tree->currentIndex();
            QCOMPARE(PathOf(tree, current), home.Path());
            QVERIFY(tree->selectionModel()->isSelected(current));
            QVERIFY(tree->isExpanded(current));
            QStringList names = WaitForHomeFolders(tree);
            names.sort();
            QCOMPARE(names, (QStringList{u"alpha"_s, u"beta"_s, u"資料"_s}));
            QTRY_VERIFY(tree->visualRect(current).top() >= 0 &&
                        tree->visualRect(current).bottom() < tree->viewport()->height());
            QVERIFY(dialog->findChild<QPushButton*>(u"cmdOK"_s)->isEnabled());
        });
    }

    void givesTheConfirmedFolderOrNothingAndOpensNextOnTheFolderChosen_data() {
        const auto key = [](Qt::Key key) { return [key](QWidget* dialog) { QTest::keyClick(Tree(dialog), key); }; };
        AddRows<ChoiceRow>({{"click a folder, OK",
                             [](QWidget* dialog) {
                                 ClickFolder(Tree(dialog), u"beta"_s);
                                 Click(dialog, u"cmdOK"_s);
                             },
                             true, u"beta"_s},
                            {"keys down to a folder, Enter",
                             [](QWidget* dialog) {
                                 for (Qt::Key key : {Qt::Key_Down, Qt::Key_Down, Qt::Key_Return}) {
                                     QTest::keyClick(Tree(dialog), key);
                                 }
                             },
                             true, u"beta"_s},
                            {"click a Japanese name, Enter",
                             [](QWidget* dialog) {
                                 ClickFolder(Tree(dialog), u"資料"_s);
                                 QTest::keyClick(Tree(dialog), Qt::Key_Enter);
                             },
                             true, u"資料"_s},
                            {"Enter at once", key(Qt::Key_Return), true, QString()},
                            {"Escape", key(Qt::Key_Escape), false, QString()},
                            {"click a folder, キャンセル",
                             [](QWidget* dialog) {
                                 ClickFolder(Tree(dialog), u"alpha"_s);
                                 Click(dialog, u"cmdCancel"_s);
                             },
                             false, QString()},
                            {"nothing selected: OK disabled, Enter ignored, then Escape",
                             [](QWidget* dialog) {
                                 QTreeView* tree = Tree(dialog);
                                 ClickFolder(tree, QString(), Qt::ControlModifier); // the selected home
                                 QVERIFY(!tree->selectionModel()->hasSelection());
                                 QVERIFY(!dialog->findChild<QPushButton*>(u"cmdOK"_s)->isEnabled());
                                 QTest::keyClick(tree, Qt::Key_Return);
                                 QVERIFY(dialog->isVisible());
                                 QTest::keyClick(tree, Qt::Key_Escape);
                             },
                             false, QString()}});
    }

    void givesTheConfirmedFolderOrNothingAndOpensNextOnTheFolderChosen() {
        QFETCH(ChoiceRow, row);
        HomeFolder home;
        clsSHBrowseForFolder browser;
        browser.setTitle(kPrompt.toStdString());
        const std::string chosen = home.Path(row.folder).toStdString();
        QCOMPARE(Show(browser, row.act), std::pair(row.confirmed, row.confirmed ? chosen : std::string()));
        // The next dialog opens on the folder confirmed, or on home after a cancel.
        QString start;
        Show(browser, [&](QWidget* dialog) { start = PathOf(Tree(dialog), Tree(dialog)->currentIndex()); });
        QCOMPARE(start, home.Path(row.confirmed ? row.folder : QString()));
    }

    void newFoldersAreNumberedSelectedAndOfferedForNaming() {
        HomeFolder home;
        clsSHBrowseForFolder browser;
        MessageBoxes boxes;
        const auto result = Show(browser, [&](QWidget* dialog) {
            QTreeView* tree = Tree(dialog);
            Click(dialog, u"cmdNewFolder"_s);
            QCOMPARE(PathOf(tree, tree->currentIndex()), home.Path(u"新しいフォルダー"_s));
            QVERIFY(QFileInfo(home.Path(u"新しいフォルダー"_s)).isDir());
            QVERIFY(NameEditor(dialog) != nullptr);
            QCOMPARE(NameEditor(dialog)->text(), u"新しいフォルダー"_s);
            QTest::keyClick(NameEditor(dialog), Qt::Key_Escape); // keeps the name, and the dialog open
            QTRY_VERIFY(NameEditor(dialog) == nullptr);
            QVERIFY(dialog->isVisible());

            QTest::keyClick(tree, Qt::Key_Left); // back to home
            QCOMPARE(PathOf(tree, tree->currentIndex()), home.Path());
            Click(dialog, u"cmdNewFolder"_s);
            QCOMPARE(PathOf(tree, tree->currentIndex()), home.Path(u"新しいフォルダー (2)"_s));
            Type(NameEditor(dialog), u"データ"_s);
            QTest::keyClick(NameEditor(dialog), Qt::Key_Return); // renames, and keeps the dialog open
            QTRY_VERIFY(NameEditor(dialog) == nullptr);
            QVERIFY(dialog->isVisible());
            QVERIFY(QFileInfo(home.Path(u"データ"_s)).isDir());
            QVERIFY(!QFileInfo::exists(home.Path(u"新しいフォルダー (2)"_s)));

            // A folder gone from the disk before the tree noticed: a message, and nothing made.
            QTest::keyClick(tree, Qt::Key_Left);
            ClickFolder(tree, u"alpha"_s);
            std::filesystem::remove(std::filesystem::u8path(home.Path(u"alpha"_s).toStdString()));
            Click(dialog, u"cmdNewFolder"_s);
            QCOMPARE(boxes.shown,
                     QStringList{u"フォルダーの参照|3|「%1」に新しいフォルダーを作成できませんでした。"_s.arg(
                         home.Path(u"alpha"_s))});

            ClickFolder(tree, u"データ"_s);
            Click(dialog, u"cmdOK"_s);
        });
        QCOMPARE(result, std::pair(true, home.Path(u"データ"_s).toStdString()));
    }

    void namesThatCannotBeUsedAreRefusedAndOfferedAgain_data() {
        AddRows<RenameRow>(
            {{"taken", u"alpha"_s,
              u"フォルダーの参照|2|この場所には既に「alpha」という名前のファイルまたはフォルダーがあります。"_s,
              u"新しいフォルダー"_s},
             {"with a separator", u"a/b"_s, u"フォルダーの参照|2|ファイル名には次の文字は使えません:\n/"_s,
              u"新しいフォルダー"_s},
             {"blank", u"  "_s, QString(), u"新しいフォルダー"_s},
             {"blanks around", u" 写真 "_s, QString(), u"写真"_s}});
    }

    void namesThatCannotBeUsedAreRefusedAndOfferedAgain() {
        QFETCH(RenameRow, row);
        HomeFolder home;
        clsSHBrowseForFolder browser;
        MessageBoxes boxes;
        const auto result = Show(browser, [&](QWidget* dialog) {
            Click(dialog, u"cmdNewFolder"_s);
            Type(NameEditor(dialog), row.typed);
            QTest::keyClick(NameEditor(dialog), Qt::Key_Return);
            QTRY_COMPARE(boxes.shown.size(), row.message.isNull() ? 0 : 1);
            if (!row.message.isNull()) {
                QCOMPARE(boxes.shown.front(), row.message);
                QTRY_VERIFY(NameEditor(dialog) != nullptr); // offered again, holding the old name
                QCOMPARE(NameEditor(dialog)->text(), u"新しいフォルダー"_s);
                QTest::keyClick(NameEditor(dialog), Qt::Key_Escape);
            }
            QTRY_VERIFY(NameEditor(dialog) == nullptr);
            QTest::keyClick(Tree(dialog), Qt::Key_Return);
        });
        QCOMPARE(result, std::pair(true, home.Path(row.folder).toStdString()));
        QVERIFY(QFileInfo(home.Path(row.folder)).isDir());
    }

    void noEnglishWordOnTheDialogItsMenusAndTips() {
        HomeFolder home;
        clsSHBrowseForFolder browser;
        browser.setTitle(kPrompt.toStdString());
        QStringList texts;
        int treeMenus = 0;
        Show(browser, [&](QWidget* dialog) {
            QTreeView* tree = Tree(dialog);
            // The tree has no menu of its own; the name editor has the edit menu.
            auto none = OnPopup([&](QMenu* menu) {
                ++treeMenus;
                menu->close();
            });
            const QPoint atTree = RowCentre(tree, tree->currentIndex());
            QContextMenuEvent onTree(QContextMenuEvent::Mouse, atTree, tree->viewport()->mapToGlobal(atTree));
            QCoreApplication::sendEvent(tree->viewport(), &onTree);
            QTest::qWait(50);
            none.reset();
            Click(dialog, u"cmdNewFolder"_s);
            QLineEdit* editor = NameEditor(dialog);
            QVERIFY(editor != nullptr);
            auto menu = OnPopup([&](QMenu* popup) {
                for (QAction* action : popup->actions()) {
                    if (!action->isSeparator()) {
                        texts << action->text() << action->toolTip();
                    }
                }
                QTest::keyClick(popup, Qt::Key_Escape);
            });
            QContextMenuEvent onEditor(QContextMenuEvent::Mouse, editor->rect().center(),
                                       editor->mapToGlobal(editor->rect().center()));
            QCoreApplication::sendEvent(editor, &onEditor);
            QTRY_COMPARE(menu->Seen(), 1);
            QList<QWidget*> widgets = dialog->findChildren<QWidget*>();
            widgets << dialog;
            for (QWidget* widget : widgets) {
                texts << widget->windowTitle() << widget->toolTip() << widget->statusTip() << widget->whatsThis()
                      << widget->accessibleName();
                if (auto* label = qobject_cast<QLabel*>(widget)) {
                    texts << label->text();
                } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
                    texts << button->text();
                } else if (auto* line = qobject_cast<QLineEdit*>(widget)) {
                    texts << line->placeholderText();
                }
                for (QAction* action : widget->actions()) {
                    texts << action->text() << action->toolTip();
                }
            }
        });
        QCOMPARE(treeMenus, 0);
        QVERIFY(texts.contains(u"新しいフォルダーの作成(&M)"_s) && texts.contains(u"キャンセル"_s) &&
                texts.contains(u"すべて選択(&A)"_s) && texts.contains(kPrompt));
        QStringList english;
        for (const QString& text : texts) {
            if (HasEnglish(text)) {
                english << text;
            }
        }
        QCOMPARE(english.join(u" | "_s), QString());
    }
};

FERRULE_UI_TEST(FolderDialogTest);

#include "FolderDialogTest.moc"
