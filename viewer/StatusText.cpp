#include "viewer/StatusText.h"

#include "viewer/Decimal.h"

std::u16string StatusText(uint32_t ElapsedMilliseconds, int64_t InstanceCount, char16_t Separator) {
  // In 64 bits: adding the half must not wrap near 2^32 milliseconds.
  const uint64_t tenths = (static_cast<uint64_t>(ElapsedMilliseconds) + 50) / 100;
  std::u16string text = u"Время разбора: ";
  AppendDecimal(text, static_cast<int64_t>(tenths / 10));
  text += Separator;
  text += static_cast<char16_t>(u'0' + tenths % 10);
  text += u" Элементов: ";
  AppendDecimal(text, InstanceCount);
  return text;
}
