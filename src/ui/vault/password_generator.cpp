#include "password_generator.h"

#include "shell/clock.h"

#include <QRandomGenerator>

namespace tavrino {

const QString PasswordAlphabet =
    QStringLiteral("ABCDEFGHIJKLmnopqrstuvwxyz0123456789abcdefchijklMNOPQRSTUVWXYZ");

QString GeneratePassword(const Clock& clock) {
    QString result;
    for (int i = 0; i < 7; ++i) {
        const quint64 now = static_cast<quint64>(clock.now().toMSecsSinceEpoch());
        const quint32 seeds[] = {static_cast<quint32>(now), static_cast<quint32>(now >> 32),
                                 QRandomGenerator::system()->generate(),
                                 QRandomGenerator::system()->generate()};
        QRandomGenerator generator(seeds, 4);
        result += PasswordAlphabet[static_cast<qsizetype>(
            generator.bounded(static_cast<quint32>(PasswordAlphabet.size())))];
    }
    return result;
}

} // namespace tavrino
