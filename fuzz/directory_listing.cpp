// libFuzzer entry point: directory listing input.
#include "fuzz_targets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return fuzz::DirectoryListingInput(data, size);
}
