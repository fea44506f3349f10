// libFuzzer entry point: settings file input.
#include "fuzz_targets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return fuzz::SettingsFileInput(data, size);
}
