#include "shell/core_dumps.h"
#include "support/child_process.h"

#include <gtest/gtest.h>

#include <sys/prctl.h>
#include <sys/resource.h>

using namespace tavrino;

TEST(CoreDumps, NoneIsWrittenAndTheProcessIsNotDumpable) {
    test::ChildProcess child([] {
        if (!keepSecretsOutOfCoreDumps()) return 1;
        struct rlimit limit {};
        if (::getrlimit(RLIMIT_CORE, &limit) != 0 || limit.rlim_cur != 0 || limit.rlim_max != 0)
            return 2;
        return ::prctl(PR_GET_DUMPABLE, 0, 0, 0, 0) == 0 ? 0 : 3;
    });
    EXPECT_EQ(child.result(), 0);
}
