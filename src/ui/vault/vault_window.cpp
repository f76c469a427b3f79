#include "vault_window.h"

#include "shell/message_service.h"
#include "shell/settings_store.h"
#include "shell/single_instance.h"
#include "store/profile_store.h"
#include "ui/common/profile_watch.h"
#include "ui/common/store_runner.h"
#include "ui/common/address_service.h"
#include "ui/common/assets.h"
#include "ui/common/secret_clipboard.h"
#include "ui/common/session_state.h"
#include "ui/desktop/accessibility.h"
#include "ui/desktop/flat_button.h"
#include "ui/desktop/image_button.h"
#include "ui/desktop/picture_read_ahead.h"
#include "ui/popup/record_popup.h"
#include "ui/setup/setup_window.h"
#include "ui/vault/kept_change_question.h"
#include "ui/vault/lock_controller.h"
#include "ui/vault/login_panel.h"
#include "ui/vault/vault_layout.h"
#include "ui/vault/record_panel.h"
#include "ui/tree/tree_builder.h"
#include "ui/vault/tree_panel.h"
#include "ui/vault/records_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QTimer>
#include <QComboBox>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QGuiApplication>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>

#include <cmath>
#include <QTreeView>

namespace tavrino {

VaultWindow::VaultWindow(VaultServices& services, QWidget* parent)
    : QWidget(parent, Qt::FramelessWindowHint), m_s(services),
      m_clipboard(new SecretClipboard(this)) {
    // First, before anything asks for the window's accessible interface.
    showOnlyShownChildren(this, QAccessible::Window);
    useAssets();
    setWindowTitle(QStringLiteral("Tavrino Password Manager"));
    setAccessibleName(windowTitle());
    setPalette(vaultlayout::cardPalette());
    setMouseTracking(true);

    m_login = new LoginPanel(m_s, this);
    m_bars = new CommandBars(this);
    // The pictures after the panels: meanwhile they were decoded elsewhere.
    setWindowIcon(
        QPixmap::fromImage(WindowShape::pictureFor(QLatin1String(IconPicture), devicePixelRatioF())));
    m_picture = m_shape.shapeToPicture(this, QLatin1String(CardPicture), CardKey);
    m_lock = new LockController(m_s, this);
    m_watch = new ProfileWatch(m_s.store, this);
    connect(m_watch, &ProfileWatch::changed, this, &VaultWindow::onNewerSave);
    buildFrameControls();
    watchActivity(this);

    m_s.runner.setWaitParent(this);
    // A lock that fell due while a save ran (or while its outcome was being
    // taken in) happens right after it.
    connect(&m_s.runner, &StoreRunner::idle, this, [this] {
        if (m_lockPending) lockVault();
    }, Qt::QueuedConnection);
    connect(&m_s.runner, &StoreRunner::note, this, [this](const QString& text) { showNote(text); });
    connect(m_bars, &CommandBars::triggered, this, &VaultWindow::onCommand);
    connect(m_login, &LoginPanel::loginRequested, this, &VaultWindow::onLoginRequested);
    connect(m_login, &LoginPanel::profileOpened, this, &VaultWindow::refreshBars);
    connect(m_login, &LoginPanel::profileUnusable, this, &VaultWindow::profileUnusable);
    for (int c = 0; c < CommandBars::CommandCount; ++c) {
        const auto command = static_cast<CommandBars::Command>(c);
        for (const QKeySequence& keys : CommandBars::keysOf(command))
            connect(new QShortcut(keys, this), &QShortcut::activated, this,
                    [this, command] { m_bars->press(command); });
    }
    connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_L), this), &QShortcut::activated,
            m_lockButton, &ImageButton::click);
    connect(new QShortcut(QKeySequence::Find, this), &QShortcut::activated, this, [this] {
        if (!m_s.session.loginOk) return;
        if (m_view == VaultView::Record) {
            if (!record()->confirmLeave()) return;
            showTree(record()->currentKey());
        }
        tree()->focusSearch();
    });
    connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F), this),
            &QShortcut::activated, this, &VaultWindow::openRecordsWindow);
    // The generator's options: Ctrl+G, or the context menu of @PWD*.
    connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_G), this), &QShortcut::activated, this,
            &VaultWindow::onGeneratorOptions);
    FlatButton* generate = m_bars->button(CommandBars::Generate);
    generate->setContextMenuPolicy(Qt::CustomContextMenu);
    generate->setToolTip(QStringLiteral("A random password (Ctrl+G or right-click: the "
                                        "generator's options)"));
    connect(generate, &QWidget::customContextMenuRequested, this, &VaultWindow::onGeneratorOptions);
    connect(m_lock, &LockController::lockDue, this, &VaultWindow::lockVault);
    connect(m_lock, &LockController::popupDue, this, [this] {
        if (m_popup && m_popup->isVisible()) m_popup->closePopup();
    });
    showView(VaultView::Login);
}

