#include "viewer/ListerProtocol.h"
#include "viewer/StatusText.h"
#include "viewer/ViewerMain.h"

#include <exception>

namespace {

tk::ColourScheme SchemeOfShowFlags(int ShowFlags) {
  if ((ShowFlags & lcp_darkmode) == 0)
    return tk::ColourScheme::System;
  return (ShowFlags & lcp_darkmodenative) != 0 ? tk::ColourScheme::DarkNative
                                               : tk::ColourScheme::Dark;
}

} // namespace

template <class Action> int TfmMain::Answer(Action&& Act) noexcept {
  int result = LISTPLUGIN_ERROR;
  app_.Guard([&] { result = Act() ? LISTPLUGIN_OK : LISTPLUGIN_ERROR; });
  return result;
}

int TfmMain::AnswerSearchText(std::u16string_view Text, int SearchParameter) noexcept {
  return Answer([&] { return SearchText(Text, SearchParameter); });
}

int TfmMain::AnswerSendCommand(int Command, int Parameter) noexcept {
  return Answer([&] {
    switch (Command) {
    case lc_copy:
      return CopySelectedValue();
    case lc_selectall:
      return SelectTop();
    case lc_newparams:
      ApplyShowFlags(Parameter);
      return true;
    default:
      return false;
    }
  });
}

int TfmMain::AnswerLoadNext(const std::u16string& FileName, int ShowFlags) noexcept {
  return Answer([&] { return LoadNext(FileName, ShowFlags); });
}

void TfmMain::ApplyShowFlags(int ShowFlags) {
  form_->SetColourScheme(SchemeOfShowFlags(ShowFlags));
}

bool TfmMain::LoadNext(const std::u16string& FileName, int ShowFlags) {
  JSONRef document;
  const uint32_t started = app_.TickCount();
  try {
    document = LoadChecked(FileName);
  } catch (const std::exception&) {
    // The host then offers the file to other plugins or its own viewer; a box would be in the
    // way of that. The viewer keeps its file and status.
    return false;
  }
  const uint32_t elapsed = ElapsedTicks(started, app_.TickCount());
  uFileToView = FileName;
  FRootObj = std::move(document);
  ShowObject(tk::NoNode, FRootObj);
  // Counted once the previous file is let go: the viewer shows one file, and its count must
  // not hold the one it replaced.
  WriteLoadStatus(elapsed);
  SelectDeparture();
  ApplyShowFlags(ShowFlags);
  return true;
}

bool TfmMain::SelectTop() {
  const tk::TreeNodeHandle top = JSONTreeViewer.FirstChild(tk::NoNode);
  if (!top)
    return false;
  JSONTreeViewer.Select(top);
  return true;
}

void TfmMain::ShowStatusNote(std::u16string_view Note) {
  std::u16string text = loadStatus_;
  if (!Note.empty()) {
    if (!text.empty())
      text += u"  ";
    text += Note;
  }
  if (text != StatusBar1.Text())
    StatusBar1.SetText(text);
}
