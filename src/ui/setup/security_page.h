#pragma once

#include "ui/setup/setup_page.h"

#include <array>

class QCheckBox;
class QRadioButton;
class QSlider;

namespace tavrino {

// The login of the profile (mode, password, user ID, PIN), its secret
// questions and how many answers open it, the auto-lock time, and the
// printed password list.
class SecurityPage : public SetupPage {
    Q_OBJECT
public:
    explicit SecurityPage(VaultServices& services);

    // Shows the profile's settings as stored.
    void load();
    void save() override;
    void cancel() override;

signals:
    void printRequested();

private:
    void markChanged();
    void onAutoLockToggled();
    void onAutoLockMinutesChosen();
    int chosenLoginMode() const;
    int chosenAnswersRequired() const;
    // The page's values into the profile (the password only when retyped).
    void storeInProfile();

    QRadioButton* m_passwordOnly;
    QRadioButton* m_userIdAndPassword;
    QRadioButton* m_userIdPasswordAndPin;
    QLineEdit* m_password;
    QLineEdit* m_passwordConfirm;
    QLineEdit* m_userId;
    QLineEdit* m_pin;
    std::array<QLineEdit*, 3> m_questions{};
    std::array<QLineEdit*, 3> m_answers{};
    QRadioButton* m_oneAnswer;
    QRadioButton* m_twoAnswers;
    QRadioButton* m_allAnswers;
    QCheckBox* m_autoLock;
    QSlider* m_autoLockMinutes;
};

} // namespace tavrino