void VaultWindow::readPicturesAhead(qreal density) {
    useAssets();
    QStringList plain{QLatin1String(IconPicture)};
    for (const char* path : FramePictures)
        plain << QLatin1String(path);
    PictureReadAhead::start(density, {{QLatin1String(CardPicture), CardKey}}, plain);
}

VaultWindow::~VaultWindow() {
    delete m_recordsWindow;
    delete m_popup;
}

void VaultWindow::buildFrameControls() {
    // The small buttons on the frame's bottom edge.
    QFont arial(QStringLiteral("Arial"));
    arial.setPixelSize(11);
    auto edgeButton = [&](const QString& text, const QRect& place, const QString& tip,
                          const QString& name) {
        auto* button = new QPushButton(text, this);
        button->setGeometry(place);
        button->setFont(arial);
        button->setToolTip(tip);
        button->setAccessibleName(name);
        button->setAccessibleDescription(tip);
        button->setFocusPolicy(Qt::TabFocus);
        return button;
    };
    m_groupingButton = edgeButton(QStringLiteral("A-Z"), {282, 420, 38, 19},
                                  QStringLiteral("Display Category or Alphabet"), QStringLiteral("A-Z"));
    connect(m_groupingButton, &QPushButton::clicked, this, [this] { tree()->switchGrouping(); });
    // Many records at once: a window of its own, as large as one likes.
    m_listButton = edgeButton(QStringLiteral("List"), {238, 420, 40, 19},
                              QStringLiteral("All records in a window of their own (Ctrl+Shift+F)"),
                              QStringLiteral("Open the record list"));
    connect(m_listButton, &QPushButton::clicked, this, &VaultWindow::openRecordsWindow);

    m_loggedInNote = new QLabel(this);
    m_loggedInNote->setGeometry(48, 420, 188, 18);
    m_loggedInNote->setStyleSheet(QStringLiteral("color: #e3eaf7; font-size: 11px;"));
    m_loggedInNote->setObjectName(QStringLiteral("loggedInNote"));

    auto picture = [this](const char* path) {
        return QPixmap::fromImage(WindowShape::pictureFor(QLatin1String(path), devicePixelRatioF()));
    };
    m_lockButton = new ImageButton(picture(FramePictures[0]), QStringLiteral("Lock Tavrino"), this);
    m_lockButton->move(38, 13);
    m_hideButton = new ImageButton(picture(FramePictures[1]), QStringLiteral("Hide Tavrino"), this);
    m_hideButton->move(272, 13);
    m_closeButton = new ImageButton(picture(FramePictures[2]), QStringLiteral("Close Tavrino"), this);
    m_closeButton->move(298, 13);
    connect(m_lockButton, &ImageButton::clicked, this, &VaultWindow::onLockClicked);
    connect(m_hideButton, &ImageButton::clicked, this, &VaultWindow::onHideClicked);
    m_trayWatch = new QTimer(this);
    m_trayWatch->setInterval(TrayCheckMs);
    connect(m_trayWatch, &QTimer::timeout, this, &VaultWindow::checkTrayStillThere);
    connect(m_closeButton, &ImageButton::clicked, this, [this] { close(); });
}

void VaultWindow::watchActivity(QWidget* within) {
    // Moving over a panel puts the flat buttons back to their normal colour;
    // typing counts as activity wherever the keys go.
    if (within == this) {
        for (QFrame* frame : findChildren<QFrame*>(Qt::FindDirectChildrenOnly))
            frame->installEventFilter(this);
    } else if (qobject_cast<QFrame*>(within)) {
        within->installEventFilter(this);
    }
    for (QWidget* w : within->findChildren<QWidget*>()) {
        if (qobject_cast<QLineEdit*>(w) || qobject_cast<QPlainTextEdit*>(w) ||
            qobject_cast<QComboBox*>(w) || qobject_cast<QTreeView*>(w))
            w->installEventFilter(this);
        if (auto* notes = qobject_cast<QPlainTextEdit*>(w)) notes->viewport()->installEventFilter(this);
    }
}

