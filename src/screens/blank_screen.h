// Mode 3: a screen filled with one colour and nothing to press.
#pragma once
#include <cstdint>

#include "screens/widget_ids.h"

constexpr uint16_t kBlankScreenWord = 0x00FF;

void BlankScreenRedraw();
// Nothing to press: an empty command list.
extern const CommandEntry kBlankCommands[];
