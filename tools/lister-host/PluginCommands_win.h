#pragma once

// Steps that send commands and messages to the plugin's windows as a user or the file manager
// would: a click on a tool button, text typed into the search box, files dropped on the viewer.
// What a later version of the lister interface adds (keys, ListSearchText, ListSendCommand,
// ListLoadNext, the menus) belongs here too.

#include <string>
#include <vector>

namespace host {

class Host;

// What a click on the current viewer's tool button Index sends to the tool bar's parent.
void PressToolButton(Host& H, int Index);
void TypeSearchText(Host& H, const std::wstring& Text);
// WM_DROPFILES with the files, then whether the viewer released the drop.
void DropFiles(Host& H, const std::vector<std::wstring>& Files);

} // namespace host
