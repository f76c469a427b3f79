#pragma once

#include "store/profile.h"

namespace tavrino::test {

// A record line from its fields, in the file's order after the "4".
inline QString recordLine(const char* category, const char* description, const char* user,
                          const char* password, const char* notes = "", const char* web = "",
                          const char* email = "") {
    PasswordRecord r;
    r[PasswordRecord::Category] = QString::fromUtf8(category);
    r[PasswordRecord::Description] = QString::fromUtf8(description);
    r[PasswordRecord::UserCode] = QString::fromUtf8(user);
    r[PasswordRecord::Password] = QString::fromUtf8(password);
    r[PasswordRecord::Notes] = QString::fromUtf8(notes);
    r[PasswordRecord::WebSite] = QString::fromUtf8(web);
    r[PasswordRecord::Email] = QString::fromUtf8(email);
    return r.toLine();
}

} // namespace tavrino::test
