#pragma once

namespace tk {

// The pixels per inch that window descriptions are designed at.
inline constexpr int DesignPixelsPerInch = 96;

// Pixels designed at DesignedAt pixels per inch, on a screen of Dpi pixels per inch: rounded to
// the nearest pixel, halves away from zero, as MulDiv does. A Dpi or DesignedAt of 0 or less
// leaves the size as designed.
constexpr int ScaleForDpi(int Pixels, int Dpi, int DesignedAt = DesignPixelsPerInch) {
  if (Dpi <= 0 || DesignedAt <= 0)
    return Pixels;
  const long long scaled = static_cast<long long>(Pixels) * Dpi;
  const long long half = DesignedAt / 2;
  return static_cast<int>(scaled >= 0 ? (scaled + half) / DesignedAt
                                      : -((-scaled + half) / DesignedAt));
}

} // namespace tk
