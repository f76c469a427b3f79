#pragma once

#include <functional>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace tavrino::test {

// Runs work in a forked process: a second Tavrino instance on the same folder.
// When work returns, the child tells the parent and then waits to be killed,
// so whatever it holds stays held until the parent is done.
class ChildProcess {
public:
    explicit ChildProcess(const std::function<int()>& work, bool stayAlive = false) {
        int fds[2];
        if (pipe(fds) != 0) return;
        m_pid = fork();
        if (m_pid == 0) {
            close(fds[0]);
            const char result = static_cast<char>(work());
            (void)!write(fds[1], &result, 1);
            if (stayAlive)
                for (;;)
                    pause();
            _exit(result);
        }
        close(fds[1]);
        char result = -1;
        m_ok = read(fds[0], &result, 1) == 1;
        m_result = result;
        close(fds[0]);
        if (!stayAlive) finish();
    }
    ~ChildProcess() { finish(); }
    void finish() {
        if (m_pid <= 0) return;
        kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
        m_pid = -1;
    }
    int result() const { return m_ok ? m_result : -1; }

private:
    pid_t m_pid = -1;
    bool m_ok = false;
    int m_result = -1;
};

} // namespace tavrino::test
