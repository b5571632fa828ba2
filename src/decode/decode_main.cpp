// glintwave-decode: every picture decoder and nothing else, in a process of
// its own that the program starts in a sandbox.
#include "decode/DecodeHelper.h"

int main(int argc, char **argv)
{
    return runDecodeHelper(argc, argv);
}
