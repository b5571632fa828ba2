#pragma once

// The decoding helper's life (glintwave-decode): it limits its address
// space and CPU time, locks itself down (SeccompFilter), then decodes each
// picture the program hands over on fd 3 with the one picture loader and
// its limits, until the program goes away. Returns the exit status.
int runDecodeHelper(int argc, char **argv);
