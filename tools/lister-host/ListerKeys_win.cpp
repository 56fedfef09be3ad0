#include "tools/lister-host/ListerKeys_win.h"

#include "tools/lister-host/Host_win.h"
#include "tools/lister-host/Loading_win.h"
#include "tools/lister-host/PluginCalls_win.h"
#include "tools/lister-host/UserKeys_win.h"
#include "tools/lister-host/WideText_win.h"

namespace host {
namespace {

constexpr int kFindFirst = 1;
constexpr int kBackwards = 8;

bool Down(int Key) { return GetKeyState(Key) < 0; }

} // namespace

void ListerKeys::SetFiles(std::vector<std::wstring> Files) {
  files_ = std::move(Files);
  shown_ = 0;
  host_.Out("files: " + std::to_string(files_.size()) + " in the list");
}

void ListerKeys::SetFind(std::wstring Text, int Flags) {
  findText_ = std::move(Text);
  findFlags_ = Flags & ~kFindFirst;
  host_.Out("find-text: \"" + Esc(findText_) + "\", flags " + std::to_string(findFlags_));
}

bool ListerKeys::OnKey(Lister& Target, UINT Message, WPARAM WParam, LPARAM LParam) {
  if (Message != WM_KEYDOWN && Message != WM_SYSKEYDOWN)
    return false;
  const bool shift = Down(VK_SHIFT);
  const bool control = Down(VK_CONTROL);
  const bool alt = Down(VK_MENU) || (LParam & (LPARAM{1} << 29)) != 0;
  const auto key = static_cast<UINT>(WParam);
  const std::string label = "lister" + std::to_string(Target.Number);
  host_.Out(label + " key: " + (Message == WM_SYSKEYDOWN ? "WM_SYSKEYDOWN " : "WM_KEYDOWN ") +
            KeyName(key, shift, control, alt));
  if (control || alt)
    return true;
  if (key == VK_ESCAPE && !shift) {
    host_.Out(label + ": Esc closes the lister");
    if (Target.Viewer != nullptr && !Target.ViewerDestroyed)
      CloseWindowOfPlugin(host_, Target.Viewer, "viewer" + std::to_string(Target.Number));
    DestroyWindow(Target.Window.Get());
    host_.Out(label + ": closed");
  } else if (key == 'N' && !shift) {
    Step(Target, 1);
  } else if (key == 'P' && !shift) {
    Step(Target, -1);
  } else if (key >= '1' && key <= '7' && !shift) {
    host_.Out(label + ": view switch to " + std::string(1, static_cast<char>(key)));
  } else if (key == VK_F2 && !shift) {
    if (shown_ < files_.size())
      LoadNext(host_, Target, files_[shown_], false);
    else
      host_.Out(label + ": nothing to read again");
  } else if (key == VK_F7 && !shift) {
    findOpened_ = true;
    host_.Out(label + ": find dialog: \"" + Esc(findText_) + "\"");
    Find(Target, kFindFirst | findFlags_);
  } else if (key == VK_F3) {
    if (!findOpened_)
      host_.Out(label + ": F3 without a search opens the find dialog first");
    findOpened_ = true;
    Find(Target, findFlags_ ^ (shift ? kBackwards : 0));
  }
  return true;
}

void ListerKeys::Step(Lister& Target, int By) {
  const std::string label = "lister" + std::to_string(Target.Number);
  const auto next = static_cast<std::ptrdiff_t>(shown_) + By;
  if (files_.empty() || next < 0 || next >= static_cast<std::ptrdiff_t>(files_.size())) {
    host_.Out(label + ": no " + (By > 0 ? "next" : "previous") + " file");
    return;
  }
  const std::wstring& file = files_[static_cast<std::size_t>(next)];
  if (LoadNext(host_, Target, file, false) == 0) {
    shown_ = static_cast<std::size_t>(next);
    host_.Out(label + ": shows " + Esc(file));
  } else {
    // The file manager then offers the file to the other plugins, or its own viewer.
    shown_ = static_cast<std::size_t>(next);
    host_.Out(label + ": fallback: the lister's own viewer shows " + Esc(file));
  }
}

void ListerKeys::Find(Lister& Target, int Parameter) {
  if (Target.Viewer == nullptr || Target.ViewerDestroyed)
    return;
  const int result = SearchText(host_, Target.Viewer, findText_, Parameter, false);
  if (result != 0)
    host_.Out("lister" + std::to_string(Target.Number) + ": \"" + Esc(findText_) + "\" not found");
}

} // namespace host
