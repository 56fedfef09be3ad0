#include "viewer/ViewerMain.h"

#include "viewer/CommandLine.h"
#include "viewer/MainFormDescription.h"
#include "viewer/PluginMessage.h"

std::unique_ptr<TfmMain> TfmMain::CreateParented(tk::Application& App,
                                                 tk::NativeWindow ParentWindow) {
  return std::make_unique<TfmMain>(App, ParentWindow);
}

TfmMain::TfmMain(tk::Application& App, tk::NativeWindow ParentWindow)
    : app_(App), form_(App.CreateForm(ParentWindow, DescribeFmMain(*this))),
      ToolBar1(form_->FindToolBar("ToolBar1")), ESearch(form_->FindEditBox("ESearch")),
      JSONTreeViewer(form_->FindTreeView("JSONTreeViewer")),
      StatusBar1(form_->FindStatusBar("StatusBar1")),
      OpenDialog1(form_->FindOpenDialog("OpenDialog1")) {
  ParentWin = ParentWindow;
  QuickView = app_.ParentWindowOf(ParentWin) != tk::NoWindow;
  form_->ConstructionComplete();
}

TfmMain::~TfmMain() {
  // The destroy handler runs first, while every field and control still exists.
  form_->Destroy();
}

void TfmMain::FormCreate() {
  app_.EnableLeakReport();
  FNodeMap = TNodeMap();
  // The window's first use: it is created here, as a child of the lister window.
  form_->AcceptDroppedFiles(true);
  const std::u16string argument = FirstCommandLineArgument(app_.ProcessCommandLine());
  if (!IsJsonFileToLoad(argument, app_))
    return;
  FRootObj = LoadFile(argument);
  ShowObject(tk::NoNode, FRootObj);
  SelectDeparture();
}

void TfmMain::FormShow() {
  FRootObj = LoadFile(uFileToView);
  ShowObject(tk::NoNode, FRootObj);
  SelectDeparture();
}

void TfmMain::FormDestroy() {
  ClearTree();
  TNodeMap().swap(FNodeMap);
}

void TfmMain::HandleAppException(const std::exception& E) {
  const tk::NativeWindow owner = form_->HandleAllocated() ? form_->Handle() : tk::NoWindow;
  ShowPluginMessage(app_, owner, ReportText(u"Plugin Error:", E));
}
