#include "security_checks.h"

#include "store/profile.h"

namespace tavrino {

const QString PasswordMask = QStringLiteral("**********");

QString securityCheckMessage(const SecurityForm& f) {
    QString message;
    if (f.password.trimmed().isEmpty()) message = QStringLiteral(" Specify correct password!");
    if (f.loginMode >= 2 && f.userId.trimmed().isEmpty())
        message = QStringLiteral(" Specify correct UserID!");
    if (f.loginMode == 3 && f.pin.trimmed().isEmpty())
        message = QStringLiteral(" Specify correct PIN Number!");
    if (f.confirm.trimmed() != f.password.trimmed())
        message = QStringLiteral("  Password does not match!");
    if (!message.isEmpty()) return message;

    int blankQuestions = 0;
    for (int i = 0; i < 3; ++i) {
        const bool question = !f.questions.value(i).trimmed().isEmpty();
        const bool answer = !f.answers.value(i).trimmed().isEmpty();
        if (question != answer) return QStringLiteral("Question or Answer cannot be blank!");
        if (!question) ++blankQuestions;
    }
    if ((f.answersRequired == 1 || f.answersRequired == 3) && blankQuestions == 3)
        return QStringLiteral("There must be at least 1 question and answer!");
    if (f.answersRequired == 2 && blankQuestions >= 2)
        return QStringLiteral("There must be at least 2 questions and answers!");
    // "All Answers" asks for three right answers at login: with fewer
    // questions stored, the questions could never open the profile.
    if (f.answersRequired == 3 && blankQuestions > 0)
        return QStringLiteral("All Answers needs all 3 questions and answers!");
    // A password of one's own behind a question whose answer everybody knows
    // would protect nothing: LOST would open the profile.
    for (int i = 0; i < 3 && !f.defaultLogin; ++i)
        if (SecuritySettings::isDefaultQuestion(SecuritySettings::questionLine(
                f.questions.value(i).trimmed(), f.answers.value(i).trimmed())))
            return QStringLiteral("The secret question is still the default one, and everybody "
                                  "knows its answer: with it anybody could open this profile by "
                                  "LOST.\r\nPlease enter a question and an answer of your own.");
    return {};
}

} // namespace tavrino
