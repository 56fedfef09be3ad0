#pragma once

#include <stdexcept>

// A failure of the viewer's own logic; what() is the message the user is shown.
class EViewerError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};
