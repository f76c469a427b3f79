#include "vault_fixture.h"

#include "ui/common/secret_clipboard.h"
#include "ui/vault/records_window.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QListWidget>

using namespace tavrino;
using namespace tavrino::test;

namespace {

// Keys go where the focus is, as they would from a keyboard.
void press(QKeySequence keys) {
    QWidget* target = QApplication::focusWidget();
    ASSERT_NE(target, nullptr);
    const QKeyCombination k = keys[0];
    QTest::keyClick(target, k.key(), k.keyboardModifiers());
}
void typeText(const QString& text) {
    QTest::keyClicks(QApplication::focusWidget(), text);
}

// Every command of a session without the mouse: log in, add a record,
// save, open the popup and copy, lock, and log in by the questions.
TEST(Keyboard, AWholeSessionWithoutTheMouse) {
    VaultFixture f({QStringLiteral("Home")});
    VaultWindow& w = f.start();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    ASSERT_EQ(QApplication::focusWidget(), f.box("Password"));
    typeText(QStringLiteral("QUILT"));
    press(Qt::Key_Return);
    ASSERT_TRUE(f.session.loginOk);

    press(Qt::ALT | Qt::Key_N);
    ASSERT_EQ(QApplication::focusWidget(), f.box("User/Account Code"));
    typeText(QStringLiteral("kb.user"));
    press(Qt::Key_Tab); // category
    press(Qt::Key_Tab);
    typeText(QStringLiteral("Typed only"));
    press(Qt::Key_Tab);
    typeText(QStringLiteral("k3y"));
    press(Qt::Key_Tab);
    typeText(QStringLiteral("k3y"));
    press(Qt::Key_Return);
    ASSERT_EQ(f.profile.Records.count(), 1);
    EXPECT_EQ(f.record(1)[PasswordRecord::Description], QStringLiteral("Typed only"));
    EXPECT_FALSE(w.isDirty());

    press(Qt::ALT | Qt::Key_P);
    ASSERT_TRUE(w.hasPopup() && w.popup()->isVisible());
    ASSERT_TRUE(QTest::qWaitForWindowActive(w.popup()));
    press(Qt::Key_Space); // the user code's copy image has the focus
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("kb.user"));
    press(Qt::Key_Tab);
    press(Qt::Key_Return);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("k3y"));
    press(Qt::Key_Escape);
    EXPECT_FALSE(w.popup()->isVisible());

    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    press(Qt::Key_Escape); // BACK
    EXPECT_EQ(w.view(), VaultView::Tree);
    press(Qt::CTRL | Qt::Key_L);
    EXPECT_FALSE(f.session.loginOk);
    EXPECT_TRUE(QGuiApplication::clipboard()->text().isEmpty());

    press(Qt::ALT | Qt::Key_Q); // LOST
    ASSERT_EQ(QApplication::focusWidget(), f.answer(0));
    typeText(QStringLiteral("QUILT"));
    press(Qt::Key_Return);
    EXPECT_TRUE(f.session.loginOk);
}

// Finding a record by keyboard: Ctrl+F, a few letters of its web site,
// Down to the second one found, Enter opens it; back, the results are still
// there; Alt+P opens the popup of the one chosen; Escape returns to the tree.
// Copying needs no popup: Ctrl+C copies the chosen record's password and
// Ctrl+B its user code, from the tree and from the search results, through
// the clipboard that takes secrets back.
TEST(Keyboard, CopyKeysOnTheTreeAndTheResults) {
    VaultFixture f({QStringLiteral("Work")});
    VaultWindow& w = f.loginWork();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    QClipboard* clipboard = QGuiApplication::clipboard();
    f.tree()->setFocus();
    f.tree()->setCurrentIndex(f.treeModel()->indexOfKey(QStringLiteral("C5")));
    const PasswordRecord fifth = PasswordRecord::fromLine(f.profile.Records.item(5));
    press(Qt::CTRL | Qt::Key_C);
    EXPECT_EQ(clipboard->text(), fifth[PasswordRecord::Password]);
    EXPECT_TRUE(w.clipboard().holdsSecret());
    press(Qt::CTRL | Qt::Key_B);
    EXPECT_EQ(clipboard->text(), fifth[PasswordRecord::UserCode]);

    press(QKeySequence::Find);
    typeText(QStringLiteral("webm"));
    ASSERT_EQ(w.treePanel().results()->count(), 1);
    press(Qt::Key_Down);
    press(Qt::CTRL | Qt::Key_C);
    EXPECT_EQ(clipboard->text(), QStringLiteral("Tr0ub4dor&3"));
    EXPECT_EQ(w.view(), VaultView::Tree) << "nothing opened";
}

