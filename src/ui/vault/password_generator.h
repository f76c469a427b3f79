#pragma once

#include <QString>

namespace tavrino {

class Clock;

// The characters a generated password is made of: "c" twice, no "g".
extern const QString PasswordAlphabet;

// Seven characters drawn uniformly from the alphabet, the generator reseeded
// before each one from the clock mixed with the system's entropy (the clock
// alone would make passwords guessable).
QString GeneratePassword(const Clock& clock);

} // namespace tavrino
