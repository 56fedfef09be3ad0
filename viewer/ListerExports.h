#pragma once

#include "viewer/ListerHost.h"
#include "viewer/ListerProtocol.h"
#include "viewer/toolkit/Handles.h"

// The bodies of the nine exports of the lister plugin interface, once for every platform. An
// export converts its window handles to NativeWindow and hands each text as a callable that
// converts it, so that the export itself holds only the conversion of its arguments. The call
// and the conversions run inside one exception boundary, which answers the export's fallback
// result when anything escapes: nothing thrown ever reaches the host.
namespace lister_exports {

template <class Result, class Call> Result Bounded(Result Fallback, Call&& Run) noexcept {
  try {
    return Run();
  } catch (...) {
    return Fallback;
  }
}

// ListLoad, ListLoadW: the viewer's window, or none.
template <class Text>
tk::NativeWindow Load(tk::NativeWindow ParentWin, Text&& FileToLoad, int ShowFlags) noexcept {
  return Bounded(tk::NoWindow, [&] {
    return PluginHost().CreateListerWindow(ParentWin, FileToLoad(), ShowFlags);
  });
}

// ListLoadNext, ListLoadNextW. The lister window the host passes beside the viewer's is not
// needed: the viewer's own window finds it.
template <class Text>
int LoadNext(tk::NativeWindow PluginWin, Text&& FileToLoad, int ShowFlags) noexcept {
  return Bounded(LISTPLUGIN_ERROR, [&] {
    return PluginHost().LoadNextInListerWindow(PluginWin, FileToLoad(), ShowFlags);
  });
}

// ListSearchText, ListSearchTextW.
template <class Text>
int SearchText(tk::NativeWindow ListWin, Text&& SearchString, int SearchParameter) noexcept {
  return Bounded(LISTPLUGIN_ERROR, [&] {
    return PluginHost().SearchInListerWindow(ListWin, SearchString(), SearchParameter);
  });
}

// ListSendCommand.
inline int SendCommand(tk::NativeWindow ListWin, int Command, int Parameter) noexcept {
  return Bounded(LISTPLUGIN_ERROR, [&] {
    return PluginHost().SendCommandToListerWindow(ListWin, Command, Parameter);
  });
}

// ListCloseWindow.
inline void CloseWindow(tk::NativeWindow ListWin) noexcept {
  Bounded(false, [&] {
    PluginHost().DestroyListerWindow(ListWin);
    return true;
  });
}

} // namespace lister_exports