void VaultWindow::buildRecordPanels() {
    m_tree = new TreePanel(m_s, this);
    m_record = new RecordPanel(m_s, this);
    // Stacked as if built with the others: the list under the login panel,
    // the record panel right above it (under the bars and the frame's buttons).
    m_tree->stackUnder(m_login);
    m_record->stackUnder(m_login);
    m_login->stackUnder(m_record);
    m_tree->setVisible(m_view == VaultView::Tree);
    m_record->setVisible(m_view == VaultView::Record);
    watchActivity(m_tree);
    watchActivity(m_record);
    m_tree->view()->viewport()->installEventFilter(this);
    connect(m_tree, &TreePanel::recordActivated, this, &VaultWindow::onRecordActivated);
    connect(m_tree, &TreePanel::popupRequested, this, [this](const QString& key) {
        m_record->showRecord(key);
        onPopupClicked();
    });
    connect(m_tree, &TreePanel::copyRequested, this, [this](const QString& key, int field) {
        const qsizetype position = recordPosition(key);
        if (position < 1 || position > m_s.profile.Records.count()) return;
        m_clipboard->copy(
            PasswordRecord::fromLine(m_s.profile.Records.item(position))[PasswordRecord::Field(field)]);
    });
    connect(m_tree, &TreePanel::filled, this, [this] {
        if (m_recordsWindow && m_recordsWindow->isVisible()) m_recordsWindow->refresh();
    });
    connect(m_record, &RecordPanel::dirtyChanged, this, &VaultWindow::refreshBars);
    connect(m_record, &RecordPanel::saveRequested, this,
            [this] { m_bars->press(CommandBars::Save); });
}

TreePanel* VaultWindow::tree() {
    if (!m_tree) buildRecordPanels();
    return m_tree;
}

RecordPanel* VaultWindow::record() {
    if (!m_record) buildRecordPanels();
    return m_record;
}

void VaultWindow::load() {
    m_bars->dress();

    QString startup;
    m_s.settings.ReadSetting(QStringLiteral("Startup"), startup);
    if (startup != u"1") {
        NormalPointer();
        if (showGettingStarted) showGettingStarted();
    }

    BusyPointer();
    m_login->listProfiles();
    m_s.session.showByCategory = false;
    if (setupTray) setupTray();
    m_s.session.autoLockMinutes = m_s.settings.autoLockMinutes();
    NormalPointer();
}

void VaultWindow::focusFirstLoginBox() {
    m_login->focusFirstBox();
}

bool VaultWindow::isDirty() const {
    return m_record && m_record->isDirty();
}

QString VaultWindow::currentRecordKey() const {
    return m_record ? m_record->currentKey() : QString();
}

void VaultWindow::showView(VaultView view) {
    m_view = view;
    m_login->setVisible(view == VaultView::Login);
    if (view != VaultView::Login) tree();
    if (m_tree) tree()->setVisible(view == VaultView::Tree);
    if (m_record) record()->setVisible(view == VaultView::Record);
    m_groupingButton->setVisible(view == VaultView::Tree);
    m_listButton->setVisible(view == VaultView::Tree);
    m_loggedInNote->setVisible(view != VaultView::Login);
    m_lockButton->setEnabled(view != VaultView::Login);
    refreshBars();
}

void VaultWindow::refreshBars() {
    m_bars->showFor(m_view, isDirty(), m_login->offersQuestions());
}

void VaultWindow::showTree(const QString& selectionKey) {
    showView(VaultView::Tree);
    record()->fillCategories();
    tree()->focusTree();
    // The expiry box once per login; after that the list's marks say it.
    tree()->fill(selectionKey, !m_expiryWarned);
    m_expiryWarned = true;
}

void VaultWindow::onCommand(CommandBars::Command command) {
    // Setup stays open for long: a lock meanwhile closes it (its own saves
    // hold the lock off while they run).
    if (command == CommandBars::Setup) {
        openSetupWindow();
        return;
    }
    // A command may save and show messages: a lock waits until it is done.
    StoreRunner::Busy busy(m_s.runner);
    switch (command) {
    case CommandBars::Setup: break;
    case CommandBars::Lost: m_login->showQuestions(); break;
    case CommandBars::Login: onLoginRequested(); break;
    case CommandBars::Help: onHelpClicked(); break;
    case CommandBars::New: onNewClicked(); break;
    case CommandBars::Save: onSaveClicked(); break;
    case CommandBars::Undo: onUndoClicked(); break;
    case CommandBars::Back: onBackClicked(); break;
    case CommandBars::Generate: showStrength(record()->generatePassword()); break;
    case CommandBars::Popup: onPopupClicked(); break;
    case CommandBars::Delete: onDeleteClicked(); break;
    }
}