TEST(Keyboard, SearchFindsOpensAndPopsUp) {
    VaultFixture f({QStringLiteral("Work")});
    VaultWindow& w = f.loginWork();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    press(QKeySequence::Find);
    QLineEdit* search = w.treePanel().searchBox();
    ASSERT_EQ(QApplication::focusWidget(), search);
    EXPECT_EQ(search->accessibleName(), QStringLiteral("Search"));
    typeText(QStringLiteral("EXAMPLE.C"));
    QListWidget* results = w.treePanel().results();
    ASSERT_TRUE(results->isVisible());
    EXPECT_FALSE(f.tree()->isVisible());
    QStringList shown;
    for (int i = 0; i < results->count(); ++i)
        shown << results->item(i)->text();
    EXPECT_EQ(shown, (QStringList{QStringLiteral("Main checking  (Web Site: https://bank.example.com)"),
                                  QStringLiteral("Mailbox  (Email: alice@example.com)"),
                                  QStringLiteral("Webmail  (User/Account Code: alice@example.com)"),
                                  QStringLiteral("Shop  (Web Site: https://shop.example.com/login?next=/ca…)"),
                                  QStringLiteral("Old mail  (Email: old@example.com)")}));
    press(Qt::Key_Down);
    press(Qt::Key_Return);
    EXPECT_EQ(w.view(), VaultView::Record);
    EXPECT_EQ(f.box("Description")->text(), QStringLiteral("Mailbox"));

    press(Qt::Key_Escape); // BACK
    EXPECT_EQ(w.view(), VaultView::Tree);
    EXPECT_TRUE(results->isVisible()) << "the results are kept";
    search->setFocus();
    search->clear();
    typeText(QStringLiteral("webm"));
    ASSERT_EQ(results->count(), 1);
    press(Qt::ALT | Qt::Key_P);
    ASSERT_TRUE(w.hasPopup() && w.popup()->isVisible());
    EXPECT_EQ(named<QLineEdit>(w.popup(), QStringLiteral("User Code"))->text(),
              QStringLiteral("alice@example.com"));
    w.popup()->close();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    search->setFocus();
    press(Qt::Key_Escape);
    EXPECT_TRUE(search->text().isEmpty());
    EXPECT_TRUE(f.tree()->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), f.tree());
    EXPECT_FALSE(w.isDirty());

    typeText(QStringLiteral("zzz")); // in the tree: type-ahead, not a search
    EXPECT_TRUE(f.tree()->isVisible());
}

// Many records at once: the records window (Ctrl+Shift+F) lists them all in
// a table as large as one likes, searches like the vault, opens the chosen
// record in the vault with Enter, and empties and closes with a lock.
TEST(Keyboard, TheRecordsWindowListsSearchesAndOpens) {
    VaultFixture f({QStringLiteral("Work")});
    VaultWindow& w = f.loginWork();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    press(Qt::CTRL | Qt::SHIFT | Qt::Key_F);
    RecordsWindow* list = w.recordsWindow();
    ASSERT_TRUE(list->isVisible());
    ASSERT_TRUE(QTest::qWaitForWindowActive(list));
    EXPECT_EQ(QApplication::focusWidget(), list->searchBox()) << "the search box has the focus";
    QAbstractItemModel* rows = list->table()->model();
    EXPECT_EQ(rows->rowCount(), 12);
    EXPECT_EQ(rows->columnCount(), 6) << "never the password";
    EXPECT_EQ(named<QLabel>(list, QStringLiteral("Records shown"))->text(), QStringLiteral("12 records"));
    list->resize(1000, 900);
    EXPECT_GE(list->table()->height(), 700) << "as large as the user makes it";

    typeText(QStringLiteral("example.c"));
    EXPECT_EQ(rows->rowCount(), 5);
    EXPECT_EQ(named<QLabel>(list, QStringLiteral("Records shown"))->text(),
              QStringLiteral("5 of 12 records found"));
    press(Qt::Key_Down);
    EXPECT_EQ(rows->index(list->table()->currentIndex().row(), 0).data().toString(), QStringLiteral("Mailbox"));
    press(Qt::Key_Return);
    EXPECT_EQ(w.view(), VaultView::Record);
    EXPECT_EQ(f.box("Description")->text(), QStringLiteral("Mailbox"));

    QTest::mouseClick(f.image("Lock Tavrino"), Qt::LeftButton);
    EXPECT_FALSE(list->isVisible());
    EXPECT_EQ(rows->rowCount(), 0);
    EXPECT_TRUE(list->searchBox()->text().isEmpty());
}

