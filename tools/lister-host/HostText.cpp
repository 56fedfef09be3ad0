#include "tools/lister-host/HostText.h"

#include <cstdint>
#include <cstdio>

namespace host {
namespace {

void PutUtf8(std::string& Out, char32_t C) {
  if (C < 0x80) {
    Out += static_cast<char>(C);
  } else if (C < 0x800) {
    Out += static_cast<char>(0xC0 | (C >> 6));
    Out += static_cast<char>(0x80 | (C & 0x3F));
  } else if (C < 0x10000) {
    Out += static_cast<char>(0xE0 | (C >> 12));
    Out += static_cast<char>(0x80 | ((C >> 6) & 0x3F));
    Out += static_cast<char>(0x80 | (C & 0x3F));
  } else {
    Out += static_cast<char>(0xF0 | (C >> 18));
    Out += static_cast<char>(0x80 | ((C >> 12) & 0x3F));
    Out += static_cast<char>(0x80 | ((C >> 6) & 0x3F));
    Out += static_cast<char>(0x80 | (C & 0x3F));
  }
}

} // namespace

std::string ToUtf8(std::u16string_view Text) {
  std::string out;
  out.reserve(Text.size());
  for (std::size_t i = 0; i < Text.size(); ++i) {
    char32_t c = Text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < Text.size() && Text[i + 1] >= 0xDC00 &&
        Text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (Text[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    PutUtf8(out, c);
  }
  return out;
}

std::u16string FromUtf8(std::string_view Text) {
  std::u16string out;
  std::size_t i = 0;
  while (i < Text.size()) {
    const auto lead = static_cast<uint8_t>(Text[i]);
    int extra = 0;
    char32_t c = 0;
    if (lead < 0x80) {
      c = lead;
    } else if ((lead & 0xE0) == 0xC0) {
      c = lead & 0x1F;
      extra = 1;
    } else if ((lead & 0xF0) == 0xE0) {
      c = lead & 0x0F;
      extra = 2;
    } else if ((lead & 0xF8) == 0xF0) {
      c = lead & 0x07;
      extra = 3;
    } else {
      out += u'\uFFFD';
      ++i;
      continue;
    }
    bool ok = i + static_cast<std::size_t>(extra) < Text.size();
    for (int k = 1; ok && k <= extra; ++k) {
      const auto next = static_cast<uint8_t>(Text[i + k]);
      if ((next & 0xC0) != 0x80)
        ok = false;
      else
        c = (c << 6) | (next & 0x3F);
    }
    if (!ok) {
      out += u'\uFFFD';
      ++i;
      continue;
    }
    i += 1 + static_cast<std::size_t>(extra);
    if (c >= 0x10000) {
      c -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (c >> 10));
      out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    } else {
      out += static_cast<char16_t>(c);
    }
  }
  return out;
}

std::string Escaped(std::u16string_view Text) {
  std::u16string plain;
  std::string out;
  auto flush = [&] {
    out += ToUtf8(plain);
    plain.clear();
  };
  for (char16_t c : Text) {
    const char* escape = nullptr;
    switch (c) {
    case u'\\':
      escape = "\\\\";
      break;
    case u'\r':
      escape = "\\r";
      break;
    case u'\n':
      escape = "\\n";
      break;
    case u'\t':
      escape = "\\t";
      break;
    default:
      break;
    }
    if (escape != nullptr) {
      flush();
      out += escape;
    } else if (c < 0x20 || c == 0x7F) {
      flush();
      static const char digits[] = "0123456789ABCDEF";
      out += "\\x";
      out += digits[(c >> 4) & 0xF];
      out += digits[c & 0xF];
    } else {
      plain += c;
    }
  }
  flush();
  return out;
}

std::string Hex(uint64_t Value, int Digits) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "0x%0*llX", Digits, static_cast<unsigned long long>(Value));
  return buffer;
}

std::string FormatMs(double Value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.1f", Value);
  return buffer;
}

} // namespace host
