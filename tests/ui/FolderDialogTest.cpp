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
#include <QPointer>
#include <QRegularExpression>
#include <QTreeView>

#include <algorithm>
#include <iterator>

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
    /// The folder `name` of home, or home itself for "" or "~".
    QString Path(const QString& name = QString()) const {
        const QString home = QString::fromStdString(m_Folder.Path());
        return name.isEmpty() || name == u"~"_s ? home : QDir::toNativeSeparators(home + u'/' + name);
    }

private:
    TempFolder m_Folder;
    QByteArray m_Saved = qgetenv("HOME");
};

QTreeView* Tree(QWidget* dialog) {
    return dialog->findChild<QTreeView*>(u"tvwFolders"_s);
}
QFileSystemModel* Model(QWidget* dialog) {
    return static_cast<QFileSystemModel*>(Tree(dialog)->model());
}
QString CurrentPath(QWidget* dialog) {
    return QDir::toNativeSeparators(Model(dialog)->filePath(Tree(dialog)->currentIndex()));
}
// The names the tree shows below home, once they have all arrived and been sorted.
QStringList HomeFolders(QWidget* dialog) {
    const QModelIndex home = Model(dialog)->index(QDir::homePath());
    QStringList names;
    static_cast<void>(QTest::qWaitFor([&] {
        names.clear();
        for (int row = 0; row < Model(dialog)->rowCount(home); ++row) {
            names << Model(dialog)->index(row, 0, home).data().toString();
        }
        const QStringList onDisk = QDir(QDir::homePath()).entryList(QDir::AllDirs | QDir::NoDotAndDotDot);
        return names.size() == onDisk.size() && names.indexOf(u"beta"_s) == names.indexOf(u"alpha"_s) + 1;
    }));
    return names;
}
// Where the user clicks `index`: the middle of its row once the row is in view (the tree brings the start
// folder into view as the rows above it arrive).
QPoint RowCentre(QTreeView* tree, const QModelIndex& index) {
    static_cast<void>(QTest::qWaitFor([&] {
        const QRect row = tree->visualRect(index);
        return row.top() >= 0 && row.bottom() < tree->viewport()->height();
    }));
    return tree->visualRect(index).center();
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

// Does one thing the user does in the open dialog: "click NAME" or "ctrl-click NAME" (a folder of home, "~"
// for home), "press TEXT" (the button whose text starts so), "key NAME" (to the widget with the focus; Return or Escape
// also closes the name editor), "type TEXT" (keys for ASCII, what an input method commits for Japanese), "wait for the
// editor" (offered again after a refusal), "check open", or "delete NAME" (the folder goes from the disk behind the
// tree's back).
void Do(QWidget* dialog, const QString& step) {
    const QString verb = step.section(u' ', 0, 0), what = step.section(u' ', 1);
    // The dialog's focus widget: the one keys go to once the dialog is active again (the offscreen platform
    // does not activate it again after a message box).
    QWidget* focus = dialog->focusWidget() != nullptr ? dialog->focusWidget() : Tree(dialog);
    if (verb == u"click"_s || verb == u"ctrl-click"_s) {
        const QString path = QDir::homePath() + (what == u"~"_s ? QString() : u'/' + what);
        const QModelIndex index = Model(dialog)->index(path);
        QVERIFY2(index.isValid(), qPrintable(step));
        QTest::mouseClick(Tree(dialog)->viewport(), Qt::LeftButton,
                          verb == u"click"_s ? Qt::NoModifier : Qt::ControlModifier, RowCentre(Tree(dialog), index));
        QCOMPARE(Tree(dialog)->currentIndex(), index);
    } else if (verb == u"press"_s) {
        const QList<QPushButton*> buttons = dialog->findChildren<QPushButton*>();
        const auto button = std::find_if(buttons.begin(), buttons.end(),
                                         [&](QPushButton* candidate) { return candidate->text().startsWith(what); });
        QVERIFY2(button != buttons.end(), qPrintable(step));
        QTest::mouseClick(*button, Qt::LeftButton);
    } else if (verb == u"key"_s) {
        const QPointer<QLineEdit> editor = NameEditor(dialog) == focus ? NameEditor(dialog) : nullptr;
        const auto key = static_cast<Qt::Key>(QKeySequence(what)[0].key());
        QTest::keyClick(focus, key);
        if (editor != nullptr && (key == Qt::Key_Return || key == Qt::Key_Escape)) {
            QTRY_VERIFY(editor == nullptr || !editor->isVisible()); // as the user sees the editor close
        }
    } else if (verb == u"type"_s) {
        QVERIFY2(focus == NameEditor(dialog), qPrintable(step));
        if (std::all_of(what.begin(), what.end(), [](QChar c) { return c.unicode() < 0x80; })) {
            QTest::keyClicks(focus, what);
        } else {
            QInputMethodEvent commit;
            commit.setCommitString(what);
            QCoreApplication::sendEvent(focus, &commit);
        }
    } else if (step == u"wait for the editor"_s) {
        QTRY_VERIFY(NameEditor(dialog) != nullptr && dialog->focusWidget() == NameEditor(dialog));
    } else if (step == u"check open"_s) {
        QVERIFY(dialog->isVisible());
    } else if (verb == u"delete"_s) {
        QVERIFY(QDir(QDir::homePath()).rmdir(what));
    } else {
        QFAIL(qPrintable(u"unknown step: "_s + step));
    }
}

// Shows the dialog of `browser` and hands it to `act` once home's folders are listed; a dialog `act` leaves
// open is cancelled.
std::pair<bool, QString> Show(clsSHBrowseForFolder& browser, const std::function<void(QWidget*)>& act) {
    Watcher opened([] { return qobject_cast<frmBrowseForFolder*>(QApplication::activeModalWidget()); },
                   [&](QWidget* dialog) {
                       HomeFolders(dialog);
                       act(dialog);
                       if (dialog->isVisible()) {
                           static_cast<QDialog*>(dialog)->reject();
                       }
                   });
    const bool confirmed = browser.ShowDialog();
    return {confirmed, QString::fromStdString(browser.PathName())};
}

// True when `text` holds a Latin letter other than an access key "(&X)" (shown "(X)" in tips) or the word OK.
bool HasEnglish(QString text) {
    text.remove(QRegularExpression(u"\\(&?[A-Z]\\)"_s)).remove(QRegularExpression(u"\\bOK\\b"_s));
    return text.contains(QRegularExpression(u"[A-Za-z]"_s));
}

struct ChoiceRow {
    const char* name;
    QString steps; // separated by "; "
    bool confirmed;
    QString folder;  // of home; "~" for home itself
    QString made;    // the folders of home on the disk at the end that were not there at the start
    QString message; // the message box shown, if any, as "icon|text"
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
            // Rooted at the file system's root, names only; home selected, expanded and in view, showing its
            // folders but neither the hidden folder nor the file.
            QCOMPARE(Model(dialog)->filePath(tree->model()->index(0, 0, tree->rootIndex())), QDir::rootPath());
            QVERIFY(tree->isHeaderHidden());
            for (int column = 1; column < tree->model()->columnCount(); ++column) {
                QVERIFY(tree->isColumnHidden(column));
            }
            QCOMPARE(CurrentPath(dialog), home.Path());
            QVERIFY(tree->selectionModel()->isSelected(tree->currentIndex()));
            QVERIFY(tree->isExpanded(tree->currentIndex()));
            QCOMPARE(HomeFolders(dialog), (QStringList{u"alpha"_s, u"beta"_s, u"資料"_s}));
            QTRY_VERIFY(tree->visualRect(tree->currentIndex()).top() >= 0 &&
                        tree->visualRect(tree->currentIndex()).bottom() < tree->viewport()->height());
        });
    }

    void givesTheFolderTheUserChoseAndOpensNextOnIt_data() {
        const QString made = u"新しいフォルダー"_s;
        const QString makeNew = u"press 新しいフォルダー; wait for the editor; "_s;
        const QString refused = u"key Return; wait for the editor; key Escape; key Return"_s;
        AddRows<ChoiceRow>({
            {"click, OK", u"click beta; press OK"_s, true, u"beta"_s, {}, {}},
            {"keys down, Enter", u"key Down; key Down; key Return"_s, true, u"beta"_s, {}, {}},
            {"Japanese name, keypad Enter", u"click 資料; key Enter"_s, true, u"資料"_s, {}, {}},
            {"Enter at once", u"key Return"_s, true, u"~"_s, {}, {}},
            {"Escape", u"click beta; key Escape"_s, false, {}, {}, {}},
            {"キャンセル", u"click alpha; press キャンセル"_s, false, {}, {}, {}},
            {"none selected: OK off", u"ctrl-click ~; key Return; check open"_s, false, {}, {}, {}},
            {"new folder", makeNew + u"key Escape; check open; key Return"_s, true, made, made, {}},
            {"second new folder",
             makeNew + u"key Escape; click ~; "_s + makeNew + u"press OK"_s,
             true,
             u"新しいフォルダー (2)"_s,
             u"新しいフォルダー, 新しいフォルダー (2)"_s,
             {}},
            {"renamed",
             makeNew + u"type データ; key Return; check open; press OK"_s,
             true,
             u"データ"_s,
             u"データ"_s,
             {}},
            {"blanks trimmed", makeNew + u"type  写真 ; key Return; key Return"_s, true, u"写真"_s, u"写真"_s, {}},
            {"blank kept", makeNew + u"type   ; key Return; key Return"_s, true, made, made, {}},
            {"taken name", makeNew + u"type alpha; "_s + refused, true, made, made,
             u"2|この場所には既に「alpha」という名前のファイルまたはフォルダーがあります。"_s},
            {"separator", makeNew + u"type a/b; "_s + refused, true, made, made,
             u"2|ファイル名には次の文字は使えません:\n/"_s},
            {"folder gone",
             u"click alpha; delete alpha; press 新しいフォルダー; key Escape"_s,
             false,
             {},
             {},
             u"3|「HOME/alpha」に新しいフォルダーを作成できませんでした。"_s},
        });
    }

    void givesTheFolderTheUserChoseAndOpensNextOnIt() {
        QFETCH(ChoiceRow, row);
        HomeFolder home;
        clsSHBrowseForFolder browser;
        MessageBoxes boxes;
        const auto chosen = Show(browser, [&](QWidget* dialog) {
            for (const QString& step : row.steps.split(u"; "_s)) {
                Do(dialog, step);
                if (QTest::currentTestFailed()) {
                    return;
                }
            }
        });
        QCOMPARE(chosen, std::pair(row.confirmed, row.confirmed ? home.Path(row.folder) : QString()));
        QCOMPARE(boxes.shown.join(u'\n').replace(home.Path(), u"HOME"_s),
                 row.message.isEmpty() ? QString() : u"フォルダーの参照|"_s + row.message);
        QStringList made = QDir(home.Path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        made.removeIf([](const QString& name) { return QStringList{u"alpha"_s, u"beta"_s, u"資料"_s}.contains(name); });
        QCOMPARE(made.join(u", "_s), row.made);
        // The next dialog opens on the folder confirmed, or on home after a cancel.
        QString start;
        Show(browser, [&](QWidget* dialog) { start = CurrentPath(dialog); });
        QCOMPARE(start, home.Path(row.confirmed ? row.folder : QString()));
    }

    void noEnglishWordOnTheDialogItsMenusAndTips() {
        HomeFolder home;
        clsSHBrowseForFolder browser;
        browser.setTitle(kPrompt.toStdString());
        QStringList texts;
        int treeMenus = 0;
        Show(browser, [&](QWidget* dialog) {
            // The tree has no menu of its own; the name editor has the edit menu.
            auto none = OnPopup([&](QMenu* menu) {
                ++treeMenus;
                menu->close();
            });
            const QPoint atTree = RowCentre(Tree(dialog), Tree(dialog)->currentIndex());
            QContextMenuEvent onTree(QContextMenuEvent::Mouse, atTree, Tree(dialog)->viewport()->mapToGlobal(atTree));
            QCoreApplication::sendEvent(Tree(dialog)->viewport(), &onTree);
            QTest::qWait(50);
            none.reset();
            Do(dialog, u"press 新しいフォルダー"_s);
            Do(dialog, u"wait for the editor"_s);
            QLineEdit* editor = NameEditor(dialog);
            auto menu = OnPopup([&](QMenu* popup) {
                for (QAction* action : popup->actions()) {
                    texts << action->text() << action->toolTip();
                }
                QTest::keyClick(popup, Qt::Key_Escape);
            });
            const QPoint atEditor = editor->rect().center();
            QContextMenuEvent onEditor(QContextMenuEvent::Mouse, atEditor, editor->mapToGlobal(atEditor));
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
        std::copy_if(texts.begin(), texts.end(), std::back_inserter(english), HasEnglish);
        QCOMPARE(english.join(u" | "_s), QString());
    }
};

FERRULE_UI_TEST(FolderDialogTest);

#include "FolderDialogTest.moc"
