#pragma once

#include "viewer/StrictValidity.h"
#include "viewer/Toolkit.h"
#include "json/UJSON.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
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
  // The selection moved: the status bar's second part shows where it is now.
  void JSONTreeViewerChange();
  void StatusBar1Resize();
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

  // The tree's keys and its context menu.
  tk::KeyRoute JSONTreeViewerKeyDown(const tk::KeyPress& Key);
  void JSONTreeViewerContextPopup(tk::TreeNodeHandle Node, std::optional<tk::ScreenPoint> At);
  // The hover text of Node (NodeToolTip); empty for a placeholder.
  std::u16string JSONTreeViewerToolTip(tk::TreeNodeHandle Node) const;

  // What the user does with the selected node. Each copy puts its text on the clipboard and
  // answers whether there was anything to copy.
  // The selected node's value; with nothing selected the whole document's text.
  bool CopySelectedValue();
  bool CopySelectedName();
  bool CopySelectedPath();
  bool CopySelectedJson();
  // Opens the whole subtree below Node (NoNode: the selected node), creating at most
  // ExpandAllLimit tree nodes below Node's own children, placeholders included, and opening at
  // most ExpandAllLevels levels, Node's own included; false when it stopped at a limit, which
  // the status text then tells. The tree controls lay out and free their rows with one call
  // per level on the host's stack, so a deeper chain would overflow it.
  bool ExpandAll(tk::TreeNodeHandle Node);
  void CollapseAll(tk::TreeNodeHandle Node);
  static constexpr std::size_t ExpandAllLimit = 100000;
  static constexpr std::size_t ExpandAllLevels = 5000;

  // The host's calls, answered with the lister interface's results. None of them throws: a
  // failure goes to the application's exception handler and answers LISTPLUGIN_ERROR.
  // ListSearchText: the next hit of Text in the document text, shown as the node search shows
  // its hits; SearchParameter holds the lcs_ flags.
  int AnswerSearchText(std::u16string_view Text, int SearchParameter) noexcept;
  // ListSendCommand: lc_copy, lc_selectall and lc_newparams.
  int AnswerSendCommand(int Command, int Parameter) noexcept;
  // ListLoadNext: the file in this viewer as the show handler loads it. A file that does not
  // load leaves the viewer as it was, with no report.
  int AnswerLoadNext(const std::u16string& FileName, int ShowFlags) noexcept;

  // The show flags of ListLoad, ListLoadNext and lc_newparams: the dark mode.
  void ApplyShowFlags(int ShowFlags);
  bool SearchText(std::u16string_view Text, int SearchParameter);
  bool LoadNext(const std::u16string& FileName, int ShowFlags);
  bool SelectTop();

  // The application-wide exception handler, bound by the plugin: "Plugin Error:", a carriage
  // return and the message, in a message box owned by this viewer's window.
  void HandleAppException(const std::exception& E);

private:
  template <class Load> JSONRef TimedLoad(Load&& Parse);
  // JSONFromFile with the strict check over the decoded text, whose finding goes to departure_.
  JSONRef LoadChecked(const std::u16string& AFileName);
  // The status text for a parse of Milliseconds, with the nodes alive now, then where the text
  // departs from strict JSON, if it does.
  void WriteLoadStatus(uint32_t Milliseconds);
  // Selects the deepest shown-able node at the departure, its ancestors opened; the top node
  // stays as it is.
  void SelectDeparture();
  bool IsPlaceholder(tk::TreeNodeHandle Node) const;
  // Expands every ancestor of Found top-down, then selects Found and scrolls it into view;
  // Found itself is opened too unless OpenFound is false.
  void RevealNode(const JSONRef& Found, bool OpenFound = true);
  // The document node of the selected tree node; none when nothing (or a placeholder) is.
  JSONRef SelectedNode() const;
  bool CopyText(std::u16string_view Text);
  // The load figures, then Note; an empty note leaves the figures alone.
  void ShowStatusNote(std::u16string_view Note);
  // The selected node's path in the status bar's path part, fitted to its room; empty with
  // nothing selected. Held off while a PathHold lives, and shown once when the last one goes.
  void ShowSelectedPath();
  class PathHold;
  template <class Action> int Answer(Action&& Act) noexcept;

  tk::Application& app_;
  // Declared before the form, so they outlive it: the destroy handler runs while the form
  // goes and still needs them.
  JSONRef FRootObj;
  TNodeMap FNodeMap;
  std::unique_ptr<tk::Form> form_;
  // The status text the last timed load wrote; notes are shown after it.
  std::u16string loadStatus_;
  // Where the last checked load departs from strict JSON; none for strict JSON.
  std::optional<StrictDeparture> departure_;
  // Where the host's last search hit began in the document text (0-based); forgotten whenever
  // another document is shown.
  std::optional<std::size_t> lastHit_;
  // Live PathHolds, and whether the selection moved meanwhile.
  int pathHolds_ = 0;
  bool pathPending_ = false;

public:
  // The status bar's part for the selected node's path.
  static constexpr std::size_t kPathPart = 1;

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
