#pragma once
// Every fuzz target defines these two. Built with -fsanitize=fuzzer they are
// libFuzzer's entry points; otherwise FuzzReplay.cpp gives the target a
// main() that feeds it the files and folders named on its command line.
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv);
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);
