#pragma once

#include "json/Regional.h"

#include <cstdint>

// Selects an ANSI code page for the length of a test and restores the one before.
class CodePageGuard {
public:
  explicit CodePageGuard(uint32_t codePage) : saved_(ujson::AnsiCodePage()) {
    ujson::SelectAnsiCodePage(codePage);
  }
  CodePageGuard(const CodePageGuard&) = delete;
  CodePageGuard& operator=(const CodePageGuard&) = delete;
  ~CodePageGuard() { ujson::SelectAnsiCodePage(saved_); }

private:
  uint32_t saved_;
};
