#include "vault_fixture.h"

#include "ui/common/secret_clipboard.h"
#include "ui/popup/record_popup.h"

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
    popup.startTimer = [&] { ++timerStarts; };
    popup.GetItem(fields(
        "4|Bank|Main|alice.k|Xy7!pq|notes|12/27|https://bank.example.com|alice@example.com"));
    EXPECT_TRUE(popup.isVisible());
    EXPECT_TRUE(popup.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(popup.windowTitle(), QStringLiteral("Tavrino Record"));
    EXPECT_EQ(popup.txtcode->text(), QStringLiteral("alice.k"));
    EXPECT_EQ(popup.txtpass->text(), QStringLiteral("Xy7!pq"));
    EXPECT_EQ(popup.txtpass->echoMode(), QLineEdit::Normal);
    EXPECT_TRUE(popup.txtpass->isReadOnly());
    EXPECT_EQ(popup.txtExpiryDate->text(), QStringLiteral("12/27"));
    EXPECT_EQ(popup.lblWeb->text(), QStringLiteral("https://bank.example.com"));
    EXPECT_EQ(popup.lblEmail->text(), QStringLiteral("alice@example.com"));

    popup.GetItem(fields("4||Other|bob|||||"));
    for (const QString& text : {popup.txtpass->text(), popup.txtExpiryDate->text(),
                                popup.lblWeb->text(), popup.lblEmail->text()})
        EXPECT_TRUE(text.isEmpty());
    EXPECT_EQ(popup.txtcode->text(), QStringLiteral("bob"));
    EXPECT_EQ(timerStarts, 2);
    EXPECT_EQ(popup.size(), QSize(225, 143));
    EXPECT_FALSE(popup.mask().contains(QPoint(0, 0))) << "the blue outside is cut away";
    EXPECT_TRUE(popup.mask().contains(QPoint(100, 70)));
}

TEST(RecordPopup, CopiesExactlyTheTextAndNothingWhenEmpty) {
    RecordingAddresses addresses;
    RecordPopup popup(addresses);
    popup.GetItem(fields("4|Bank|Main| alice |p w !||||"));
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setText(QStringLiteral("before"));
    QTest::mouseClick(popup.ImgPass, Qt::LeftButton);
    EXPECT_EQ(clipboard->text(), QStringLiteral("p w !"));
    EXPECT_TRUE(popup.showsCopiedCursor());
    QTest::mouseClick(popup.ImgCopyUser, Qt::LeftButton);
    EXPECT_EQ(clipboard->text(), QStringLiteral(" alice "));
    hover(&popup, QPoint(100, 2));
    EXPECT_FALSE(popup.showsCopiedCursor()) << "until the mouse moves over the background";

    popup.GetItem(fields("4|Bank|Main||||||"));
    QTest::mouseClick(popup.ImgPass, Qt::LeftButton);
    EXPECT_EQ(clipboard->text(), QStringLiteral(" alice ")) << "an empty password copies nothing";
    EXPECT_TRUE(popup.showsCopiedCursor());
}

TEST(RecordPopup, OpensTheStoredAddressesAsTheyStand) {
    RecordingAddresses addresses;
    RecordPopup popup(addresses);
    popup.GetItem(fields("4||x|u|p|||www.example.com/a b|Alice <a@b.c>"));
    QTest::mouseClick(popup.lblWeb, Qt::LeftButton);
    QTest::mouseClick(popup.lblEmail, Qt::LeftButton);
    EXPECT_EQ(addresses.opened, QStringList({QStringLiteral("www.example.com/a b"),
                                             QStringLiteral("mailto:Alice <a@b.c>")}));
    popup.GetItem(fields("4||x|u|p||||"));
    QTest::mouseClick(popup.lblWeb, Qt::LeftButton);
    QTest::mouseClick(popup.lblEmail, Qt::LeftButton);
    EXPECT_EQ(addresses.opened.size(), 2) << "empty captions do nothing";
}

