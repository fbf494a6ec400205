#pragma once

#include <cstdint>

// The frames a processing routine works on and the channels that take part, as they stand
// when the command starts. SelStart and SelEnd are inclusive and may lie outside the sound.
struct Selection {
  int32_t SelStart = 0;
  int32_t SelEnd = 0;
  bool Left = true;
  bool Right = true;

  bool operator==(const Selection&) const = default;
};
