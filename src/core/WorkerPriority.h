#pragma once

// Decoding threads yield to the user-interface thread: on a machine with few
// cores the window would otherwise wait behind them. Call it at the start of
// each job on a worker; it lowers the calling thread once.
void lowerThisThread();
