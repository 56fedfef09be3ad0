#include "viewer/PluginMessage.h"

#include "json/UnicodeConversion.h"

void ShowPluginMessage(tk::Application& App, tk::NativeWindow Owner, std::u16string_view Text) {
  App.ShowMessageBox(Owner, Text, u"Message", tk::MbOk | tk::MbIconInformation);
}

std::u16string ReportText(std::u16string_view Prefix, const std::exception& E) {
  std::u16string text(Prefix);
  text += u'\r';
  text += ujson::Utf8ToUtf16(E.what());
  return text;
}
