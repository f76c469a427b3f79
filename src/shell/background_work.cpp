#include "background_work.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace tavrino {

void runThisThreadInTheBackground() {
    // Linux gives each thread a niceness of its own.
    constexpr int Nice = 5;
    const auto thread = static_cast<id_t>(::syscall(SYS_gettid));
    (void)::setpriority(PRIO_PROCESS, thread, Nice);
}

} // namespace tavrino
