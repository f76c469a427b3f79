#include "cli/cli_app.h"
#include "shell/core_dumps.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

int main(int argc, char** argv) {
    tavrino::keepSecretsOutOfCoreDumps();
    QCoreApplication app(argc, argv);
    QTextStream in(stdin);
    QTextStream out(stdout);
    QTextStream err(stderr);
    const int status = tavrino::runCli(QCoreApplication::arguments().mid(1), in, out, err,
                                       QCoreApplication::applicationDirPath());
    out.flush();
    err.flush();
    return status;
}
