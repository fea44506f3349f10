#include "platform/platform.h"

const PlatformBackend* platform = nullptr;

static int exit_status = 0;

int ExitStatus() { return exit_status; }
void SetExitStatus(int status) { exit_status = status; }

GXDisplayProperties GXGetDisplayProperties() { return platform->display_properties(); }
uint16_t* GXBeginDraw() { return platform->begin_draw(); }
void GXEndDraw() { platform->end_draw(); }
void GXOpenDisplay() { platform->open_display(); }
void GXCloseDisplay() { platform->close_display(); }
void GXOpenInput() { platform->open_input(); }
void GXCloseInput() { platform->close_input(); }
void GXSuspend() { platform->suspend(); }
void GXResume() { platform->resume(); }
uint32_t GetTickCount() { return platform->tick_count(); }
