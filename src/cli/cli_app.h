#pragma once

#include <QString>
#include <QStringList>

class QTextStream;

namespace tavrino {

// The command-line tool over the profile store. Returns the exit status:
// 0 done, 1 failed (one line on err), 2 wrong usage.
int runCli(const QStringList& arguments, QTextStream& in, QTextStream& out, QTextStream& err,
           const QString& applicationFolder);

} // namespace tavrino
