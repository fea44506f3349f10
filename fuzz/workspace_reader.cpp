// libFuzzer entry point: workspace files.
#include "workspace_target.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return fuzz::WorkspaceInput(data, size);
}
