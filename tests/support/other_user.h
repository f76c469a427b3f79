#pragma once

#include "support/child_process.h"

#include <grp.h>
#include <sys/types.h>
#include <unistd.h>

#include <functional>
#include <vector>

namespace tavrino::test {

// Runs work in a forked process as another user (uid, gid, supplementary
// groups), as a second person sharing the database folder. Needs root: tests
// skip themselves when not run as root. The result is work's, or 100 when
// the switch of user failed.
inline int runAsUser(uid_t uid, gid_t gid, std::vector<gid_t> groups,
                     const std::function<int()>& work) {
    ChildProcess child([&] {
        if (::setgroups(groups.size(), groups.data()) != 0 || ::setresgid(gid, gid, gid) != 0 ||
            ::setresuid(uid, uid, uid) != 0)
            return 100;
        return work();
    });
    return child.result();
}

inline bool isRoot() {
    return ::geteuid() == 0;
}

} // namespace tavrino::test
