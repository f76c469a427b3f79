#include "vault_window.h"

#include "ui/common/secret_clipboard.h"

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
#include <QComboBox>
#include <QFileInfo>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeView>

namespace tavrino {

VaultWindow::VaultWindow(VaultServices& services, QWidget* parent)
    : QWidget(parent, Qt::FramelessWindowHint), m_s(services),
      m_clipboard(new SecretClipboard(this)) {
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
        if (qobject_cast<QLineEdit*>(w) || qobject_cast<QPlainTextEdit*>(w) ||
            qobject_cast<QComboBox*>(w) || qobject_cast<QTreeView*>(w))
            w->installEventFilter(this);
    }
    txtSource->viewport()->installEventFilter(this);

    m_s.store.setHooks({[this] { m_readFailed = true; }, [this](bool dirty) { SetDirty(dirty); }});
    connectRecordPanel();
    connect(imgLock, &ImageButton::clicked, this, [this] { imgLock_Click(); });
    connect(tmrLock, &QTimer::timeout, this, [this] { tmrLock_Timer(); });
    connect(tmrPass, &QTimer::timeout, this, [this] { tmrPass_Timer(); });
}

VaultWindow::~VaultWindow() {
    delete m_popup;
}

QList<FlatButton*> VaultWindow::flatButtons() const {
    return {UCSetupBtn,  UCQuestBtn, UCLoginBtn,    UCHelpBtn, UCNewBtn,   UCSaveBtn,
            UCCancelBtn, UCBackBtn,  UCGenerateBtn, UCPopBtn,  UCDeleteBtn};
}

void VaultWindow::Form_Load() {
    m_shape.shapeTo(this, qRgb(255, 0, 255));
    const QStringList captions{
        QStringLiteral("SETUP"), QStringLiteral("LOST"),  QStringLiteral("LOGIN"),
        QStringLiteral("HELP"),  QStringLiteral("NEW"),   QStringLiteral("SAVE"),
        QStringLiteral("UNDO"),  QStringLiteral("BACK"),  QStringLiteral("@PWD*"),
        QStringLiteral("POPUP"), QStringLiteral("DELETE")};
    const QList<FlatButton*> buttons = flatButtons();
    for (qsizetype i = 0; i < buttons.size(); ++i) {
        FlatButton* b = buttons[i];
        b->setBackColor(QColor(225, 225, 245));
        b->setBorderColor(Qt::black);
        b->setFlash(QColor(245, 245, 90));
        b->setCaption(captions[i]);
        b->setTip(b->toolTip());
        b->resetHighlight();
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

void VaultWindow::ListProfiles() {
    const QStringList names = m_s.profiles.ListProfiles();
    cboProfile->clear();
    cboProfile->addItems(names);
    if (!names.isEmpty()) {
        cboProfile->setCurrentIndex(0);
        cboProfile_Click();
    }
}

void VaultWindow::focusFirstLoginBox() {
    if (txtpass->isVisible()) txtpass->setFocus();
    if (txtUser->isVisible()) txtUser->setFocus();
}

void VaultWindow::SetupListButtons() {
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

void VaultWindow::FraDetailShow(bool show) {
    for (QWidget* w :
         std::initializer_list<QWidget*>{txtSource, txtEmail, txtExpiry, txtUserCode, txtUserDesc,
                                         txtuserconfirm, txtUserpass, txtWeb})
        w->setVisible(show);
    fraDetail->setVisible(show);
}

void VaultWindow::SetDirty(bool dirty) {
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

void VaultWindow::ButtonRefresh() {
    for (FlatButton* b : flatButtons())
        b->resetHighlight();
}

void VaultWindow::noteActivity() {
    m_s.session.LastActivity = m_s.clock.now();
}

SetupWindow* VaultWindow::setupWindow() {
    if (!m_setup) m_setup = new SetupWindow(m_s, tmrLock, this);
    return m_setup;
}

void VaultWindow::UCSetupBtn_Click() {
    if (openSetup) {
        openSetup();
        return;
    }
    // One setup window, made on first use; each opening starts it afresh.
    delete m_setup;
    m_setup = nullptr;
    SetupWindow* setup = setupWindow();
    setup->exec();
    if (setup->conflict) afterConflict(*setup->conflict == SaveOutcome::ConflictLogin);
}

void VaultWindow::UCHelpBtn_Click() {
    const QString path = m_s.settings.applicationFolder() + QStringLiteral("/Tavrino.html");
    QString problem;
    if (!QFileInfo::exists(path))
        problem = QStringLiteral("The help file %1 was not found.").arg(path);
    else if (!m_s.addresses.open(path))
        problem = QStringLiteral("No program could open %1.").arg(path);
    if (!problem.isEmpty())
        m_s.messages.show(QStringLiteral("An error has occurred! The error is \r\n") + problem);
}

void VaultWindow::cmdAlpha_Click() {
    m_s.session.ShowByCategory = !m_s.session.ShowByCategory;
    FillTree(QString());
    TV1->setFocus();
}

void VaultWindow::Image2_Click() {
    // Without a notification area the window could not come back from
    // hiding, so it goes to the task bar instead.
    if (canHideToTray && canHideToTray())
        hide();
    else
        showMinimized();
}

void VaultWindow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawPixmap(0, 0, m_picture);
}

void VaultWindow::mousePressEvent(QMouseEvent* event) {
    // Any button drags, as if the left one grabbed a caption bar.
    m_shape.mousePressed(this, Qt::LeftButton, event->globalPosition().toPoint());
}

void VaultWindow::mouseMoveEvent(QMouseEvent* event) {
    if (m_shape.mouseMoved(this, event->buttons(), event->globalPosition().toPoint())) return;
    ButtonRefresh();
    noteActivity();
}

void VaultWindow::mouseReleaseEvent(QMouseEvent*) {
    m_shape.mouseReleased();
}

void VaultWindow::keyPressEvent(QKeyEvent* event) {
    noteActivity();
    QWidget::keyPressEvent(event);
}

bool VaultWindow::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseMove:
        if (watched == lblShow) lblShow->setToolTip(txtuserconfirm->text());
        if (watched == TV1->viewport() || qobject_cast<QFrame*>(watched)) ButtonRefresh();
        break;
    case QEvent::KeyPress: {
        noteActivity();
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (watched == TV1 &&
            (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) &&
            recordNodeSelected()) {
            ShowSelectedRecord();
            return true;
        }
        break;
    }
    case QEvent::MouseButtonRelease:
        if (watched == TV1->viewport() &&
            static_cast<QMouseEvent*>(event)->button() == Qt::RightButton && recordNodeSelected()) {
            CurrentRecordKey = nodeKey(TV1->currentIndex());
            UCPopBtn_Click();
        }
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void VaultWindow::closeEvent(QCloseEvent* event) {
    if (m_dirty) {
        m_s.messages.show(QStringLiteral("You have unsaved changes!"), QStringLiteral("Tavrino"),
                          MsgIcon::Warning);
        event->ignore();
        return;
    }
    if (removeTray) removeTray();
    if (m_popup) m_popup->close();
    if (unloadPopup) unloadPopup();
    m_clipboard->clear();
    event->accept();
    emit unloaded();
}

} // namespace tavrino