TEST(Keyboard, TabReachesEveryShownCommandAndSpacePressesIt) {
    VaultFixture f({QStringLiteral("Work")});
    VaultWindow& w = f.loginWork();
    f.openRecord(1);
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    QSet<QWidget*> reached;
    for (int i = 0; i < 40; ++i) {
        reached.insert(QApplication::focusWidget());
        press(Qt::Key_Tab);
    }
    for (FlatButton* b : w.commandBars().buttons()) {
        if (b->isVisible()) {
            EXPECT_TRUE(reached.contains(b)) << b->caption().toStdString();
        }
    }
    for (const char* image : {"Lock Tavrino", "Hide Tavrino", "Close Tavrino"})
        EXPECT_TRUE(reached.contains(f.image(image))) << image;
    EXPECT_FALSE(reached.contains(f.tree())) << "hidden panels are out of the Tab order";

    f.type(f.box("Description"), QStringLiteral("Changed"));
    FlatButton* undo = f.button(CommandBars::Undo);
    undo->setFocus();
    press(Qt::Key_Space);
    EXPECT_FALSE(w.isDirty());
}

TEST(Keyboard, ScreenReadersSeeDrawnCommandsAsButtonsWithAPressAction) {
    VaultFixture f({QStringLiteral("Work")});
    VaultWindow& w = f.loginWork();
    f.openRecord(1);
    QList<QWidget*> commands{f.image("Lock Tavrino"), f.image("Hide Tavrino")};
    for (FlatButton* b : w.commandBars().buttons())
        commands << b;
    for (QWidget* command : commands) {
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(command);
        ASSERT_NE(a, nullptr);
        EXPECT_EQ(a->role(), QAccessible::Button) << command->accessibleName().toStdString();
        EXPECT_FALSE(a->text(QAccessible::Name).isEmpty());
        ASSERT_NE(a->actionInterface(), nullptr);
        EXPECT_TRUE(a->actionInterface()->actionNames().contains(
            QAccessibleActionInterface::pressAction()));
    }
    QAccessibleInterface* save = QAccessible::queryAccessibleInterface(f.button(CommandBars::Save));
    EXPECT_EQ(save->actionInterface()->keyBindingsForAction(QAccessibleActionInterface::pressAction()),
              QStringList{QStringLiteral("Ctrl+S")});

    // The press action does what a click does.
    f.type(f.box("Description"), QStringLiteral("Pressed by a screen reader"));
    save->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_FALSE(w.isDirty());
    EXPECT_EQ(f.record(12)[PasswordRecord::Description], QStringLiteral("Pressed by a screen reader"));

    EXPECT_EQ(f.combo("Category")->lineEdit()->accessibleName(), QStringLiteral("Category"));
    // Hidden panels are out of the screen reader's reach.
    QAccessibleInterface* window = QAccessible::queryAccessibleInterface(&w);
    EXPECT_EQ(window->role(), QAccessible::Window);
    QStringList reachable;
    for (int i = 0; i < window->childCount(); ++i)
        reachable << window->child(i)->text(QAccessible::Name);
    EXPECT_TRUE(reachable.contains(QStringLiteral("Record")));
    EXPECT_FALSE(reachable.contains(QStringLiteral("Login")));
    QTest::mousePress(f.button(CommandBars::Popup), Qt::LeftButton);
    QWidget* web = w.popup()->findChild<QWidget*>(QStringLiteral("webLink"));
    QAccessibleInterface* link = QAccessible::queryAccessibleInterface(web);
    EXPECT_EQ(link->role(), QAccessible::Link);
    EXPECT_TRUE(link->text(QAccessible::Name).startsWith(QStringLiteral("Web Site ")));
    EXPECT_TRUE(link->text(QAccessible::Name).endsWith(f.record(12)[PasswordRecord::WebSite]));
}

} // namespace
