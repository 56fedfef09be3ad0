#include "viewer/ListerHost.h"

#include "viewer/ListerProtocol.h"
#include "viewer/PluginMessage.h"
#include "viewer/ViewerMain.h"

#include <algorithm>
#include <utility>

tk::ExceptionHandler HandlerBoundTo(tk::Application& App, TfmMain& Viewer) {
  const tk::OwnedWindow* key = &Viewer;
  return [&App, key](const std::exception& E) {
    if (App.IsOwned(key)) {
      if (auto* viewer = dynamic_cast<TfmMain*>(const_cast<tk::OwnedWindow*>(key))) {
        viewer->HandleAppException(E);
        return;
      }
    }
    ShowPluginMessage(App, tk::NoWindow, ReportText(u"Plugin Error:", E));
  };
}

void ListerHost::Report(tk::Application* App, tk::NativeWindow Owner, std::u16string_view Prefix,
                        const std::exception& E) noexcept {
  if (App) {
    try {
      ShowPluginMessage(*App, Owner, ReportText(Prefix, E));
      return;
    } catch (...) {
      // Falls through to the platform's last resort.
    }
  }
  embedding_.LastResortReport(Owner, Prefix);
}

tk::NativeWindow ListerHost::CreateViewer(tk::Application& App, tk::NativeWindow Lister,
                                          const std::u16string& FileToLoad, int ShowFlags) {
  embedding_.CheckLister(Lister);
  std::unique_ptr<TfmMain> created = TfmMain::CreateParented(App, Lister);
  created->QuickView = embedding_.InQuickView(Lister, created->QuickView);
  created->uFileToView = FileToLoad;
  // Before the show handler, so the document is painted in the scheme from the start.
  created->ApplyShowFlags(ShowFlags);
  // The show handler loads and presents the file; its failures go to the exception handler,
  // and the viewer is still returned.
  created->Show();
  App.SetOwnerWindow(Lister);
  App.SetExceptionHandler(HandlerBoundTo(App, *created));

  const tk::NativeWindow window = embedding_.WindowOf(*created);
  TfmMain& viewer = *created;
  // Room first, so the viewer is never owned without being on record.
  live_.reserve(live_.size() + 1);
  App.AddOwned(std::move(created));
  // The application owns the viewer now, not the emptied local.
  // cppcheck-suppress danglingLifetime
  live_.push_back({window, &viewer});
  try {
    embedding_.Attach(viewer, window);
  } catch (...) {
    // Without its hooks the window would never tell of its end: off the record. The
    // application still owns the viewer, as it owns every viewer it was given.
    Take(window);
    throw;
  }
  return window;
}

tk::NativeWindow ListerHost::CreateListerWindow(tk::NativeWindow Lister,
                                                const std::u16string& FileToLoad,
                                                int ShowFlags) noexcept {
  if (!embedding_.CanCreateViewers())
    return tk::NoWindow;
  tk::Application* app = nullptr;
  try {
    app = &embedding_.App();
    return CreateViewer(*app, Lister, FileToLoad, ShowFlags);
  } catch (const std::exception& e) {
    Report(app, embedding_.ReportOwner(Lister), u"Open error:", e);
  } catch (...) {
    Report(app, embedding_.ReportOwner(Lister), u"Open error:", tk::UnknownException());
  }
  return tk::NoWindow;
}

TfmMain* ListerHost::Take(tk::NativeWindow Window) noexcept {
  const auto found = std::find_if(live_.begin(), live_.end(), [Window](const LiveViewer& live) {
    return live.Window == Window;
  });
  if (found == live_.end())
    return nullptr;
  TfmMain* viewer = found->Viewer;
  live_.erase(found);
  return viewer;
}

void ListerHost::TearDown(tk::NativeWindow Window, TeardownRoute Route) noexcept {
  TfmMain* const viewer = Take(Window);
  if (!viewer)
    return;
  tk::Application* const app = embedding_.ExistingApp();
  try {
    // Empty when the application object is destroying this viewer itself (at unload): then it
    // is not destroyed a second time here.
    std::unique_ptr<tk::OwnedWindow> owned = app ? app->RemoveOwned(viewer) : nullptr;
    if (app)
      app->SetOwnerWindow(tk::NoWindow);
    embedding_.Unhook(Window);
    embedding_.Dispose(std::move(owned), Route);
  } catch (const std::exception& e) {
    Report(app, tk::NoWindow, u"DestroyWindow error:", e);
  } catch (...) {
    Report(app, tk::NoWindow, u"DestroyWindow error:", tk::UnknownException());
  }
}

void ListerHost::DestroyListerWindow(tk::NativeWindow Window) noexcept {
  if (embedding_.Reachable(Window))
    TearDown(Window, TeardownRoute::HostClosed);
}

TfmMain* ListerHost::LiveViewerOf(tk::NativeWindow Window) const noexcept {
  if (!embedding_.Reachable(Window))
    return nullptr;
  for (const LiveViewer& live : live_)
    if (live.Window == Window)
      return live.Viewer;
  return nullptr;
}

int ListerHost::LoadNextInListerWindow(tk::NativeWindow Window, const std::u16string& FileToLoad,
                                       int ShowFlags) noexcept {
  TfmMain* const viewer = LiveViewerOf(Window);
  return viewer ? viewer->AnswerLoadNext(FileToLoad, ShowFlags) : LISTPLUGIN_ERROR;
}

int ListerHost::SearchInListerWindow(tk::NativeWindow Window, std::u16string_view Text,
                                     int SearchParameter) noexcept {
  TfmMain* const viewer = LiveViewerOf(Window);
  return viewer ? viewer->AnswerSearchText(Text, SearchParameter) : LISTPLUGIN_ERROR;
}

int ListerHost::SendCommandToListerWindow(tk::NativeWindow Window, int Command,
                                          int Parameter) noexcept {
  TfmMain* const viewer = LiveViewerOf(Window);
  return viewer ? viewer->AnswerSendCommand(Command, Parameter) : LISTPLUGIN_ERROR;
}
