#include "sys_tray.h"

#include "shell/message_service.h"
#include "ui/common/assets.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QWidget>

namespace tavrino {

TrayMenuStates trayMenuStates(bool visible, int state, bool canGrow) {
    TrayMenuStates s{true, false, true};
    if (!visible || state == 1)
        s = {true, true, false};
    else if (state == 2)
        s = {false, false, true};
    // A window of fixed size has nothing to maximise to.
    s.maximize = s.maximize && canGrow;
    return s;
}

TrayIcon::TrayIcon(MessageService& messages, QObject* parent)
    : QObject(parent), m_messages(messages), m_tray(new QSystemTrayIcon(this)) {
    useAssets();
    m_menu = new QMenu;
    m_menu->setAccessibleName(QStringLiteral("Tavrino"));
    m_aboutAction = m_menu->addAction(QStringLiteral("&About"));
    m_menu->addSeparator();
    m_maximizeAction = m_menu->addAction(QStringLiteral("Ma&ximize"));
    m_restoreAction = m_menu->addAction(QStringLiteral("&Restore"));
    m_minimizeAction = m_menu->addAction(QStringLiteral("&Minimize"));
    m_menu->addSeparator();
    m_lockAction = m_menu->addAction(QStringLiteral("&Lock"));
    m_exitAction = m_menu->addAction(QStringLiteral("&Exit"));
    connect(m_aboutAction, &QAction::triggered, this, [this] { about(); });
    connect(m_maximizeAction, &QAction::triggered, this, [this] { maximize(); });
    connect(m_minimizeAction, &QAction::triggered, this, [this] { minimize(); });
    connect(m_restoreAction, &QAction::triggered, this, [this] { restore(); });
    connect(m_exitAction, &QAction::triggered, this, [this] { exit(); });
    connect(m_lockAction, &QAction::triggered, this, &TrayIcon::lockRequested);
    m_singleClick.setSingleShot(true);
    m_singleClick.setInterval(QApplication::doubleClickInterval());
    connect(&m_singleClick, &QTimer::timeout, this, [this] {
        if (!m_window) return;
        if (m_window->isVisible() && !m_window->isMinimized())
            minimize();
        else
            restore();
    });

    // Loading: the start-up icon, the tip, the About caption, then the icon is added.
    m_icon = QPixmap::fromImage(readAsset(QStringLiteral(":/assets/tavrino-64.png")));
    m_tray->setIcon(QIcon(m_icon));
    emit iconChanged(this);
    setTooltip(QStringLiteral("Tavrino Password Manager"));
    m_aboutAction->setText(QStringLiteral("About Tavrino"));
    connect(m_tray, &QSystemTrayIcon::activated, this, &TrayIcon::activate);
    // The menu is the tray's own: where the tray is another process's
    // (StatusNotifierItem on KDE, GNOME's extension) it is shown by it.
    m_tray->setContextMenu(m_menu);
    connect(m_menu, &QMenu::aboutToShow, this, &TrayIcon::setMenuStates);
    m_tray->show();
}

TrayIcon::~TrayIcon() {
    m_tray->hide();
    delete m_menu;
}

bool TrayIcon::available() {
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void TrayIcon::setWindow(QWidget* window) {
    if (m_window) m_window->removeEventFilter(this);
    m_window = window;
    if (m_window) m_window->installEventFilter(this);
}

void TrayIcon::setTooltip(const QString& text) {
    m_tray->setToolTip(text);
}

QString TrayIcon::tooltip() const {
    return m_tray->toolTip();
}

void TrayIcon::setTrayIcon(const QPixmap& picture) {
    if (picture.isNull()) return;
    m_icon = picture;
    m_tray->setIcon(QIcon(m_icon));
    emit iconChanged(this);
}

void TrayIcon::setTrayIcon(const QString& textOrPath) {
    if (textOrPath.compare(QLatin1String("DEFAULT"), Qt::CaseInsensitive) == 0)
        setTrayIcon(QPixmap::fromImage(readAsset(QStringLiteral(":/assets/tavrino-64.png"))));
    else
        setTrayIcon(QPixmap(textOrPath));
}

void TrayIcon::setInterval(int milliseconds) {
    m_interval = milliseconds;
}

bool TrayIcon::iconShown() const {
    return m_tray->isVisible();
}

void TrayIcon::removeIcon() {
    m_tray->hide();
}

int TrayIcon::stateOf(const QWidget* window) {
    if (window->isMinimized()) return 1;
    if (window->isMaximized()) return 2;
    return 0;
}

void TrayIcon::followWindowState(QWidget* window) {
    const int state = stateOf(window);
    if (state == 1)
        window->hide();
    else
        m_restoreState = state;
}

void TrayIcon::setMenuStates() {
    const TrayMenuStates s =
        trayMenuStates(m_window && m_window->isVisible(), m_window ? stateOf(m_window) : 0,
                       !m_window || m_window->minimumSize() != m_window->maximumSize());
    m_maximizeAction->setEnabled(s.maximize);
    m_restoreAction->setEnabled(s.restore);
    m_minimizeAction->setEnabled(s.minimize);
}

void TrayIcon::activate(QSystemTrayIcon::ActivationReason reason) {
    if (reason == QSystemTrayIcon::Trigger) {
        // The release that ends a double click reports a click of its own.
        if (m_sinceDoubleClick.isValid() &&
            m_sinceDoubleClick.elapsed() < QApplication::doubleClickInterval())
            return;
        m_singleClick.start();
    } else if (reason == QSystemTrayIcon::DoubleClick) {
        m_singleClick.stop();
        m_sinceDoubleClick.start();
        restore();
    }
}

void TrayIcon::about() {
    m_messages.show(QStringLiteral("Tavrino Password Manager Version %1.%2")
                        .arg(TAVRINO_VERSION_MAJOR)
                        .arg(TAVRINO_VERSION_MINOR),
                    QStringLiteral("About"), MsgIcon::Information);
}

void TrayIcon::maximize() {
    if (!m_window) return;
    m_window->showMaximized();
}

void TrayIcon::minimize() {
    if (!m_window) return;
    // Only hidden, not minimised first: a window manager still busy
    // iconifying it would fight the next Restore.
    m_window->hide();
}

void TrayIcon::restore() {
    if (!m_window || (m_window->isVisible() && !m_window->isMinimized())) return;
    Qt::WindowStates state = m_window->windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized);
    if (m_restoreState == 2) state |= Qt::WindowMaximized;
    m_window->setWindowState(state);
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

void TrayIcon::exit() {
    // A close the window refuses (unsaved changes) keeps the icon and shows
    // the window: the program stays reachable, never hidden with no icon.
    if (m_window && !m_window->close()) {
        restore();
        return;
    }
    removeIcon();
}

bool TrayIcon::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_window &&
        (event->type() == QEvent::WindowStateChange || event->type() == QEvent::Resize) &&
        stateOf(m_window) != 1)
        m_restoreState = stateOf(m_window);
    return QObject::eventFilter(watched, event);
}

} // namespace tavrino
