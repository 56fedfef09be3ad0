#include "tools/lister-host/Screenshot_win.h"

#include "tools/lister-host/Host_win.h"
#include "tools/lister-host/PngWriter.h"
#include "tools/lister-host/WideText_win.h"

#include <cstdint>
#include <vector>

namespace host {
namespace {

void WriteFileBytes(const std::wstring& Path, const void* Data, std::size_t Size) {
  UniqueKernelHandle file(CreateFileW(Path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.Get() == INVALID_HANDLE_VALUE) {
    file.Release();
    throw StepError("cannot write " + Utf8(Path));
  }
  DWORD written = 0;
  if (!WriteFile(file.Get(), Data, static_cast<DWORD>(Size), &written, nullptr) || written != Size)
    throw StepError("cannot write " + Utf8(Path));
}

} // namespace

std::vector<COLORREF> CapturePixels(HWND Window, int Width, int Height,
                                    const std::function<void(HDC Memory, HDC Screen)>& Draw) {
  WindowDc screen(Window, GetDC(Window));
  UniqueMemoryDc memory(CreateCompatibleDC(screen.Get()));
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = Width;
  info.bmiHeader.biHeight = -Height; // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  UniqueGdiObject bitmap(CreateDIBSection(screen.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap || bits == nullptr)
    throw StepError("cannot create a bitmap");
  {
    SelectedObject selected(memory.Get(), bitmap.Get());
    Draw(memory.Get(), screen.Get());
    GdiFlush();
  }
  const auto* source = static_cast<const uint8_t*>(bits);
  std::vector<COLORREF> pixels(static_cast<std::size_t>(Width) * Height);
  for (std::size_t i = 0; i < pixels.size(); ++i)
    pixels[i] = RGB(source[i * 4 + 2], source[i * 4 + 1], source[i * 4]);
  return pixels;
}

void SaveScreenshot(Host& H, const std::wstring& Path, bool UsePrintWindow) {
  Lister& lister = H.Listers().Current();
  HWND window = lister.Panel ? lister.Panel.Get() : lister.Window.Get();
  SetForegroundWindow(window);
  RedrawWindow(window, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
  H.PumpFor(200);
  RECT rect{};
  GetClientRect(lister.Window.Get(), &rect);
  const int width = rect.right;
  const int height = rect.bottom;
  if (width <= 0 || height <= 0)
    throw StepError("the lister window has no area");

  const std::vector<COLORREF> pixels =
      CapturePixels(lister.Window.Get(), width, height, [&](HDC Memory, HDC Screen) {
        if (UsePrintWindow)
          PrintWindow(lister.Window.Get(), Memory, PW_CLIENTONLY);
        else
          BitBlt(Memory, 0, 0, width, height, Screen, 0, 0, SRCCOPY);
      });
  RgbImage image;
  image.Width = width;
  image.Height = height;
  image.Pixels.resize(pixels.size() * 3);
  for (std::size_t i = 0; i < pixels.size(); ++i) {
    image.Pixels[i * 3] = GetRValue(pixels[i]);
    image.Pixels[i * 3 + 1] = GetGValue(pixels[i]);
    image.Pixels[i * 3 + 2] = GetBValue(pixels[i]);
  }
  const std::vector<uint8_t> png = EncodePng(image);
  WriteFileBytes(Path, png.data(), png.size());
  H.Out("screenshot: " + std::to_string(width) + "x" + std::to_string(height) + " written to " +
        Esc(Path));
}

} // namespace host