TEST(RecordPopup, HoverFacesFollowTheMouse) {
    RecordingAddresses addresses;
    RecordPopup popup(addresses);
    popup.GetItem(fields("4||x|u|p|||web|mail"));
    hover(popup.ImgCopyUser);
    EXPECT_TRUE(popup.copyHighlighted(popup.ImgCopyUser));
    hover(popup.ImgPass);
    EXPECT_TRUE(popup.copyHighlighted(popup.ImgPass));
    EXPECT_FALSE(popup.copyHighlighted(popup.ImgCopyUser)) << "only the one under the mouse";
    hover(popup.lblWeb);
    EXPECT_EQ(popup.linkColor(popup.lblWeb), RecordPopup::LinkHover);
    hover(popup.lblEmail);
    EXPECT_EQ(popup.linkColor(popup.lblWeb), RecordPopup::LinkNormal);
    EXPECT_EQ(popup.linkColor(popup.lblEmail), RecordPopup::LinkHover);
    hover(popup.cmdClose);
    EXPECT_TRUE(popup.closeHighlighted());
    hover(&popup, QPoint(100, 2));
    EXPECT_FALSE(popup.closeHighlighted());
    EXPECT_FALSE(popup.copyHighlighted(popup.ImgPass));
    EXPECT_EQ(popup.linkColor(popup.lblEmail), RecordPopup::LinkNormal);
    QTest::mouseClick(popup.cmdClose, Qt::LeftButton);
    EXPECT_FALSE(popup.isVisible());
}

TEST(RecordPopup, TreeRightClickOpensItForARecordNodeOnly) {
    VaultFixture f({QStringLiteral("Work")});
    VaultWindow& w = f.loginWork();
    w.TV1->setCurrentIndex(w.treeModel->index(0, 0)); // the group "A"
    QTest::mouseClick(w.TV1->viewport(), Qt::RightButton, {}, QPoint(5, 5));
    EXPECT_FALSE(w.hasPopup() && w.popup()->isVisible());
    w.TV1->setCurrentIndex(w.treeModel->indexOfKey(QStringLiteral("C8")));
    QTest::mouseClick(w.TV1->viewport(), Qt::RightButton, {}, QPoint(500, 500));
    ASSERT_TRUE(w.hasPopup());
    EXPECT_TRUE(w.popup()->isVisible());
    EXPECT_EQ(w.popup()->txtcode->text(), QStringLiteral("alice@example.com"));
    EXPECT_EQ(w.CurrentRecordKey, QStringLiteral("C8"));
}

TEST(RecordPopup, EnterOnARecordNodeOpensTheRecord) {
    VaultFixture f({QStringLiteral("Work")});
    VaultWindow& w = f.loginWork();
    w.TV1->setCurrentIndex(w.treeModel->indexOfKey(QStringLiteral("C4")));
    QTest::keyClick(w.TV1, Qt::Key_Return);
    EXPECT_TRUE(w.fraDetail->isVisible());
    EXPECT_EQ(w.txtUserCode->text(), QStringLiteral("ninelives"));
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
    popup.GetItem(fields("4|Bank|Main|alice|p w !||||"));
    QClipboard* clipboard = QGuiApplication::clipboard();

    QTest::mouseClick(popup.ImgPass, Qt::LeftButton);
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

    QTest::mouseClick(popup.ImgCopyUser, Qt::LeftButton);
    EXPECT_EQ(clipboard->text(), QStringLiteral("alice"));
    popup.cmdClose_Click();
    EXPECT_TRUE(clipboard->text().isEmpty()) << "gone with the popup";

    popup.GetItem(fields("4|Bank|Main|alice|p w !||||"));
    QTest::mouseClick(popup.ImgPass, Qt::LeftButton);
    clipboard->setText(QStringLiteral("copied elsewhere"));
    popup.cmdClose_Click();
    EXPECT_EQ(clipboard->text(), QStringLiteral("copied elsewhere"));
}

} // namespace
