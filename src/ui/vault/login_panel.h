#pragma once

#include "ui/common/vault_services.h"

#include <QFrame>

#include <array>

class QComboBox;
class QLabel;
class QLineEdit;

namespace tavrino {

// The login: the profile to open, the boxes its login mode asks for, and the
// secret questions for a forgotten password.
class LoginPanel : public QFrame {
    Q_OBJECT
public:
    LoginPanel(VaultServices& services, QWidget* parent);

    // Fills the profile box from the database folder and opens the first.
    void listProfiles();
    // Opens the profile chosen in the box and shows the boxes its login asks for.
    void openChosenProfile();
    QString profileName() const;
    QStringList profileNames() const;
    void chooseProfile(const QString& name);

    // The open profile can be opened by answering its questions.
    bool offersQuestions() const;
    // LOST: the questions in place of the credentials.
    void showQuestions();

    // Checks what was typed; a wrong login is told and the boxes stay as typed.
    bool tryLogin();
    // Nothing typed stays behind.
    void clearBoxes();

    // The user ID box when shown, else the password box.
    void focusFirstBox();
    // The last box the login mode shows.
    void focusLastBox();

    // Nothing of a profile that did not read completely may be logged into
    // or saved over: forget it, as if none were open.
    void forgetProfile();

signals:
    void loginRequested();
    // The open profile changed; what the bars offer may change with it.
    void profileOpened();
    void profileUnusable();

private:
    void showLoginBoxes();
    void hideQuestions();
    bool questionsShown() const;

    VaultServices& m_s;
    QComboBox* m_profile;
    QLabel* m_userIdCaption;
    QLineEdit* m_userId;
    QLabel* m_passwordCaption;
    QLineEdit* m_password;
    QLabel* m_pinCaption;
    QLineEdit* m_pin;
    std::array<QLabel*, 3> m_questions{};
    std::array<QLineEdit*, 3> m_answers{};
};

} // namespace tavrino
