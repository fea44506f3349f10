// Mode 3: a screen filled with one colour and nothing to press.
#pragma once
#include <cstdint>

constexpr uint16_t kBlankScreenWord = 0x00FF;

void BlankScreenRedraw();
void BlankScreenCommand(uint16_t id);
