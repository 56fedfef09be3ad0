#pragma once

#include "viewer/toolkit/Events.h"
#include "viewer/toolkit/Picture.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

// A window description: a form, its controls in creation order, their properties and their
// event bindings, as plain data that a toolkit builds a window from. Sizes are in pixels at the
// description's PixelsPerInch. Control names are ASCII identifiers; Form::Find... looks
// controls up by them.
namespace tk {

enum class Align { None, Top, Bottom, Client };
enum class SystemColour { ButtonFace, WindowText };
enum class FormPosition { AsDesigned, ScreenCenter };

// Window style bits, as the platform defines them.
inline constexpr uint32_t WsChild = 0x40000000u;
inline constexpr uint32_t WsMaximize = 0x01000000u;

struct FontDescription {
  std::u16string Name;
  int Height = 0;      // character height in pixels (LOGFONT height -Height)
  uint8_t CharSet = 1; // DEFAULT_CHARSET
  SystemColour Colour = SystemColour::WindowText;
  bool Bold = false;
  bool Italic = false;
  bool Underline = false;
  bool StrikeOut = false;
};

enum class ToolItemKind { Button, Separator, EditBox };

// One item of a tool bar, left to right.
struct ToolItemDescription {
  std::string Name;
  ToolItemKind Kind = ToolItemKind::Button;
  int Left = 0;
  int Width = 0;  // 0: the bar's button width
  int Height = 0; // 0: the bar's button height
  // "Tip|Long text": the part before the bar is the tooltip (TooltipOf); the rest is not shown.
  std::u16string Hint;
  int ImageIndex = -1; // picture of the bar's image list; -1 none
  int TabOrder = -1;   // edit boxes: position in the bar's tab order
  std::u16string Text; // edit boxes: initial text
  NotifyEvent OnClick; // buttons
};

struct ToolBarDescription {
  std::string Name;
  Align Alignment = Align::Top;
  int Height = 0;
  int ButtonWidth = 0;
  int ButtonHeight = 0;
  std::string Images;        // name of the ImageListDescription (anywhere in Controls)
  bool ShowHints = false;    // tooltips
  bool ShowCaptions = false; // false: buttons show only their pictures
  bool Visible = true;
  std::vector<ToolItemDescription> Items;
};

struct TreeViewDescription {
  std::string Name;
  Align Alignment = Align::Client; // fills what the other aligned controls leave
  int Indent = 0;                  // pixels per level
  int TabOrder = 0;
  bool ReadOnly = false; // false: the user may edit labels in place
  bool ShowLines = true;
  bool ShowButtons = true;
  bool ShowRoot = true;      // lines at the root
  bool HideSelection = true; // no selection shown while the tree has no focus
  bool ToolTips = true;      // tooltips: OnToolTip's text, else a cut-off label in full
  bool ParentFont = true;
  NotifyEvent OnClick;
  TreeEditedEvent OnEdited;
  TreeExpandingEvent OnExpanding;
  TreeKeyEvent OnKeyDown;
  TreeContextPopupEvent OnContextPopup;
  // After the selected node changed, by the user or by TreeView::Select, Collapse, deletion or
  // Clear; not raised while the selection stays where it is.
  NotifyEvent OnChange;
  TreeToolTipEvent OnToolTip;
};

struct StatusPanelDescription {
  int Width = 0; // the last panel spans the rest of the bar
  // As wide as its text (and the bar's margins around it), Width at least.
  bool SizedToText = false;
};

struct StatusBarDescription {
  std::string Name;
  Align Alignment = Align::Bottom;
  int Height = 0;
  std::vector<StatusPanelDescription> Panels;
  // After the room of a part changed: the bar was resized or a part sized to its text got
  // another text.
  NotifyEvent OnResize;
};

struct FileFilter {
  std::u16string Description; // e.g. u"json"
  std::u16string Pattern;     // e.g. u"*.json"
};

struct OpenDialogDescription {
  std::string Name;
  std::vector<FileFilter> Filters;
  int FilterIndex = 1; // 1-based: the filter selected at first
  std::u16string InitialDir;
};

struct ImageListDescription {
  std::string Name;
  int Width = 0;
  int Height = 0;
  bool Masked = true;
  std::vector<Picture> Pictures; // each Width x Height
};

using ControlDescription =
    std::variant<ToolBarDescription, TreeViewDescription, StatusBarDescription,
                 OpenDialogDescription, ImageListDescription>;

struct FormDescription {
  std::string Name;
  std::u16string Caption;
  int Left = 0;
  int Top = 0;
  int ClientWidth = 0;
  int ClientHeight = 0;
  FormPosition Position = FormPosition::AsDesigned; // placement when first shown
  SystemColour Colour = SystemColour::ButtonFace;
  FontDescription Font; // the controls with ParentFont use it too
  int PixelsPerInch = 96;
  int TextHeight = 13;
  // Replaces the whole window style the toolkit computes; extended style, class, position and
  // size stay as computed.
  uint32_t Style = 0;
  NotifyEvent OnCreate;       // once, at Form::ConstructionComplete
  NotifyEvent OnShow;         // each time Form::Show runs
  NotifyEvent OnDestroy;      // at the start of Form::Destroy, while every control exists
  DropFilesEvent OnDropFiles; // WM_DROPFILES, once AcceptDroppedFiles(true)
  std::vector<ControlDescription> Controls; // created in this order
};

// The tooltip of a hint: the text before its first '|', or the whole hint.
inline std::u16string_view TooltipOf(std::u16string_view Hint) {
  return Hint.substr(0, Hint.find(u'|'));
}

} // namespace tk
