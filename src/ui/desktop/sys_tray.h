#pragma once

#include <QObject>
#include <QPixmap>
#include <QString>
#include <QElapsedTimer>
#include <QSystemTrayIcon>
#include <QTimer>

class QAction;
class QMenu;
class QWidget;

namespace tavrino {

class MessageService;

// Which of Maximize, Restore, Minimize the menu offers for a window state
// (0 normal, 1 minimised, 2 maximised), its visibility, and whether it can
// grow at all.
struct TrayMenuStates {
    bool maximize;
    bool restore;
    bool minimize;
    bool operator==(const TrayMenuStates&) const = default;
};
TrayMenuStates trayMenuStates(bool visible, int windowState, bool canGrow = true);

// The notification-area icon and its menu, serving one window: show,
// maximise, minimise it to the tray, close it, and the version.
class TrayIcon : public QObject {
    Q_OBJECT
public:
    explicit TrayIcon(MessageService& messages, QObject* parent = nullptr);
    ~TrayIcon() override;

    void setWindow(QWidget* window);
    QWidget* window() const { return m_window; }

    void setTooltip(const QString& text);
    QString tooltip() const;

    // A picture, "DEFAULT" (any case), or the path of a picture file. A value
    // that gives no picture leaves the icon as it was.
    void setTrayIcon(const QPixmap& picture);
    void setTrayIcon(const QString& textOrPath);
    QPixmap icon() const { return m_icon; }

    void setInterval(int milliseconds);
    int interval() const { return m_interval; }

    void removeIcon();
    void followWindowState(QWidget* window);
    int restoreState() const { return m_restoreState; }

    bool iconShown() const;

    // A click on the icon: a single one shows a hidden window or hides a
    // shown one (as desktop trays expect), once it is sure no second click
    // follows; a double one brings the window back. The context menu is the
    // tray's own.
    void activate(QSystemTrayIcon::ActivationReason reason);

    // About, Maximize, Restore, Minimize, Lock, Exit.
    QMenu* menu() const { return m_menu; }

    static int stateOf(const QWidget* window);
    static bool available();

signals:
    void iconChanged(TrayIcon* tray);
    // Lock in the menu: the window goes back to its login.
    void lockRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setMenuStates();
    void about();
    void maximize();
    void minimize();
    void restore();
    void exit();

    MessageService& m_messages;
    QMenu* m_menu;
    QAction* m_aboutAction;
    QAction* m_maximizeAction;
    QAction* m_restoreAction;
    QAction* m_minimizeAction;
    QAction* m_lockAction;
    QAction* m_exitAction;
    // A single click waits out the double-click time; a double click's
    // own clicks are no single ones.
    QTimer m_singleClick;
    QElapsedTimer m_sinceDoubleClick;

    QSystemTrayIcon* m_tray;
    QWidget* m_window = nullptr;
    QPixmap m_icon;
    int m_interval = 0;
    int m_restoreState = 0;
};

} // namespace tavrino
