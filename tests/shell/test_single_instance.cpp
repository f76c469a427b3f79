#include "shell/single_instance.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

using tavrino::SingleInstance;

TEST(SingleInstance, SecondCopyIsRefusedUntilTheFirstEnds) {
    QTemporaryDir dir;
    const QString lock = dir.filePath(QStringLiteral("tavrino.lock"));
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t child = fork();
    if (child == 0) {
        SingleInstance first(lock);
        const char ok = first.IsPrevInstance() ? 'n' : 'y';
        (void)!write(ready[1], &ok, 1);
        pause();
        _exit(0);
    }
    char ok = 0;
    ASSERT_EQ(read(ready[0], &ok, 1), 1);
    EXPECT_EQ(ok, 'y');

    SingleInstance second(lock);
    EXPECT_TRUE(second.IsPrevInstance()) << "the first copy runs";

    // A copy whose predecessor crashed still starts.
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    SingleInstance third(lock);
    EXPECT_FALSE(third.IsPrevInstance());
}
