#pragma once

namespace tavrino {

// A core dump of ours would hold the login and every password in clear:
// none is written (RLIMIT_CORE 0), and the process is not dumpable (no
// core, no ptrace attach by other processes of the user). Called first
// thing by both programs. False when either step failed.
bool keepSecretsOutOfCoreDumps();

} // namespace tavrino
