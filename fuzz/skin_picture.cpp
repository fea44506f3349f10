// libFuzzer entry point: skin picture input.
#include "fuzz_targets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return fuzz::SkinPictureInput(data, size);
}
