#pragma once

#include <QString>

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>

// Text across the Qt boundary. Both sides hold UTF-16, so nothing is converted, only copied.
namespace tkqt {

// The most units a QString takes without failing to allocate (its size is an int of bytes'
// worth of headroom): longer texts are cut there by ToQString.
inline constexpr std::size_t kMaxQStringUnits = (std::size_t{1} << 30) - 64;

// Text as a QString, cut to Limit units (and never past what a QString holds).
inline QString ToQString(std::u16string_view Text, std::size_t Limit = kMaxQStringUnits) {
  const std::size_t units = std::min({Text.size(), Limit, kMaxQStringUnits});
  return QString::fromUtf16(Text.data(), static_cast<int>(units));
}

inline std::u16string FromQString(const QString& Text) {
  return std::u16string(reinterpret_cast<const char16_t*>(Text.utf16()),
                        static_cast<std::size_t>(Text.size()));
}

} // namespace tkqt
