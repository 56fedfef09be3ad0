#pragma once

#include <stdexcept>
#include <string>

// Every failure the library reports is one of these; what() is the message a
// user sees (UTF-8), e.g. "Stream read error".
class EJSONError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};
