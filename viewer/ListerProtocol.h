#pragma once

// The numbers of the file manager's lister plugin interface that the viewer answers to, as the
// interface defines them. The boundaries of every platform share them.

// Results.
inline constexpr int LISTPLUGIN_OK = 0;
inline constexpr int LISTPLUGIN_ERROR = 1;

// ListSendCommand's commands.
inline constexpr int lc_copy = 1;
inline constexpr int lc_newparams = 2;
inline constexpr int lc_selectall = 3;
inline constexpr int lc_setpercent = 4;

// Show flags (ListLoad, ListLoadNext, lc_newparams).
inline constexpr int lcp_wraptext = 1;
inline constexpr int lcp_fittowindow = 2;
inline constexpr int lcp_ansi = 4;
inline constexpr int lcp_ascii = 8;
inline constexpr int lcp_variable = 12;
inline constexpr int lcp_forceshow = 16;
inline constexpr int lcp_fitlargeronly = 32;
inline constexpr int lcp_center = 64;
inline constexpr int lcp_darkmode = 128;
inline constexpr int lcp_darkmodenative = 256;

// ListSearchText's parameter.
inline constexpr int lcs_findfirst = 1;
inline constexpr int lcs_matchcase = 2;
inline constexpr int lcs_wholewords = 4;
inline constexpr int lcs_backwards = 8;