void VaultWindow::onLoginRequested() {
    if (!m_login->tryLogin()) return;
    m_login->clearBoxes();
    showLoggedInNote();
    m_expiryWarned = false;
    m_lock->startAfterLogin();
    m_watch->start();
    // A change that met another user's new login goes in now.
    if (m_s.store.hasPendingChange()) m_s.runner.savePendingChange();
    m_s.runner.takeInConflictCopies();
    showTree(QString());
    emit loggedIn();
}

void VaultWindow::showLoggedInNote() {
    m_loggedInNote->setText(QStringLiteral("You are logged into ") + m_login->profileName() +
                            QStringLiteral(" profile!"));
}

void VaultWindow::onNewerSave(const QByteArray& look, const QByteArray& content) {
    // Nothing typed is overwritten: with a change unsaved, or a save or a
    // window of ours under way, the next look tries again.
    if (!m_s.session.loginOk || m_view == VaultView::Login || isDirty() ||
        m_s.runner.isBusy() || (m_setup && m_setup->isVisible()) ||
        QApplication::activeModalWidget())
        return;
    const TreePanel::ViewState treeState = tree()->viewState();
    const QStringList shownRecord = record()->storedFields();
    switch (m_s.store.takeNewer(look, content)) {
    case ProfileStore::Refresh::Unchanged:
        return;
    case ProfileStore::Refresh::LoginChanged:
        m_s.messages.show(QStringLiteral(
            "The profile has been modified by another user.\r\nYou will have to login again."));
        lockNow();
        return;
    case ProfileStore::Refresh::Updated:
        break;
    }
    record()->fillCategories();
    if (m_view == VaultView::Tree) {
        tree()->refill(treeState);
    } else if (!record()->isNewRecord()) {
        const qsizetype at =
            m_s.profile.Records.lines().indexOf(shownRecord.join(QLatin1Char('|')));
        if (at >= 0)
            record()->showRecord(recordKey(at + 1));
        else
            showTree(QString()); // deleted or changed there: the list shows what there is
    }
    showNote(QStringLiteral("Updated with another user's changes"));
}

RecordsWindow* VaultWindow::recordsWindow() {
    if (!m_recordsWindow) {
        // No owner: a window of its own in the task bar, as large as one likes.
        m_recordsWindow = new RecordsWindow(m_s.profile);
        // The record shown in the vault gives way, unless the user keeps its changes.
        auto leaveRecord = [this] {
            if (m_view == VaultView::Record && !record()->confirmLeave()) return false;
            showView(VaultView::Tree);
            return true;
        };
        connect(m_recordsWindow, &RecordsWindow::recordActivated, this, [this, leaveRecord](const QString& key) {
            if (!leaveRecord()) return;
            onRecordActivated(key);
            raise();
            activateWindow();
        });
        connect(m_recordsWindow, &RecordsWindow::popupRequested, this, [this, leaveRecord](const QString& key) {
            if (!leaveRecord()) return;
            record()->showRecord(key);
            onPopupClicked();
        });
    }
    return m_recordsWindow;
}

void VaultWindow::openRecordsWindow() {
    if (!m_s.session.loginOk) return;
    RecordsWindow* list = recordsWindow();
    list->refresh();
    // The window's focus before it shows: it gets it once it is active.
    list->searchBox()->setFocus();
    list->show();
    list->raise();
    list->activateWindow();
}

void VaultWindow::showNote(const QString& text) {
    m_loggedInNote->setText(text);
    QTimer::singleShot(5000, this, [this, text] {
        if (m_s.session.loginOk && m_loggedInNote->text() == text) showLoggedInNote();
    });
}

void VaultWindow::onGeneratorOptions() {
    if (m_view != VaultView::Record) return;
    StoreRunner::Busy busy(m_s.runner);
    showStrength(record()->generateWithOptions());
}

