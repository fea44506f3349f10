// libFuzzer entry point: session script input.
#include "fuzz_targets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return fuzz::SessionScriptInput(data, size);
}
