#pragma once

#include "viewer/toolkit/Application.h"

#include <exception>
#include <string>
#include <string_view>

// The plugin's one kind of report: a message box with the caption "Message", an OK button and
// the information icon, errors included.
void ShowPluginMessage(tk::Application& App, tk::NativeWindow Owner, std::u16string_view Text);

// Prefix, one carriage return (no line feed), then the exception's message.
std::u16string ReportText(std::u16string_view Prefix, const std::exception& E);