void VaultWindow::showStrength(std::optional<double> bits) {
    if (!bits) return;
    showNote(QStringLiteral("New password: %1 bits (Ctrl+G: options)").arg(std::floor(*bits)));
}

void VaultWindow::onRecordActivated(const QString& key) {
    record()->showRecord(key);
    showView(VaultView::Record);
    record()->focusFirstBox();
}

void VaultWindow::onNewClicked() {
    record()->startNewRecord();
    showView(VaultView::Record);
    record()->focusFirstBox();
}

void VaultWindow::onSaveClicked() {
    BusyPointer();
    const std::optional<SaveOutcome> outcome = record()->save();
    if (outcome == SaveOutcome::Saved || outcome == SaveOutcome::Merged) {
        if (record()->currentKey().isEmpty()) {
            // The other user's version was kept in place of this one.
            showTree(QString());
        } else {
            showView(VaultView::Record);
            record()->focusFirstBox();
        }
    } else if (outcome == SaveOutcome::ConflictLogin) {
        afterConflict(*outcome);
    }
    NormalPointer();
}

void VaultWindow::onUndoClicked() {
    record()->undo();
    showView(VaultView::Record);
    record()->focusFirstBox();
}

void VaultWindow::onBackClicked() {
    if (record()->confirmLeave()) showTree(record()->currentKey());
}

void VaultWindow::onDeleteClicked() {
    const std::optional<SaveOutcome> outcome = record()->deleteRecord();
    if (outcome == SaveOutcome::Saved || outcome == SaveOutcome::Merged)
        showTree(QString());
    else if (outcome == SaveOutcome::ConflictLogin)
        afterConflict(*outcome);
}

void VaultWindow::onPopupClicked() {
    const QStringList fields = record()->storedFields();
    if (fields.isEmpty()) return;
    popup()->showRecord(fields);
    if (!popupStaysOnTop()) noteOnceThatThePopupMayGoBehind();
}

bool VaultWindow::popupStaysOnTop() {
    // Wayland lets no program keep a window above the others.
    return QGuiApplication::platformName() != u"wayland";
}

void VaultWindow::noteOnceThatThePopupMayGoBehind() {
    const QString seen = QStringLiteral("PopupOnTopNoteShown");
    QString shown;
    m_s.settings.ReadSetting(seen, shown);
    if (shown == u"1") return;
    m_s.settings.writePreference(seen, QStringLiteral("1"));
    m_s.messages.show(
        QStringLiteral("On this desktop the record window can not stay above other programs: "
                       "it stays above Tavrino only, and may go behind the program you paste "
                       "into. To keep it above everything, let Tavrino run through XWayland, "
                       "as it does by default (see \"Wayland\" in the manual)."),
        QStringLiteral("Tavrino"), MsgIcon::Information);
}

void VaultWindow::afterConflict(SaveOutcome outcome) {
    // The profile was read again: positions changed under the panel.
    if (m_record) record()->forget();
    if (outcome == SaveOutcome::ConflictLogin || m_s.store.readFailed()) {
        if (m_s.store.readFailed()) m_login->forgetProfile();
        // Part of taking in this save's outcome: not put off like a timer's lock.
        lockNow();
        return;
    }
    showTree(QString());
}

void VaultWindow::lockVault() {
    if (m_s.runner.isBusy()) {
        m_lockPending = true;
        return;
    }
    lockNow();
}

void VaultWindow::lockNow() {
    m_lockPending = false;
    // Nothing of the profile stays in sight: the popup and setup close
    // (setup's unsaved changes dropped, as record edits are), and what we
    // put on the clipboard is taken back.
    if (m_popup) m_popup->close();
    if (m_setup && m_setup->isVisible()) m_setup->reject();
    m_clipboard->clear();
    m_lock->stop();
    m_watch->stop();
    m_s.session.loginOk = false;
    m_s.profile.Security.LoginMode = 0;
    m_loggedInNote->setText(QString());
    // A record half made before the lock is gone with the lock, and nothing
    // of the profile stays in memory: the list, the boxes, the keys.
    if (m_record) record()->forget();
    m_login->clearBoxes();
    if (m_tree) tree()->clear();
    if (m_recordsWindow) m_recordsWindow->forget();
    m_s.store.forgetOpened();
    showView(VaultView::Login);
    m_login->listProfiles();
}

void VaultWindow::lockIfLoggedIn() {
    if (m_s.session.loginOk) lockVault();
}

