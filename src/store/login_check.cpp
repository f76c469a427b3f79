#include "login_check.h"

namespace tavrino {

QString trimBlanks(const QString& typed) {
    qsizetype start = 0;
    qsizetype end = typed.size();
    while (start < end && typed[start] == QLatin1Char(' '))
        ++start;
    while (end > start && typed[end - 1] == QLatin1Char(' '))
        --end;
    return typed.mid(start, end - start);
}

bool CheckLogin(const SecuritySettings& s, const QString& userId, const QString& password,
                const QString& pin) {
    const bool passwordOk = trimBlanks(password) == s.Password;
    switch (s.LoginMode) {
    case 1:
        return passwordOk;
    case 2:
        return trimBlanks(userId) == s.UserId && passwordOk;
    case 3:
        return trimBlanks(userId) == s.UserId && passwordOk && trimBlanks(pin) == s.Pin;
    default:
        return false;
    }
}

} // namespace tavrino

namespace tavrino {

bool CheckSecretAnswers(const SecuritySettings& s, const QStringList& typedAnswers) {
    int correct = 0;
    for (qsizetype i = 1; i <= s.Questions.count() && i <= typedAnswers.size(); ++i) {
        const QString& line = s.Questions.item(i);
        // Once the password is the user's own, the answer everybody knows
        // opens nothing.
        if (SecuritySettings::isDefaultQuestion(line) && !s.hasDefaultLogin()) continue;
        const QString stored = line.section(QLatin1Char('|'), 2);
        if (stored == trimBlanks(typedAnswers[i - 1])) ++correct;
    }
    return correct >= s.AnswersRequired;
}

} // namespace tavrino
