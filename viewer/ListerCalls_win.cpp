#ifdef _WIN32

#include "viewer/ListerCalls_win.h"

#include "viewer/ListerEmbedding_win.h"
#include "viewer/ListerProtocol.h"
#include "viewer/ViewerMain.h"

int LoadNextIntoListerWindow(HWND PluginWin, const std::u16string& FileToLoad,
                             int ShowFlags) noexcept {
  TfmMain* const viewer = LiveViewerOf(PluginWin);
  return viewer ? viewer->AnswerLoadNext(FileToLoad, ShowFlags) : LISTPLUGIN_ERROR;
}

int SearchListerWindow(HWND ListWin, std::u16string_view Text, int SearchParameter) noexcept {
  TfmMain* const viewer = LiveViewerOf(ListWin);
  return viewer ? viewer->AnswerSearchText(Text, SearchParameter) : LISTPLUGIN_ERROR;
}

int SendListerCommand(HWND ListWin, int Command, int Parameter) noexcept {
  TfmMain* const viewer = LiveViewerOf(ListWin);
  return viewer ? viewer->AnswerSendCommand(Command, Parameter) : LISTPLUGIN_ERROR;
}

// The same conversions as the file names'.
std::u16string TextFromAnsi(const char* Text) { return FileNameFromAnsi(Text); }
std::u16string TextFromWide(const wchar_t* Text) { return FileNameFromWide(Text); }

#endif // _WIN32
