#include "background_work.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace tavrino {

void runThisThreadInTheBackground() {
    // Linux gives each thread a niceness of its own. At 10 such a thread
    // still has about a tenth of a core that other programs keep busy.
    constexpr int Nice = 10;
    const auto thread = static_cast<id_t>(::syscall(SYS_gettid));
    (void)::setpriority(PRIO_PROCESS, thread, Nice);
}

} // namespace tavrino
