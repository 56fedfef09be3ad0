#pragma once

#include "viewer/Toolkit.h"
#include "json/UJSON.h"

#include <memory>
#include <string>
#include <unordered_map>

// The viewer window: one JSON document shown as a lazily expanded tree with a status bar,
// built from the window description fmMain (MainFormDescription.cpp) on any toolkit.
//
// The node map holds a counted reference to every document node that has a tree node; that
// count is what keeps a shown node alive, the tree nodes' data pointers do not count.
class TfmMain final : public tk::OwnedWindow {
public:
  using TNodeMap = std::unordered_map<JSONRef, tk::TreeNodeHandle>;

  // Builds the viewer for the lister window ParentWindow; its window is made by the create
  // handler. A failure before the create handler runs passes on to the caller.
  static std::unique_ptr<TfmMain> CreateParented(tk::Application& App,
                                                 tk::NativeWindow ParentWindow);
  TfmMain(tk::Application& App, tk::NativeWindow ParentWindow);
  ~TfmMain() override;

  tk::Form& Window() const { return *form_; }
  tk::NativeWindow Handle() const { return form_->Handle(); }
  // Shows the window; the show handler loads uFileToView.
  void Show() { form_->Show(); }

  const JSONRef& RootObj() const { return FRootObj; }
  const TNodeMap& NodeMap() const { return FNodeMap; }

  // Presentation.
  void ShowObject(tk::TreeNodeHandle AParentNode, const JSONRef& AObject);
  void ClearTree();

  // Handlers bound by the window description.
  void FormCreate();
  void FormShow();
  void FormDestroy();
  void JSONTreeViewerExpanding(tk::TreeNodeHandle Node, bool& AllowExpansion);
  void JSONTreeViewerEdited(tk::TreeNodeHandle Node, std::u16string& S);
  void JSONTreeViewerClick();
  void BtnFindNodeClick();
  void TBOpenClick();
  void EditPaste1Execute();
  void EditCopy1Execute();
  void EditDelete1Execute();
  void TBGenerationClick();
  void WMDropFiles(tk::DroppedFiles Drop);

  // Timed loading: parses, writes the status text and returns the new document.
  JSONRef LoadFile(const std::u16string& AFileName);
  JSONRef LoadText(std::u16string AText);

  // The application-wide exception handler, bound by the plugin: "Plugin Error:", a carriage
  // return and the message, in a message box owned by this viewer's window.
  void HandleAppException(const std::exception& E);

private:
  template <class Load> JSONRef TimedLoad(Load&& Parse);
  bool IsPlaceholder(tk::TreeNodeHandle Node) const;

  tk::Application& app_;
  // Declared before the form, so they outlive it: the destroy handler runs while the form
  // goes and still needs them.
  JSONRef FRootObj;
  TNodeMap FNodeMap;
  std::unique_ptr<tk::Form> form_;

public:
  tk::NativeWindow ParentWin = tk::NoWindow;
  bool QuickView = false;
  std::u16string uFileToView;

  // The controls of fmMain, by their names.
  tk::ToolBar& ToolBar1;
  tk::EditBox& ESearch;
  tk::TreeView& JSONTreeViewer;
  tk::StatusBar& StatusBar1;
  tk::OpenDialog& OpenDialog1;
};