void VaultWindow::onLockClicked() {
    BusyPointer();
    lockVault();
    NormalPointer();
    m_login->focusLastBox();
}

SetupWindow* VaultWindow::setupWindow() {
    if (!m_setup) {
        m_setup = new SetupWindow(m_s, this);
        // No auto-lock while setup is open; closing it decides anew, by the
        // auto-lock as saved then.
        m_lock->hold();
        connect(m_setup, &QDialog::finished, m_lock, &LockController::resume);
    }
    return m_setup;
}

void VaultWindow::openSetupWindow() {
    if (openSetup) {
        openSetup();
        return;
    }
    // Each opening starts afresh.
    delete m_setup;
    m_setup = nullptr;
    SetupWindow* setup = setupWindow();
    setup->exec();
    const bool folderChanged = setup->folderChanged;
    const bool recordsChanged = setup->recordsChanged;
    const auto conflict = setup->conflict;
    // Closed, it goes at once: its pages held the login and the answers.
    delete m_setup;
    m_setup = nullptr;
    if (folderChanged) {
        lockNow();
    } else if (conflict) {
        afterConflict(*conflict);
    } else if (recordsChanged && m_view == VaultView::Tree) {
        record()->fillCategories();
        tree()->refill(tree()->viewState());
    }
}

RecordPopup* VaultWindow::popup() {
    if (!m_popup) {
        // No owner: the popup stays up when the vault is hidden or minimised.
        m_popup = new RecordPopup(m_s.addresses, m_clipboard);
        // Where "always on top" does not exist, the vault's own window, so
        // that it never goes under the vault at least.
        if (!popupStaysOnTop()) m_popup->setParent(this, m_popup->windowFlags());
        m_popup->startCloseTimer = [this] { m_lock->startPopupTimer(); };
    }
    return m_popup;
}

void VaultWindow::onHelpClicked() {
    const QString path = m_s.settings.helpFile(QStringLiteral("Tavrino.html"));
    QString problem;
    if (!QFileInfo::exists(path))
        problem = QStringLiteral("The help file %1 was not found.").arg(path);
    else if (!m_s.addresses.open(path))
        problem = QStringLiteral("No program could open %1.").arg(path);
    if (!problem.isEmpty())
        m_s.messages.show(QStringLiteral("An error has occurred! The error is \r\n") + problem);
}

void VaultWindow::onHideClicked() {
    // Without a notification area the window could not come back from
    // hiding, so it goes to the task bar instead.
    if (canHideToTray && canHideToTray()) {
        hide();
        m_trayWatch->start();
    } else {
        showMinimized();
    }
}

void VaultWindow::comeForward() {
    m_trayWatch->stop();
    if (isMinimized()) showNormal();
    show();
    raise();
    activateWindow();
}

void VaultWindow::checkTrayStillThere() {
    if (isVisible()) {
        m_trayWatch->stop();
        return;
    }
    // The notification area went away (its panel closed or crashed) while
    // the window was hidden in it: nothing else could bring it back.
    if (!canHideToTray || !canHideToTray()) comeForward();
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
    m_bars->resetHighlights();
    m_lock->noteActivity();
}

void VaultWindow::mouseReleaseEvent(QMouseEvent*) {
    m_shape.mouseReleased();
}

void VaultWindow::keyPressEvent(QKeyEvent* event) {
    m_lock->noteActivity();
    QWidget::keyPressEvent(event);
}

bool VaultWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseMove &&
        ((m_tree && watched == tree()->view()->viewport()) || qobject_cast<QFrame*>(watched)))
        m_bars->resetHighlights();
    if (event->type() == QEvent::KeyPress) m_lock->noteActivity();
    return QWidget::eventFilter(watched, event);
}

void VaultWindow::closeEvent(QCloseEvent* event) {
    if (isDirty()) {
        m_s.messages.show(QStringLiteral("You have unsaved changes!"), QStringLiteral("Tavrino"),
                          MsgIcon::Warning);
        event->ignore();
        return;
    }
    const KeptChangeQuestion::Answer kept =
        KeptChangeQuestion::ask(m_s.store.keptChanges(), m_s.messages);
    if (!kept.close) {
        event->ignore();
        if (kept.logInTo.isEmpty()) return;
        comeForward();
        if (m_s.session.loginOk) lockVault();
        m_login->chooseProfile(kept.logInTo);
        m_login->focusFirstBox();
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
