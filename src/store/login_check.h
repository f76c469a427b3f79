#pragma once

#include "store/profile.h"

namespace tavrino {

// Blanks around a typed value don't count; the stored values are compared
// exactly and with case.
QString trimBlanks(const QString& typed);

// The credentials the profile's login mode asks for, checked against it.
bool CheckLogin(const SecuritySettings& security, const QString& userId, const QString& password,
                const QString& pin);

} // namespace tavrino

namespace tavrino {

// True when at least AnswersRequired of the stored answers equal the typed
// ones (blanks around them removed), question by question.
bool CheckSecretAnswers(const SecuritySettings& security, const QStringList& typedAnswers);

} // namespace tavrino
