#pragma once

#include "ui/common/vault_services.h"
#include "ui/desktop/window_shape.h"
#include "ui/vault/command_bars.h"

#include <QPixmap>
#include <QWidget>

#include <functional>

class QLabel;
class QPushButton;

class QTimer;

namespace tavrino {

class RecordsWindow;

class ProfileWatch;

enum class SaveOutcome;
class ImageButton;
class LockController;
class LoginPanel;
class RecordPanel;
class RecordPopup;
class SecretClipboard;
class SetupWindow;
class TreePanel;

// The vault window: one borderless window shaped like its picture. It
// composes the login, tree and record panels, the command bars and the lock
// controller, decides which view shows, and drags itself by its picture.
class VaultWindow : public QWidget {
    Q_OBJECT
public:
    explicit VaultWindow(VaultServices& services, QWidget* parent = nullptr);
    ~VaultWindow() override;
    // Starts decoding the window's pictures for a screen of this density on
    // a thread of their own; the window takes them when it is built.
    static void readPicturesAhead(qreal density);

    // Shapes the window, dresses the buttons, shows the getting-started
    // window, lists the profiles (opening the first) and reads the auto-lock.
    void load();
    // After the window is shown: the user ID box when shown, else the password box.
    void focusFirstLoginBox();

    VaultView view() const { return m_view; }
    bool isDirty() const;
    // The tree key of the record shown ("C" and its position), if any.
    QString currentRecordKey() const;

    // Back to the login; nothing of the profile stays in sight.
    void lockVault();
    // Shown and brought to the front from wherever it is: the tray,
    // minimised, behind other windows (a second start asks for it).
    void comeForward();
    // How often a window hidden in the tray checks that the tray is there.
    static constexpr int TrayCheckMs = 2000;
    // The desktop session locked or the machine goes to sleep.
    void lockIfLoggedIn();

    LoginPanel& loginPanel() const { return *m_login; }
    // The record list and the record panel are built when first needed (a
    // login), not while the window starts.
    TreePanel& treePanel() { return *tree(); }
    ProfileWatch& profileWatch() const { return *m_watch; }
    RecordPanel& recordPanel() { return *record(); }
    CommandBars& commandBars() const { return *m_bars; }
    LockController& lockController() const { return *m_lock; }

    // The setup window (modal), made on first use.
    SetupWindow* setupWindow();
    // SETUP: a fresh setup window, shown modal.
    void openSetupWindow();
    // The record popup, made on first use.
    RecordPopup* popup();
    bool hasPopup() const { return m_popup != nullptr; }
    // Where the popup's copies go, taken back on a lock.
    SecretClipboard& clipboard() const { return *m_clipboard; }

    QRegion shapeRegion() const { return m_shape.region(); }

    // Seams for the windows that other parts of the program bring.
    std::function<void()> showGettingStarted; // modal, before the profiles are listed
    std::function<void()> setupTray;
    std::function<void()> removeTray;
    std::function<bool()> canHideToTray; // a notification area is there to come back from
    std::function<void()> openSetup;
    std::function<void()> unloadPopup;

signals:
    // The profile in the box could not be used: no login is possible.
    void profileUnusable();
    // The window closed for good: the program ends.
    void unloaded();
    // A login succeeded (the first, or one after a lock).
    void loggedIn();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

public:
    // Many records at once, in a window of their own (made when first asked).
    RecordsWindow* recordsWindow();
    void openRecordsWindow();

    // The card's outside is magenta, the colour the shape cuts away.
    static constexpr const char* CardPicture = ":/assets/vault.png";
    static constexpr QRgb CardKey = 0xffff00ff;

private:
    static constexpr const char* IconPicture = ":/assets/tavrino-64.png";
    static constexpr const char* FramePictures[] = {":/assets/lock.png", ":/assets/hide.png",
                                                    ":/assets/close.png"};
    void showNote(const QString& text);
    void onGeneratorOptions();
    void showStrength(std::optional<double> bits);
    // Another save of the open profile was seen: shown when nothing unsaved
    // is on screen, looking as it did.
    void onNewerSave(const QByteArray& look, const QByteArray& content);
    void showLoggedInNote();
    void buildFrameControls();
    void watchActivity(QWidget* within);
    void buildRecordPanels();
    TreePanel* tree();
    RecordPanel* record();
    void showView(VaultView view);
    void refreshBars();
    void showTree(const QString& selectionKey);
    void onCommand(CommandBars::Command command);
    void onLoginRequested();
    void onRecordActivated(const QString& key);
    void onNewClicked();
    void onSaveClicked();
    void onUndoClicked();
    void onBackClicked();
    void onDeleteClicked();
    void onPopupClicked();
    void onHelpClicked();
    void onHideClicked();
    void onLockClicked();
    void afterConflict(SaveOutcome outcome);
    void lockNow();

    VaultServices& m_s;
    QPixmap m_picture;
    WindowShape m_shape;
    VaultView m_view = VaultView::Login;
    bool m_expiryWarned = false; // the expiry box shown since the login

    LoginPanel* m_login;
    TreePanel* m_tree = nullptr;
    RecordPanel* m_record = nullptr;
    CommandBars* m_bars;
    LockController* m_lock;
    ProfileWatch* m_watch;

    QPushButton* m_groupingButton; // A-Z
    QPushButton* m_listButton;     // the records window
    RecordsWindow* m_recordsWindow = nullptr;
    QLabel* m_loggedInNote;
    ImageButton* m_lockButton;
    ImageButton* m_hideButton;
    ImageButton* m_closeButton;

    RecordPopup* m_popup = nullptr;
    SetupWindow* m_setup = nullptr;
    SecretClipboard* m_clipboard;
    bool m_lockPending = false; // a lock fell due while a save was running
    // While hidden in the tray: is the tray still there to bring it back?
    QTimer* m_trayWatch = nullptr;
    void checkTrayStillThere();
    static bool popupStaysOnTop();
    void noteOnceThatThePopupMayGoBehind();
};

} // namespace tavrino
