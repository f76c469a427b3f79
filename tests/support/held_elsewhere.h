#pragma once

#include "store/held_file.h"
#include "support/test_support.h"

#include <QFile>
#include <QString>

namespace tavrino::test {

// Another workstation's save in progress on the profile at path: its lock,
// a ".bak" beside the profile, stands until finish() (or the end of the
// object). Readers and savers wait for it; nothing else keeps them out.
class SaveInProgressElsewhere {
public:
    explicit SaveInProgressElsewhere(const QString& path) : m_lock(path + QStringLiteral(".bak")) {
        QFile::copy(path, m_lock);
    }
    ~SaveInProgressElsewhere() { finish(); }
    void finish() { QFile::remove(m_lock); }

private:
    QString m_lock;
};

} // namespace tavrino::test
