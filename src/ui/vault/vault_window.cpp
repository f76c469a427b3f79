#include "vault_window.h"

#include "shell/clock.h"
#include "shell/message_service.h"
#include "shell/settings_store.h"
#include "shell/single_instance.h"
#include "store/profile.h"
#include "store/profile_manager.h"
#include "store/profile_store.h"
#include "ui/common/address_service.h"
#include "ui/common/assets.h"
#include "ui/common/session_state.h"
#include "ui/desktop/flat_button.h"
#include "ui/desktop/image_button.h"
#include "ui/popup/record_popup.h"
#include "ui/setup/setup_window.h"
#include "ui/tree/record_tree_view.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
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

UCBtn* flatButton(QWidget* bar, int slot, const QString& tip) {
    auto* button = new UCBtn(bar);
    button->setGeometry(5 + slot * 66, 10, 60, 26);
    button->setToolTip(tip);
    return button;
}

} // namespace

frmShapedForm::frmShapedForm(VaultServices& services, QWidget* parent)
    : QWidget(parent, Qt::FramelessWindowHint), m_s(services) {
    useAssets();
    setWindowTitle(QStringLiteral("Tavrino Password Manager"));
    setAccessibleName(windowTitle());
    setWindowIcon(QIcon(QStringLiteral(":/assets/tavrino.png")));
    m_picture = QPixmap(QStringLiteral(":/assets/vault.png"));
    setFixedSize(m_picture.size());
    // The picture's outside is magenta, the colour the shape cuts away.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);

    buildTreePanel(); // beneath the login panel
    buildLoginPanel();
    buildDetailPanel();
    buildBars();
    buildOutside();
    for (QFrame* f : {fraLogin, fraTV, fraDetail, fraMenu, fraPassTool, fraTools, fraRecord})
        f->installEventFilter(this);
    TV1->viewport()->installEventFilter(this);
    TV1->viewport()->setMouseTracking(true);
    // Typing counts as activity wherever the keys go.
    for (QWidget* w : findChildren<QWidget*>()) {
        if (qobject_cast<QLineEdit*>(w) || qobject_cast<QPlainTextEdit*>(w) || qobject_cast<QComboBox*>(w) ||
            qobject_cast<QTreeView*>(w))
            w->installEventFilter(this);
    }
    txtSource->viewport()->installEventFilter(this);

    m_s.store.setHooks({[this] { m_readFailed = true; }, [this](bool dirty) { SetDirty(dirty); }});
    connectRecordPanel();
    connect(imgLock, &ImageButton::clicked, this, [this] { imgLock_Click(); });
    connect(tmrLock, &QTimer::timeout, this, [this] { tmrLock_Timer(); });
    connect(tmrPass, &QTimer::timeout, this, [this] { tmrPass_Timer(); });
}

frmShapedForm::~frmShapedForm() = default;

