#pragma once

#include "viewer/toolkit/Handles.h"

#include <map>
#include <memory>
#include <string>
#include <string_view>

namespace tk {

// A form's controls of one kind, by their description names. Find is the form's lookup by
// name: ToolkitError when the description has no control of that kind and name.
template <class Control> class NamedControls {
public:
  using Map = std::map<std::string, std::unique_ptr<Control>, std::less<>>;

  // Kind names the controls in the error ("tree view").
  explicit NamedControls(const char* Kind) noexcept : kind_(Kind) {}

  std::unique_ptr<Control>& operator[](const std::string& Name) { return controls_[Name]; }

  Control& Find(std::string_view Name) const {
    const auto found = controls_.find(Name);
    if (found == controls_.end())
      throw ToolkitError(std::string("No ") + kind_ + " named " + std::string(Name));
    return *found->second;
  }
  Control* at(std::string_view Name) const { return &Find(Name); }
  // nullptr when there is no such control; never throws.
  Control* Lookup(std::string_view Name) const noexcept {
    const auto found = controls_.find(Name);
    return found == controls_.end() ? nullptr : found->second.get();
  }

  typename Map::const_iterator begin() const noexcept { return controls_.begin(); }
  typename Map::const_iterator end() const noexcept { return controls_.end(); }

private:
  const char* kind_;
  Map controls_;
};

} // namespace tk
