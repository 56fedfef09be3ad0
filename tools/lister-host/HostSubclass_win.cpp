#include "tools/lister-host/HostSubclass_win.h"

#include "tools/lister-host/Host_win.h"

#include <algorithm>

namespace host {
namespace {

bool NoLayerLeft(const std::array<WNDPROC, kHostLayers>& Layers) {
  return std::all_of(Layers.begin(), Layers.end(), [](WNDPROC layer) { return layer == nullptr; });
}

} // namespace

template <std::size_t Layer>
LRESULT CALLBACK HostSubclass::LayerProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam) {
  return Host::Instance()->Subclass().OnMessage(Layer, Window, Message, WParam, LParam);
}

const std::array<WNDPROC, kHostLayers> HostSubclass::kLayerProcs = {&LayerProc<0>, &LayerProc<1>};

void HostSubclass::Add(HWND Viewer) {
  if (Viewer == nullptr || !IsWindow(Viewer))
    throw StepError("no viewer window to subclass");
  std::array<WNDPROC, kHostLayers>& layers = layers_[Viewer];
  const auto free = std::find(layers.begin(), layers.end(), nullptr);
  if (free == layers.end())
    throw StepError("the host has no more subclass layers");
  const auto layer = static_cast<std::size_t>(free - layers.begin());
  *free = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(Viewer, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(kLayerProcs[layer])));
  if (host_.Tracing())
    host_.Out("subclass: host layer " + std::to_string(layer + 1) + " on " +
              host_.Listers().NameOf(Viewer));
}

void HostSubclass::RemoveTop(const Lister& Target) {
  const auto found = layers_.find(Target.Viewer);
  const std::string name = "viewer" + std::to_string(Target.Number);
  if (found == layers_.end() || NoLayerLeft(found->second)) {
    host_.Out("unsubclass: " + name + " has no host layer");
    return;
  }
  std::array<WNDPROC, kHostLayers>& layers = found->second;
  std::size_t top = kHostLayers;
  while (top > 0 && layers[top - 1] == nullptr)
    --top;
  --top;
  const auto current = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(Target.Viewer, GWLP_WNDPROC));
  if (current != kLayerProcs[top]) {
    host_.Out("unsubclass: host layer " + std::to_string(top + 1) + " of " + name +
              " is not on top, left alone");
    return;
  }
  SetWindowLongPtrW(Target.Viewer, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(layers[top]));
  layers[top] = nullptr;
  host_.Out("unsubclass: host layer " + std::to_string(top + 1) + " taken off " + name);
}

std::string HostSubclass::ProcedureName(HWND Window) {
  const auto current = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(Window, GWLP_WNDPROC));
  for (std::size_t layer = 0; layer < kHostLayers; ++layer)
    if (current == kLayerProcs[layer])
      return "host layer " + std::to_string(layer + 1);
  return "the plugin's";
}

LRESULT HostSubclass::OnMessage(std::size_t Layer, HWND Window, UINT Message, WPARAM WParam,
                                LPARAM LParam) {
  const auto found = layers_.find(Window);
  if (found == layers_.end() || found->second[Layer] == nullptr)
    return DefWindowProcW(Window, Message, WParam, LParam);
  const WNDPROC previous = found->second[Layer];
  const LRESULT result = CallWindowProcW(previous, Window, Message, WParam, LParam);
  if (Message == WM_NCDESTROY) {
    // The window's last message: the layer goes with it. Looked up again, since the call may
    // have changed the map.
    const auto again = layers_.find(Window);
    if (again != layers_.end()) {
      again->second[Layer] = nullptr;
      if (NoLayerLeft(again->second))
        layers_.erase(again);
    }
  }
  return result;
}

} // namespace host