void frmShapedForm::buildLoginPanel() {
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
    for (QLineEdit* e : {txtUser, txtpass, txtPin}) e->setMaxLength(30);

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

void frmShapedForm::buildTreePanel() {
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

void frmShapedForm::buildDetailPanel() {
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
    for (qsizetype i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);
    fraDetail->hide();
}

void frmShapedForm::buildBars() {
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
    for (UCBtn* b : {UCCancelBtn, UCSaveBtn, UCBackBtn}) b->hide();
    fraRecord->hide();

    connect(UCLoginBtn, &UCBtn::Click, this, [this] { UCLoginBtn_Click(); });
    connect(UCQuestBtn, &UCBtn::Click, this, [this] { UCQuestBtn_Click(); });
    connect(UCHelpBtn, &UCBtn::Click, this, [this] { UCHelpBtn_Click(); });
    connect(UCSetupBtn, &UCBtn::Click, this, [this] { UCSetupBtn_Click(); });
}

void frmShapedForm::buildOutside() {
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

    imgLock = new ImageButton(QPixmap(QStringLiteral(":/assets/lock.png")), QStringLiteral("Lock Tavrino"), this);
    imgLock->move(38, 13);
    imgLock->setEnabled(false);
    Image2 = new ImageButton(QPixmap(QStringLiteral(":/assets/hide.png")), QStringLiteral("Hide Tavrino"), this);
    Image2->move(272, 13);
    Image1 = new ImageButton(QPixmap(QStringLiteral(":/assets/close.png")), QStringLiteral("Close Tavrino"), this);
    Image1->move(298, 13);
    connect(Image1, &ImageButton::clicked, this, [this] { close(); });
    connect(Image2, &ImageButton::clicked, this, [this] { Image2_Click(); });

    tmrLock = new QTimer(this);
    tmrLock->setInterval(60000);
    tmrPass = new QTimer(this);
    tmrPass->setInterval(60000);
}

QList<UCBtn*> frmShapedForm::flatButtons() const {
    return {UCSetupBtn, UCQuestBtn, UCLoginBtn,    UCHelpBtn, UCNewBtn,   UCSaveBtn,
            UCCancelBtn, UCBackBtn, UCGenerateBtn, UCPopBtn,  UCDeleteBtn};
}

void frmShapedForm::Form_Load() {
    m_shape.ShapeMe(this, qRgb(255, 0, 255));
    const QStringList captions{QStringLiteral("SETUP"), QStringLiteral("LOST"),  QStringLiteral("LOGIN"),
                               QStringLiteral("HELP"),  QStringLiteral("NEW"),   QStringLiteral("SAVE"),
                               QStringLiteral("UNDO"),  QStringLiteral("BACK"),  QStringLiteral("@PWD*"),
                               QStringLiteral("POPUP"), QStringLiteral("DELETE")};
    const QList<UCBtn*> buttons = flatButtons();
    for (qsizetype i = 0; i < buttons.size(); ++i) {
        UCBtn* b = buttons[i];
        b->setBackcolor(QColor(225, 225, 245));
        b->setBorderColor(Qt::black);
        b->setFlash(QColor(245, 245, 90));
        b->setCaption(captions[i]);
        b->setTip(b->toolTip());
        b->Ready();
    }

    QString startup;
    m_s.settings.ReadSetting(QStringLiteral("Startup"), startup);
    if (startup != u"1") {
        NormalPointer();
        if (showGettingStarted) showGettingStarted();
    }

    BusyPointer();
    ListProfiles();
    m_s.session.ShowByCategory = false;
    if (setupTray) setupTray();
    m_s.session.AutoLockMinutes = m_s.settings.autoLockMinutes();
    NormalPointer();
}

void frmShapedForm::ListProfiles() {
    const QStringList names = m_s.profiles.ListProfiles();
    cboProfile->clear();
    cboProfile->addItems(names);
    if (!names.isEmpty()) {
        cboProfile->setCurrentIndex(0);
        cboProfile_Click();
    }
}

void frmShapedForm::focusFirstLoginBox() {
    if (txtpass->isVisible()) txtpass->setFocus();
    if (txtUser->isVisible()) txtUser->setFocus();
}

void frmShapedForm::SetupListButtons() {
    UCLoginBtn->hide();
    UCQuestBtn->hide();
    lblLogo->hide();
    lblVersion->show();
    FraDetailShow(false);
    UCSetupBtn->show();
    fraTV->show();
    cmdAlpha->show();
    UCNewBtn->show();
    UCBackBtn->hide();
    UCSaveBtn->hide();
    UCCancelBtn->hide();
    fraRecord->show();
    fraTools->hide();
    TV1->setFocus();
}

void frmShapedForm::FraDetailShow(bool show) {
    for (QWidget* w : std::initializer_list<QWidget*>{txtSource, txtEmail, txtExpiry, txtUserCode, txtUserDesc,
                                                      txtuserconfirm, txtUserpass, txtWeb})
        w->setVisible(show);
    fraDetail->setVisible(show);
}

void frmShapedForm::SetDirty(bool dirty) {
    m_dirty = dirty;
    if (dirty) {
        UCSaveBtn->show();
        UCCancelBtn->show();
        fraTools->hide();
        fraRecord->show();
    } else {
        UCSaveBtn->hide();
        UCCancelBtn->hide();
    }
}

void frmShapedForm::ButtonRefresh() {
    for (UCBtn* b : flatButtons()) b->Ready();
}

void frmShapedForm::noteActivity() { m_s.session.LastActivity = m_s.clock.now(); }

frmSetup* frmShapedForm::setupWindow() {
    if (!m_setup) m_setup = new frmSetup(m_s, tmrLock, this);
    return m_setup;
}

void frmShapedForm::UCSetupBtn_Click() {
    if (openSetup) {
        openSetup();
        return;
    }
    // One setup window, made on first use; each opening starts it afresh.
    delete m_setup;
    m_setup = nullptr;
    frmSetup* setup = setupWindow();
    setup->exec();
    if (setup->conflict) afterConflict(*setup->conflict == SaveOutcome::ConflictLogin);
}

void frmShapedForm::UCHelpBtn_Click() {
    const QString path = m_s.settings.applicationFolder() + QStringLiteral("/Tavrino.html");
    QString problem;
    if (!QFileInfo::exists(path))
        problem = QStringLiteral("The help file %1 was not found.").arg(path);
    else if (!m_s.addresses.open(path))
        problem = QStringLiteral("No program could open %1.").arg(path);
    if (!problem.isEmpty())
        m_s.messages.show(QStringLiteral("An error has occurred! The error is \r\n") + problem);
}

void frmShapedForm::cmdAlpha_Click() {
    m_s.session.ShowByCategory = !m_s.session.ShowByCategory;
    FillTree(QString());
    TV1->setFocus();
}

void frmShapedForm::Image2_Click() {
    // Without a notification area the window could not come back from
    // hiding, so it goes to the task bar instead.
    if (canHideToTray && canHideToTray())
        hide();
    else
        showMinimized();
}

void frmShapedForm::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawPixmap(0, 0, m_picture);
}

void frmShapedForm::mousePressEvent(QMouseEvent* event) {
    // Any button drags, as if the left one grabbed a caption bar.
    m_shape.mousePressed(this, Qt::LeftButton, event->globalPosition().toPoint());
}

void frmShapedForm::mouseMoveEvent(QMouseEvent* event) {
    if (m_shape.mouseMoved(this, event->buttons(), event->globalPosition().toPoint())) return;
    ButtonRefresh();
    noteActivity();
}

void frmShapedForm::mouseReleaseEvent(QMouseEvent*) { m_shape.mouseReleased(); }

void frmShapedForm::keyPressEvent(QKeyEvent* event) {
    noteActivity();
    QWidget::keyPressEvent(event);
}

bool frmShapedForm::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseMove:
        if (watched == lblShow) lblShow->setToolTip(txtuserconfirm->text());
        if (watched == TV1->viewport() || qobject_cast<QFrame*>(watched)) ButtonRefresh();
        break;
    case QEvent::KeyPress: {
        noteActivity();
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (watched == TV1 && (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) &&
            recordNodeSelected()) {
            ShowSelectedRecord();
            return true;
        }
        break;
    }
    case QEvent::MouseButtonRelease:
        if (watched == TV1->viewport() && static_cast<QMouseEvent*>(event)->button() == Qt::RightButton &&
            recordNodeSelected()) {
            CurrentRecordKey = nodeKey(TV1->currentIndex());
            UCPopBtn_Click();
        }
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void frmShapedForm::closeEvent(QCloseEvent* event) {
    if (m_dirty) {
        m_s.messages.show(QStringLiteral("You have unsaved changes!"), QStringLiteral("Tavrino"), MsgIcon::Warning);
        event->ignore();
        return;
    }
    if (removeTray) removeTray();
    if (m_popup) m_popup->close();
    if (unloadPopup) unloadPopup();
    event->accept();
}

} // namespace tavrino
