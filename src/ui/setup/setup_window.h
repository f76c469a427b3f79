#pragma once

#include "store/profile_store.h"
#include "ui/common/vault_services.h"

#include <QDialog>

#include <array>
#include <functional>
#include <optional>

class QAction;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QPrinter;
class QPushButton;
class QRadioButton;
class QSlider;
class QTimer;
class QToolBar;

namespace tavrino {

// The setup window, modal over the vault: security options, categories,
// profiles and the about page, one page at a time, with a toolbar.
class SetupWindow : public QDialog {
    Q_OBJECT
public:
    // lockTimer: the vault's auto-lock timer, held while this window is open.
    SetupWindow(VaultServices& services, QTimer* lockTimer, QWidget* parent = nullptr);
    ~SetupWindow() override;

    void SetDirty(bool dirty);
    bool isDirty() const { return m_dirty; }
    void Toolbar2_ButtonClick(const QString& key);
    QAction* button(const QString& key) const;

    // Security page (setup_security.cpp).
    void LoadSecurityOptions();
    void SaveSecurityOptions();
    void chkTimeout_Click();
    void slTimer_Click();

    // Category page (setup_category.cpp).
    void FillCategoryList();
    int FindCategory(const QString& name) const;
    bool SaveCategory();
    void deleteSelectedCategory();

    void cmdPrint_Click();
    // Sets up the printer before a printout (tests print to a PDF file).
    std::function<void(QPrinter&)> preparePrinter;

    // Set when a save met another workstation's newer profile; the vault
    // then catches up with the profile that was read instead.
    std::optional<SaveOutcome> conflict;

    QToolBar* Toolbar2;
    QFrame* fraSecurityOptions;
    QFrame* fraCategory;
    QFrame* fraProfile;
    QFrame* fraAbout;

    QRadioButton* optPass;
    QRadioButton* optUserPass;
    QRadioButton* optPIN;
    QLineEdit* txtPassword;
    QLineEdit* txtconfirm;
    QLineEdit* txtUserID;
    QLineEdit* txtSetupPIN;
    std::array<QLineEdit*, 3> txtQuestion;
    std::array<QLineEdit*, 3> txtanswer;
    QRadioButton* optQ1;
    QRadioButton* optQ2;
    QRadioButton* optAll;
    QCheckBox* chkTimeout;
    QSlider* slTimer;
    QPushButton* cmdPrint;

    QListWidget* lstCategory;
    QLineEdit* txtCategory;
    QLabel* lblNewCategory;

    QComboBox* cboProfile;
    QLineEdit* txtFileName;
    QLabel* lblNewProfile;

    QLabel* lblVersion;

    void reject() override;

private:
    QFrame* buildSecurityPage();
    QFrame* buildCategoryPage();
    QFrame* buildProfilePage();
    QFrame* buildAboutPage();
    void showPage(QFrame* page);
    QFrame* visiblePage() const;
    bool refuseWhileDirty();
    void enable(const QString& key, bool on);
    void enableEditing(bool add, bool del, bool save, bool cancel);
    void saveSecurity();
    void refreshProfiles();
    void noteSave();
    void markChanged();

    VaultServices& m_s;
    QTimer* m_lockTimer;
    bool m_dirty = false;
    QList<QAction*> m_buttons;
};

} // namespace tavrino
