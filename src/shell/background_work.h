#pragma once

namespace tavrino {

// For a thread that works ahead of the window (reading the profile, decoding
// pictures): on a machine with few cores it gives way to the window's thread
// and to the desktop's font list, which the window's first text waits for.
// Not to the last: the window waits for this work too, and must not be
// starved of it while other programs keep the machine busy.
void runThisThreadInTheBackground();

} // namespace tavrino
