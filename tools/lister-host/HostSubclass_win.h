#pragma once

// The file manager subclasses the window that ListLoad returns, to catch its hotkeys: it puts
// its own procedure over the viewer window's and chains to the one it replaced with
// CallWindowProcW. lister-host does the same, by default for every viewer; a second layer
// stands for anything else in the host that subclasses the same window later.

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <array>
#include <cstddef>
#include <map>
#include <string>

namespace host {

class Host;
struct Lister;

inline constexpr std::size_t kHostLayers = 2;

class HostSubclass {
public:
  explicit HostSubclass(Host& TheHost) noexcept : host_(TheHost) {}

  // Whether ListLoad's windows get the host's first layer.
  bool ForLoads() const noexcept { return forLoads_; }
  void SetForLoads(bool On) noexcept { forLoads_ = On; }

  // Puts the next of the host's layers over the viewer window's procedure.
  void Add(HWND Viewer);
  // Takes the host's topmost layer off, as a host that unhooks before it closes does; only
  // while that layer is on top, else it would cut off what came after it.
  void RemoveTop(const Lister& Target);
  // Whose procedure the window runs first: "host layer N" or "the plugin's".
  static std::string ProcedureName(HWND Window);

private:
  template <std::size_t Layer>
  static LRESULT CALLBACK LayerProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam);
  static const std::array<WNDPROC, kHostLayers> kLayerProcs;
  LRESULT OnMessage(std::size_t Layer, HWND Window, UINT Message, WPARAM WParam, LPARAM LParam);

  Host& host_;
  bool forLoads_ = true;
  // The procedure each layer replaced, per viewer window; null once the layer is gone.
  std::map<HWND, std::array<WNDPROC, kHostLayers>> layers_;
};

} // namespace host
