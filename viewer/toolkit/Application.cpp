#include "viewer/toolkit/Application.h"

#include "json/UnicodeConversion.h"

#include <algorithm>

namespace tk {

namespace {
const ToolkitError kUnknownException("Unknown exception");
} // namespace

const ToolkitError& UnknownException() noexcept { return kUnknownException; }

Application::~Application() { DestroyOwnedWindows(); }

void Application::HandleException(const std::exception& E) noexcept {
  if (handler_) {
    try {
      handler_(E);
      return;
    } catch (const std::exception& failure) {
      DefaultReport(failure);
      return;
    } catch (...) {
      // Falls through to report the original exception instead.
    }
  }
  DefaultReport(E);
}

void Application::AddOwned(std::unique_ptr<OwnedWindow> Window) {
  if (Window)
    owned_.push_back(std::move(Window));
}

std::unique_ptr<OwnedWindow> Application::RemoveOwned(const OwnedWindow* Window) noexcept {
  auto found = std::find_if(owned_.begin(), owned_.end(),
                            [Window](const auto& owned) { return owned.get() == Window; });
  if (found == owned_.end())
    return nullptr;
  std::unique_ptr<OwnedWindow> result = std::move(*found);
  owned_.erase(found);
  return result;
}

bool Application::IsOwned(const OwnedWindow* Window) const noexcept {
  return std::any_of(owned_.begin(), owned_.end(),
                     [Window](const auto& owned) { return owned.get() == Window; });
}

void Application::DestroyOwnedWindows() noexcept {
  // One at a time, so a window whose teardown looks at the registry finds itself gone already.
  while (!owned_.empty()) {
    std::unique_ptr<OwnedWindow> last = std::move(owned_.back());
    owned_.pop_back();
    last.reset();
  }
}

void Application::DefaultReport(const std::exception& E) noexcept {
  try {
    ShowMessageBox(owner_, ujson::Utf8ToUtf16(E.what()), u"Treskal", MbOk | MbIconError);
  } catch (...) {
    // Nothing is left to report with.
  }
}

} // namespace tk
