#pragma once

#include "ui/common/vault_services.h"
#include "ui/desktop/window_shape.h"

#include <QPixmap>
#include <QWidget>

#include <array>
#include <functional>

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTimer;
class QTreeView;

namespace tavrino {

class FlatButton;
class RecordTreeModel;
class RecordPopup;
class SetupWindow;
class SecretClipboard;

// A picture that acts on a mouse press (the lock, hide and close images).
class ImageButton;

// The vault window: one borderless window shaped like its picture, whose
// panels overlap; which panels show decides the state (login, tree, record).
class VaultWindow : public QWidget {
    Q_OBJECT
public:
    explicit VaultWindow(VaultServices& services, QWidget* parent = nullptr);
    ~VaultWindow() override;

    // Shapes the window, dresses the buttons, shows the getting-started
    // window, lists the profiles (opening the first) and reads the auto-lock.
    void Form_Load();
    // After the window is shown: the user ID box when visible, else the password box.
    void focusFirstLoginBox();

    void SetupListButtons();
    void FraDetailShow(bool show);
    void SetDirty(bool dirty);
    bool IsDirty() const { return m_dirty; }
    void ButtonRefresh();
    void FillTree(const QString& selectionKey);
    void FillCombo(QComboBox* combo, const QString& firstEntry);

    // Fills the profile box from the database folder and opens the first.
    void ListProfiles();

    // Login (vault_login.cpp).
    void cboProfile_Click();
    void ShowLoginFields();
    void ClearLoginFields();
    void CheckLogin();
    void ShowSecretQuestions();
    void CheckSecretAnswers();
    void UCLoginBtn_Click();
    void UCQuestBtn_Click();

    // Record editing (vault_record.cpp).
    void ShowSelectedRecord();
    void ShowRecordDetail(const QString& key);
    void ClearRecordDetail();
    static int FindListItem(const QComboBox* list, const QString& text);
    bool SaveRecord(const QString& positionText);
    void UCNewBtn_Click();
    void UCSaveBtn_Click();
    void UCCancelBtn_Click();
    void UCBackBtn_Click();
    void UCDeleteBtn_Click();
    void UCPopBtn_Click();
    void UCGenerateBtn_Click();

    // Locking (vault_lock.cpp).
    void LockVault();
    // The desktop session locked or the machine goes to sleep.
    void lockIfLoggedIn();
    void imgLock_Click();
    void tmrLock_Timer();
    void tmrPass_Timer();

    // The setup window (modal), and opening it as SETUP does.
    SetupWindow* setupWindow();
    void UCSetupBtn_Click();

    // The record popup, made on first use.
    RecordPopup* popup();
    bool hasPopup() const { return m_popup != nullptr; }
    // Where the popup's copies go, taken back on a lock.
    SecretClipboard& clipboard() { return *m_clipboard; }

    // Seams for the windows that other parts of the program bring.
    std::function<void()> showGettingStarted; // modal, before the profiles are listed
    std::function<void()> setupTray;
    std::function<void()> removeTray;
    std::function<bool()> canHideToTray; // a notification area is there to come back from
    std::function<void()> openSetup;
    std::function<void()> unloadPopup;

    QString CurrentRecordKey;

    // The controls, by the names the rest of the program knows them by.
    QFrame* fraLogin;
    QFrame* fraTV;
    QFrame* fraDetail;
    QFrame* fraMenu;
    QFrame* fraPassTool;
    QFrame* fraTools;
    QFrame* fraRecord;

    QLabel* lblProfileprompt;
    QComboBox* cboProfile;
    QLabel* lblUser;
    QLineEdit* txtUser;
    QLabel* lblPassword;
    QLineEdit* txtpass;
    QLabel* lblPin;
    QLineEdit* txtPin;
    std::array<QLabel*, 3> lblQ1;
    std::array<QLineEdit*, 3> txtAns;

    QTreeView* TV1;
    RecordTreeModel* treeModel;

    QLineEdit* txtUserCode;
    QComboBox* cboCategory;
    QLineEdit* txtUserDesc;
    QLineEdit* txtUserpass;
    QLabel* lblShow;
    QLineEdit* txtuserconfirm;
    QLineEdit* txtEmail;
    QLineEdit* txtWeb;
    QPlainTextEdit* txtSource;
    QLineEdit* txtExpiry;
    QLabel* lblNewUser;

    QLabel* lblLogo;
    QLabel* lblVersion;
    QPushButton* cmdAlpha;
    QLabel* lblLoggedIn;
    ImageButton* imgLock;
    ImageButton* Image2;
    ImageButton* Image1;
    QTimer* tmrLock;
    QTimer* tmrPass;

    FlatButton* UCSetupBtn;
    FlatButton* UCQuestBtn;
    FlatButton* UCLoginBtn;
    FlatButton* UCHelpBtn;
    FlatButton* UCNewBtn;
    FlatButton* UCSaveBtn;
    FlatButton* UCCancelBtn;
    FlatButton* UCBackBtn;
    FlatButton* UCGenerateBtn;
    FlatButton* UCPopBtn;
    FlatButton* UCDeleteBtn;

    // The flat buttons in the order the window dresses them.
    QList<FlatButton*> flatButtons() const;
    QRegion shapeRegion() const { return m_shape.region(); }

signals:
    // The profile in the box could not be used: no login is possible.
    void profileUnusable();
    // The window closed for good: the program ends.
    void unloaded();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildLoginPanel();
    void buildTreePanel();
    void buildDetailPanel();
    void buildBars();
    void buildOutside();
    void UCHelpBtn_Click();
    void cmdAlpha_Click();
    void Image2_Click();
    void markProfileUnusable();
    void noteActivity();
    void connectRecordPanel();
    void showRecordLayout();
    void markChanged();
    void afterConflict(bool loginChanged);
    bool recordNodeSelected() const;
    static qsizetype positionOf(const QString& key);

    VaultServices& m_s;
    QPixmap m_picture;
    WindowShape m_shape;
    bool m_dirty = false;
    bool m_readFailed = false;
    RecordPopup* m_popup = nullptr;
    SetupWindow* m_setup = nullptr;
    SecretClipboard* m_clipboard;
};

} // namespace tavrino
