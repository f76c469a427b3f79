// The vault window's fixed layout: panels at their places, every control
// with its caption, tooltip, limits and tab order.
#include "vault_window.h"

#include "ui/desktop/flat_button.h"
#include "ui/desktop/image_button.h"
#include "ui/tree/record_tree_view.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeView>

namespace tavrino {

namespace {

constexpr int Twips = 15;
QRect twips(int left, int top, int width, int height) {
    return {left / Twips, top / Twips, width / Twips, height / Twips};
}

QFrame* panel(QWidget* parent, const QString& name, const QRect& place) {
    auto* frame = new QFrame(parent);
    frame->setObjectName(name);
    frame->setGeometry(place);
    frame->setFrameShape(QFrame::NoFrame);
    frame->setMouseTracking(true);
    // Opaque, in the colour of the picture's panel: overlapping panels hide
    // the ones beneath them.
    QPalette pal = frame->palette();
    pal.setColor(QPalette::Window, QColor(0xf2, 0xf4, 0xfa));
    frame->setPalette(pal);
    frame->setAutoFillBackground(true);
    return frame;
}

QLabel* caption(QWidget* parent, const QString& text, int x, int y, int w = 250) {
    auto* label = new QLabel(text, parent);
    label->setGeometry(x, y, w, 15);
    return label;
}

QLineEdit* box(QWidget* parent, QLabel* label, int x, int y, int w) {
    auto* edit = new QLineEdit(parent);
    edit->setGeometry(x, y, w, 22);
    if (label) label->setBuddy(edit);
    edit->setAccessibleName(label ? label->text() : QString());
    return edit;
}

FlatButton* flatButton(QWidget* bar, int slot, const QString& tip) {
    auto* button = new FlatButton(bar);
    button->setGeometry(5 + slot * 66, 10, 60, 26);
    button->setToolTip(tip);
    return button;
}

} // namespace

void VaultWindow::buildLoginPanel() {
    fraLogin = panel(this, QStringLiteral("fraLogin"), twips(705, 1470, 4065, 4005));
    fraLogin->setAccessibleName(QStringLiteral("Login"));
    const int w = 251;
    lblProfileprompt = caption(fraLogin, QStringLiteral("Choose a profile to open !"), 10, 4);
    cboProfile = new QComboBox(fraLogin);
    cboProfile->setGeometry(10, 20, w, 24);
    lblProfileprompt->setBuddy(cboProfile);
    cboProfile->setAccessibleName(lblProfileprompt->text());

    lblUser = caption(fraLogin, QStringLiteral("User ID"), 10, 50);
    txtUser = box(fraLogin, lblUser, 10, 66, w);
    lblPassword = caption(fraLogin, QStringLiteral("Password"), 10, 92);
    txtpass = box(fraLogin, lblPassword, 10, 108, w);
    txtpass->setEchoMode(QLineEdit::Password);
    lblPin = caption(fraLogin, QStringLiteral("PIN Number"), 10, 134);
    txtPin = box(fraLogin, lblPin, 10, 150, w);
    for (QLineEdit* e : {txtUser, txtpass, txtPin})
        e->setMaxLength(30);

    for (int k = 0; k < 3; ++k) {
        lblQ1[k] = caption(fraLogin, QString(), 10, 176 + k * 30);
        txtAns[k] = box(fraLogin, nullptr, 10, 191 + k * 30, w);
        txtAns[k]->resize(w, 20);
        txtAns[k]->setAccessibleName(QStringLiteral("Answer %1").arg(k + 1));
        lblQ1[k]->setBuddy(txtAns[k]);
        lblQ1[k]->hide();
        txtAns[k]->hide();
    }
    setTabOrder(cboProfile, txtUser);
    setTabOrder(txtUser, txtpass);
    setTabOrder(txtpass, txtPin);
    setTabOrder(txtPin, txtAns[0]);
    setTabOrder(txtAns[0], txtAns[1]);
    setTabOrder(txtAns[1], txtAns[2]);

    connect(cboProfile, &QComboBox::activated, this, [this] { cboProfile_Click(); });
    for (QLineEdit* e : {txtUser, txtpass, txtPin})
        connect(e, &QLineEdit::returnPressed, this, [this] { UCLoginBtn_Click(); });
}

void VaultWindow::buildTreePanel() {
    fraTV = panel(this, QStringLiteral("fraTV"), twips(690, 1470, 4065, 4140));
    TV1 = new QTreeView(fraTV);
    treeModel = new RecordTreeModel(TV1);
    TV1->setModel(treeModel);
    TV1->setGeometry(4, 2, fraTV->width() - 8, fraTV->height() - 4);
    TV1->setHeaderHidden(true);
    TV1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TV1->setAccessibleName(QStringLiteral("Records"));
    TV1->setUniformRowHeights(true);
    TV1->setFrameShape(QFrame::NoFrame);
    QPalette pal = TV1->palette();
    pal.setColor(QPalette::Base, QColor(0xf2, 0xf4, 0xfa));
    TV1->setPalette(pal);
    TV1->setMouseTracking(true);
}

void VaultWindow::buildDetailPanel() {
    fraDetail = panel(this, QStringLiteral("fraDetail"), twips(675, 1470, 4080, 4155));
    fraDetail->setAccessibleName(QStringLiteral("Record"));
    // Two columns of caption-over-box rows, clear of the record bar below.
    const int left = 8;
    const int right = 138;
    const int half = 126;
    const int full = 256;
    auto row = [](int n) { return n * 38; };
    auto* lblUserCode = caption(fraDetail, QStringLiteral("User/Account Code"), left, row(0), half);
    txtUserCode = box(fraDetail, lblUserCode, left, row(0) + 15, half);
    auto* lblCategory = caption(fraDetail, QStringLiteral("Category"), right, row(0), half);
    cboCategory = new QComboBox(fraDetail);
    cboCategory->setEditable(true);
    cboCategory->setGeometry(right, row(0) + 15, half, 22);
    lblCategory->setBuddy(cboCategory);
    cboCategory->setAccessibleName(lblCategory->text());
    auto* lblDesc = caption(fraDetail, QStringLiteral("Description"), left, row(1), full);
    txtUserDesc = box(fraDetail, lblDesc, left, row(1) + 15, full);
    auto* lblPass = caption(fraDetail, QStringLiteral("Password/PIN"), left, row(2), half);
    txtUserpass = box(fraDetail, lblPass, left, row(2) + 15, half);
    lblShow = caption(fraDetail, QStringLiteral("Confirm Password/PIN"), right, row(2), half);
    txtuserconfirm = box(fraDetail, lblShow, right, row(2) + 15, half);
    txtUserpass->setEchoMode(QLineEdit::Password);
    txtuserconfirm->setEchoMode(QLineEdit::Password);
    auto* lblEmail = caption(fraDetail, QStringLiteral("Email"), left, row(3), half);
    txtEmail = box(fraDetail, lblEmail, left, row(3) + 15, half);
    auto* lblWeb = caption(fraDetail, QStringLiteral("Web Site"), right, row(3), half);
    txtWeb = box(fraDetail, lblWeb, right, row(3) + 15, half);
    auto* lblNotes = caption(fraDetail, QStringLiteral("Notes"), left, row(4), full);
    txtSource = new QPlainTextEdit(fraDetail);
    txtSource->setGeometry(left, row(4) + 15, full, 54);
    txtSource->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    lblNotes->setBuddy(txtSource);
    txtSource->setAccessibleName(lblNotes->text());
    txtSource->setTabChangesFocus(true);
    auto* lblExpiry = caption(fraDetail, QStringLiteral("Any Expiry Date"), left, 226, half);
    txtExpiry = box(fraDetail, lblExpiry, left, 241, half);
    lblNewUser = new QLabel(QStringLiteral("NEW"), fraDetail);
    lblNewUser->setGeometry(right, 241, half, 22);
    lblNewUser->setAlignment(Qt::AlignCenter);
    lblNewUser->setStyleSheet(QStringLiteral("color: #b03030; font-weight: bold;"));
    lblNewUser->hide();
    for (QLabel* label : fraDetail->findChildren<QLabel*>())
        if (label != lblNewUser) label->setStyleSheet(QStringLiteral("font-size: 11px;"));

    const QList<QWidget*> order{txtUserCode, cboCategory, txtUserDesc, txtUserpass, txtuserconfirm,
                                txtEmail,    txtWeb,      txtSource,   txtExpiry};
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
    fraDetail->hide();
}

void VaultWindow::buildBars() {
    fraMenu = panel(this, QStringLiteral("fraMenu"), twips(690, 780, 4065, 675));
    UCSetupBtn = flatButton(fraMenu, 0, QStringLiteral("Setup User Preferences"));
    UCSetupBtn->hide();
    lblLogo = new QLabel(QStringLiteral("Tavrino Password Manager"), fraMenu);
    lblLogo->setGeometry(0, 0, fraMenu->width(), fraMenu->height());
    lblLogo->setAlignment(Qt::AlignCenter);
    lblLogo->setStyleSheet(QStringLiteral("color: #1d2b4a; font-weight: bold; font-size: 15px;"));
    lblVersion = new QLabel(QStringLiteral("Tavrino 3.0"), fraMenu);
    lblVersion->setGeometry(72, 10, fraMenu->width() - 80, 26);
    lblVersion->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lblVersion->setStyleSheet(QStringLiteral("color: #4a5a7a; font-weight: bold;"));
    lblVersion->hide();

    fraPassTool = panel(this, QStringLiteral("fraPassTool"), twips(690, 765, 4065, 675));
    UCGenerateBtn = flatButton(fraPassTool, 0, QStringLiteral("Generate Random Password"));
    UCPopBtn = flatButton(fraPassTool, 1, QStringLiteral("Display User/Password Popup"));
    fraPassTool->hide();

    fraTools = panel(this, QStringLiteral("fraTools"), twips(690, 5520, 4065, 675));
    UCHelpBtn = flatButton(fraTools, 0, QStringLiteral("Open Online Help"));
    UCNewBtn = flatButton(fraTools, 1, QStringLiteral("Add New Record"));
    UCNewBtn->hide();
    UCQuestBtn = flatButton(fraTools, 2, QStringLiteral("Show secret questions"));
    UCLoginBtn = flatButton(fraTools, 3, QStringLiteral("Login to Tavrino"));

    fraRecord = panel(this, QStringLiteral("fraRecord"), twips(690, 5520, 4065, 675));
    UCDeleteBtn = flatButton(fraRecord, 0, QStringLiteral("Delete this Record"));
    UCCancelBtn = flatButton(fraRecord, 1, QStringLiteral("Cancel changes"));
    UCSaveBtn = flatButton(fraRecord, 2, QStringLiteral("Save record changes"));
    UCBackBtn = flatButton(fraRecord, 3, QStringLiteral("Login to Tavrino"));
    for (FlatButton* b : {UCCancelBtn, UCSaveBtn, UCBackBtn})
        b->hide();
    fraRecord->hide();

    connect(UCLoginBtn, &FlatButton::clicked, this, [this] { UCLoginBtn_Click(); });
    connect(UCQuestBtn, &FlatButton::clicked, this, [this] { UCQuestBtn_Click(); });
    connect(UCHelpBtn, &FlatButton::clicked, this, [this] { UCHelpBtn_Click(); });
    connect(UCSetupBtn, &FlatButton::clicked, this, [this] { UCSetupBtn_Click(); });
}

void VaultWindow::buildOutside() {
    cmdAlpha = new QPushButton(QStringLiteral("A-Z"), this);
    cmdAlpha->setGeometry(282, 420, 38, 19);
    QFont arial(QStringLiteral("Arial"));
    arial.setPixelSize(11);
    cmdAlpha->setFont(arial);
    cmdAlpha->setToolTip(QStringLiteral("Display Category or Alphabet"));
    cmdAlpha->setAccessibleName(QStringLiteral("A-Z"));
    cmdAlpha->setAccessibleDescription(cmdAlpha->toolTip());
    cmdAlpha->setFocusPolicy(Qt::TabFocus);
    cmdAlpha->hide();
    connect(cmdAlpha, &QPushButton::clicked, this, [this] { cmdAlpha_Click(); });

    lblLoggedIn = new QLabel(this);
    lblLoggedIn->setGeometry(48, 420, 230, 18);
    lblLoggedIn->setStyleSheet(QStringLiteral("color: #e3eaf7; font-size: 11px;"));
    lblLoggedIn->hide();

    imgLock = new ImageButton(QPixmap(QStringLiteral(":/assets/lock.png")),
                              QStringLiteral("Lock Tavrino"), this);
    imgLock->move(38, 13);
    imgLock->setEnabled(false);
    Image2 = new ImageButton(QPixmap(QStringLiteral(":/assets/hide.png")),
                             QStringLiteral("Hide Tavrino"), this);
    Image2->move(272, 13);
    Image1 = new ImageButton(QPixmap(QStringLiteral(":/assets/close.png")),
                             QStringLiteral("Close Tavrino"), this);
    Image1->move(298, 13);
    connect(Image1, &ImageButton::clicked, this, [this] { close(); });
    connect(Image2, &ImageButton::clicked, this, [this] { Image2_Click(); });

    tmrLock = new QTimer(this);
    tmrLock->setInterval(60000);
    tmrPass = new QTimer(this);
    tmrPass->setInterval(60000);
}

} // namespace tavrino
