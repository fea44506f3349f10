// A virtual X display for the tests that drive the real window.
#pragma once
#include <cstdlib>
#include <string>

inline bool OnPath(const char* tool) {
    return std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0;
}

inline bool CanOpenVirtualDisplay() { return OnPath("Xvfb") && OnPath("xdotool"); }

// Shell lines that start Xvfb on a display it picks itself (so that parallel
// tests and other users' servers never collide) and export DISPLAY once it
// is ready; $xvfb is its process.
constexpr char kStartVirtualDisplay[] =
    "Xvfb -displayfd 3 -screen 0 640x480x24 -nolisten tcp 3>display.txt >/dev/null 2>&1 & xvfb=$!\n"
    "for i in $(seq 300); do [ -s display.txt ] && break; sleep 0.1; done\n"
    "export DISPLAY=:$(cat display.txt)\n";
