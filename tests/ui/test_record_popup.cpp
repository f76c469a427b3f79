#include "vault_fixture.h"

#include "ui/common/secret_clipboard.h"
#include "ui/desktop/image_button.h"
#include "ui/popup/record_popup.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QMouseEvent>

using namespace tavrino;
using namespace tavrino::test;

namespace {

QStringList fields(const char* line) {
    return QString::fromUtf8(line).split(QLatin1Char('|'));
}

ImageButton* copyUserCode(const RecordPopup* popup) {
    return named<ImageButton>(popup, QStringLiteral("Copy User Code to Clipboard "));
}
ImageButton* copyPassword(const RecordPopup* popup) {
    return named<ImageButton>(popup, QStringLiteral("Copy Password to Clipboard "));
}
ImageButton* closeImage(const RecordPopup* popup) {
    return named<ImageButton>(popup, QStringLiteral("Close"));
}
QLineEdit* popupBox(const RecordPopup* popup, const char* name) {
    return named<QLineEdit>(popup, QString::fromLatin1(name));
}
LinkLabel* webLink(const RecordPopup* popup) {
    return popup->findChild<LinkLabel*>(QStringLiteral("webLink"));
}
LinkLabel* emailLink(const RecordPopup* popup) {
    return popup->findChild<LinkLabel*>(QStringLiteral("emailLink"));
}

// A mouse move straight to one control, wherever the platform puts windows.
void hover(QWidget* widget, QPoint at = {3, 3}) {
    QMouseEvent move(QEvent::MouseMove, QPointF(at), widget->mapToGlobal(QPointF(at)), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
}

TEST(RecordPopup, ShowsFiveValuesAndASecondRecordReplacesThemAll) {
    RecordingAddresses addresses;
    RecordPopup popup(addresses);
    int timerStarts = 0;
    popup.startCloseTimer = [&] { ++timerStarts; };
    popup.showRecord(fields(
        "4|Bank|Main|alice.k|Xy7!pq|notes|12/27|https://bank.example.com|alice@example.com"));
    EXPECT_TRUE(popup.isVisible());
    EXPECT_TRUE(popup.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(popup.windowTitle(), QStringLiteral("Tavrino Record"));
    EXPECT_EQ(popupBox(&popup, "User Code")->text(), QStringLiteral("alice.k"));
    EXPECT_EQ(popupBox(&popup, "Password")->text(), QStringLiteral("Xy7!pq"));
    EXPECT_EQ(popupBox(&popup, "Password")->echoMode(), QLineEdit::Password);
    EXPECT_TRUE(popupBox(&popup, "Password")->isReadOnly());
    EXPECT_EQ(popupBox(&popup, "Expiry date")->text(), QStringLiteral("12/27"));
    EXPECT_EQ(webLink(&popup)->text(), QStringLiteral("https://bank.example.com"));
    EXPECT_EQ(emailLink(&popup)->text(), QStringLiteral("alice@example.com"));

    popup.showRecord(fields("4||Other|bob|||||"));
    for (const QString& text : {popupBox(&popup, "Password")->text(), popupBox(&popup, "Expiry date")->text(),
                                webLink(&popup)->text(), emailLink(&popup)->text()})
        EXPECT_TRUE(text.isEmpty());
    EXPECT_EQ(popupBox(&popup, "User Code")->text(), QStringLiteral("bob"));
    EXPECT_EQ(timerStarts, 2);
    EXPECT_EQ(popup.size(), QSize(225, 143));
    EXPECT_FALSE(popup.mask().contains(QPoint(0, 0))) << "the blue outside is cut away";
    EXPECT_TRUE(popup.mask().contains(QPoint(100, 70)));
}

// The password is masked until the eye shows it, and masked again for the
// next record once the popup closes.
TEST(RecordPopup, ThePasswordShowsOnlyWhenAskedTo) {
    RecordingAddresses addresses;
    RecordPopup popup(addresses);
    popup.showRecord(fields("4|Bank|Main|alice|Xy7!pq||||"));
    QLineEdit* password = popupBox(&popup, "Password");
    ASSERT_EQ(password->actions().size(), 1);
    QAction* reveal = password->actions().first();
    EXPECT_EQ(reveal->text(), QStringLiteral("Show password"));
    reveal->trigger();
    EXPECT_EQ(password->echoMode(), QLineEdit::Normal);
    EXPECT_EQ(reveal->text(), QStringLiteral("Hide password"));
    password->selectAll();
    if (QGuiApplication::clipboard()->supportsSelection())
        QGuiApplication::clipboard()->setText(password->selectedText(), QClipboard::Selection);
    popup.close();
    EXPECT_EQ(password->echoMode(), QLineEdit::Password);
    if (QGuiApplication::clipboard()->supportsSelection()) {
        EXPECT_TRUE(QGuiApplication::clipboard()->text(QClipboard::Selection).isEmpty());
    }
}

TEST(RecordPopup, CopiesExactlyTheTextAndNothingWhenEmpty) {
    RecordingAddresses addresses;
    RecordPopup popup(addresses);
    popup.showRecord(fields("4|Bank|Main| alice |p w !||||"));
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setText(QStringLiteral("before"));
    QTest::mouseClick(copyPassword(&popup), Qt::LeftButton);
    EXPECT_EQ(clipboard->text(), QStringLiteral("p w !"));
    EXPECT_TRUE(popup.showsCopiedCursor());
    QTest::mouseClick(copyUserCode(&popup), Qt::LeftButton);
    EXPECT_EQ(clipboard->text(), QStringLiteral(" alice "));
    hover(&popup, QPoint(100, 2));
    EXPECT_FALSE(popup.showsCopiedCursor()) << "until the mouse moves over the background";

    popup.showRecord(fields("4|Bank|Main||||||"));
    QTest::mouseClick(copyPassword(&popup), Qt::LeftButton);
    EXPECT_EQ(clipboard->text(), QStringLiteral(" alice ")) << "an empty password copies nothing";
    EXPECT_TRUE(popup.showsCopiedCursor());
}

TEST(RecordPopup, OpensTheStoredAddressesAsTheyStand) {
    RecordingAddresses addresses;
    RecordPopup popup(addresses);
    popup.showRecord(fields("4||x|u|p|||www.example.com/a b|Alice <a@b.c>"));
    QTest::mouseClick(webLink(&popup), Qt::LeftButton);
    QTest::mouseClick(emailLink(&popup), Qt::LeftButton);
    EXPECT_EQ(addresses.opened, QStringList({QStringLiteral("www.example.com/a b"),
                                             QStringLiteral("mailto:Alice <a@b.c>")}));
    popup.showRecord(fields("4||x|u|p||||"));
    QTest::mouseClick(webLink(&popup), Qt::LeftButton);
    QTest::mouseClick(emailLink(&popup), Qt::LeftButton);
    EXPECT_EQ(addresses.opened.size(), 2) << "empty captions do nothing";
}

TEST(RecordPopup, APressOnALinkIsAClickNeverADrag) {
    RecordingAddresses addresses;
    RecordPopup popup(addresses);
    popup.showRecord(fields("4||x|u|p|||www.example.com|a@b.c"));
    const QPoint before = popup.pos();
    LinkLabel* link = webLink(&popup);
    QTest::mousePress(link, Qt::LeftButton, {}, QPoint(3, 3));
    QMouseEvent move(QEvent::MouseMove, QPointF(60, 40), link->mapToGlobal(QPointF(60, 40)),
                     Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(link, &move);
    QTest::mouseRelease(link, Qt::LeftButton, {}, QPoint(60, 40));
    EXPECT_EQ(popup.pos(), before) << "no drag";
    EXPECT_TRUE(addresses.opened.isEmpty()) << "released off the link: nothing opens";
    QTest::mouseClick(emailLink(&popup), Qt::LeftButton);
    EXPECT_EQ(addresses.opened, QStringList{QStringLiteral("mailto:a@b.c")}) << "just that one";
}

TEST(RecordPopup, HoverFacesFollowTheMouse) {
    RecordingAddresses addresses;
    RecordPopup popup(addresses);
    popup.showRecord(fields("4||x|u|p|||web|mail"));
    hover(copyUserCode(&popup));
    EXPECT_TRUE(popup.copyHighlighted(copyUserCode(&popup)));
    hover(copyPassword(&popup));
    EXPECT_TRUE(popup.copyHighlighted(copyPassword(&popup)));
    EXPECT_FALSE(popup.copyHighlighted(copyUserCode(&popup))) << "only the one under the mouse";
    hover(webLink(&popup));
    EXPECT_EQ(popup.linkColor(webLink(&popup)), RecordPopup::LinkHover);
    hover(emailLink(&popup));
    EXPECT_EQ(popup.linkColor(webLink(&popup)), RecordPopup::LinkNormal);
    EXPECT_EQ(popup.linkColor(emailLink(&popup)), RecordPopup::LinkHover);
    hover(closeImage(&popup));
    EXPECT_TRUE(popup.closeHighlighted());
    hover(&popup, QPoint(100, 2));
    EXPECT_FALSE(popup.closeHighlighted());
    EXPECT_FALSE(popup.copyHighlighted(copyPassword(&popup)));
    EXPECT_EQ(popup.linkColor(emailLink(&popup)), RecordPopup::LinkNormal);
    QTest::mouseClick(closeImage(&popup), Qt::LeftButton);
    EXPECT_FALSE(popup.isVisible());
}

TEST(RecordPopup, TreeRightClickOpensItForARecordNodeOnly) {
    VaultFixture f({QStringLiteral("Work")});
    VaultWindow& w = f.loginWork();
    f.tree()->setCurrentIndex(f.treeModel()->index(0, 0)); // the group "A"
    QTest::mouseClick(f.tree()->viewport(), Qt::RightButton, {}, QPoint(5, 5));
    EXPECT_FALSE(w.hasPopup() && w.popup()->isVisible());
    f.tree()->setCurrentIndex(f.treeModel()->indexOfKey(QStringLiteral("C8")));
    QTest::mouseClick(f.tree()->viewport(), Qt::RightButton, {}, QPoint(500, 500));
    ASSERT_TRUE(w.hasPopup());
    EXPECT_TRUE(w.popup()->isVisible());
    EXPECT_EQ(popupBox(w.popup(), "User Code")->text(), QStringLiteral("alice@example.com"));
    EXPECT_EQ(w.currentRecordKey(), QStringLiteral("C8"));
}

TEST(RecordPopup, EnterOnARecordNodeOpensTheRecord) {
    VaultFixture f({QStringLiteral("Work")});
    f.loginWork();
    f.tree()->setCurrentIndex(f.treeModel()->indexOfKey(QStringLiteral("C4")));
    QTest::keyClick(f.tree(), Qt::Key_Return);
    EXPECT_TRUE(f.recordPanel()->isVisible());
    EXPECT_EQ(f.box("User/Account Code")->text(), QStringLiteral("ninelives"));
}

} // namespace

namespace {

// A copy is marked secret for clipboard managers and taken back: after the
// timeout, when the popup closes; somebody else's clipboard text stays.
TEST(RecordPopup, CopiedSecretsAreMarkedAndTakenBack) {
    RecordingAddresses addresses;
    SecretClipboard secrets;
    secrets.setClearAfterMs(100);
    RecordPopup popup(addresses, &secrets);
    popup.showRecord(fields("4|Bank|Main|alice|p w !||||"));
    QClipboard* clipboard = QGuiApplication::clipboard();

    QTest::mouseClick(copyPassword(&popup), Qt::LeftButton);
    const QMimeData* data = clipboard->mimeData();
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->text(), QStringLiteral("p w !"));
    EXPECT_EQ(data->data(QStringLiteral("x-kde-passwordManagerHint")), QByteArray("secret"));
    QLabel* note = nullptr;
    for (QLabel* label : popup.findChildren<QLabel*>())
        if (label->accessibleName() == u"Clipboard") note = label;
    ASSERT_NE(note, nullptr);
    EXPECT_TRUE(note->isVisibleTo(&popup));
    EXPECT_EQ(note->text(), QStringLiteral("Clears in 1 s"));
    QTest::qWait(250);
    EXPECT_TRUE(clipboard->text().isEmpty()) << "gone after the timeout";

    QTest::mouseClick(copyUserCode(&popup), Qt::LeftButton);
    EXPECT_EQ(clipboard->text(), QStringLiteral("alice"));
    popup.closePopup();
    EXPECT_TRUE(clipboard->text().isEmpty()) << "gone with the popup";

    popup.showRecord(fields("4|Bank|Main|alice|p w !||||"));
    QTest::mouseClick(copyPassword(&popup), Qt::LeftButton);
    clipboard->setText(QStringLiteral("copied elsewhere"));
    popup.closePopup();
    EXPECT_EQ(clipboard->text(), QStringLiteral("copied elsewhere"));
}

} // namespace
