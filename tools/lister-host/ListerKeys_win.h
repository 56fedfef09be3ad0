#pragma once

// What the file manager's lister window does with the keys the plugin hands on to it: every
// key press is printed; Esc closes the lister (ListCloseWindow, then the window), N and P load
// the next and the previous file of the list through ListLoadNext(W), falling back to the
// lister's own viewer when the plugin refuses, 1 to 7 switch the view, F2 reads the file again,
// F7 opens the find dialog (a stand-in that finds the planned text) and F3 and Shift+F3 search
// on forwards and backwards.

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

namespace host {

class Host;
struct Lister;

class ListerKeys {
public:
  explicit ListerKeys(Host& TheHost) noexcept : host_(TheHost) {}

  // The files N and P step through; the first is the one shown now.
  void SetFiles(std::vector<std::wstring> Files);
  // What the find dialog is filled in with: the text and the lcs_ flags besides lcs_findfirst.
  void SetFind(std::wstring Text, int Flags);

  // A key press that reached the lister window; true when it was a key (it is answered 0).
  bool OnKey(Lister& Target, UINT Message, WPARAM WParam, LPARAM LParam);

private:
  void Step(Lister& Target, int By);
  void Find(Lister& Target, int Parameter);

  Host& host_;
  std::vector<std::wstring> files_;
  std::size_t shown_ = 0;
  std::wstring findText_;
  int findFlags_ = 0;
  bool findOpened_ = false;
};

} // namespace host
