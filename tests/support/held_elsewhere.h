#pragma once

#include "store/held_file.h"
#include "support/child_process.h"

#include <QString>

#include <memory>

namespace tavrino::test {

// Another process that opens and holds path (as a second Tavrino instance
// would) until the returned object goes or finish() is called. result() is
// 0 when it holds the file, else the errno of the open.
inline std::unique_ptr<ChildProcess> holdInAnotherProcess(const QString& path) {
    return std::make_unique<ChildProcess>(
        [path] {
            static HeldFile kept;
            return kept.open(path);
        },
        true);
}

} // namespace tavrino::test
