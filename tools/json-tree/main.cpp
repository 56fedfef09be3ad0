// json-tree: loads a JSON file with UJSON and prints its document tree, one line per node,
// indented two spaces per level.

#include "json/UJSON.h"
#include "json/UnicodeConversion.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#endif

namespace {

using namespace ujson;

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

struct Options {
  std::u16string file;
  int64_t maxDepth = std::numeric_limits<int64_t>::max();
};

// Buffers output so deep or large documents are not written one tiny call at a time.
class Output {
public:
  ~Output() { Flush(); }
  void Append(std::string_view s) {
    buffer_.append(s);
    if (buffer_.size() >= kFlushSize)
      Flush();
  }
  void AppendSpaces(size_t n) {
    while (n > 0) {
      const size_t chunk = n < kFlushSize ? n : kFlushSize;
      buffer_.append(chunk, ' ');
      n -= chunk;
      if (buffer_.size() >= kFlushSize)
        Flush();
    }
  }
  void Flush() {
    if (!buffer_.empty()) {
      std::fwrite(buffer_.data(), 1, buffer_.size(), stdout);
      buffer_.clear();
    }
  }

private:
  static constexpr size_t kFlushSize = 1 << 16;
  std::string buffer_;
};

// Control characters would break the one-line-per-node layout, so they are shown escaped.
std::string Printable(const std::u16string& text) {
  const std::string utf8 = Utf16ToUtf8(text);
  std::string out;
  out.reserve(utf8.size());
  for (const char c : utf8) {
    const auto u = static_cast<unsigned char>(c);
    if (u >= 0x20 && u != 0x7F) {
      out.push_back(c);
      continue;
    }
    switch (c) {
    case '\n':
      out += "\\n";
      break;
    case '\r':
      out += "\\r";
      break;
    case '\t':
      out += "\\t";
      break;
    default: {
      static constexpr char kHex[] = "0123456789ABCDEF";
      out += "\\u00";
      out.push_back(kHex[(u >> 4) & 0xF]);
      out.push_back(kHex[u & 0xF]);
    }
    }
  }
  return out;
}

std::string Label(const JSONRef& node) {
  const std::string name = Printable(node->GetName());
  switch (node->GetJType()) {
  case TJSONType::jt_object:
    return (name.empty() ? "" : name + " ") + "{} (" + std::to_string(node->GetCount()) + ")";
  case TJSONType::jt_array:
    return (name.empty() ? "" : name + " ") + "[] (" + std::to_string(node->GetCount()) + ")";
  case TJSONType::jt_string:
    return (name.empty() ? "" : name + " : ") + "\"" + Printable(node->GetAsString()) + "\"";
  case TJSONType::jt_variant:
    return (name.empty() ? "" : name + " : ") + Printable(node->GetAsString());
  case TJSONType::jt_unknown:
  default:
    return "jt_unknown = " + Printable(node->GetText());
  }
}

void PrintTree(const JSONRef& root, int64_t maxDepth) {
  // Explicit stack instead of recursion: documents may nest 100,000 levels deep.
  struct Frame {
    JSONRef node;
    int32_t next; // index of the next child to visit
  };
  std::vector<Frame> stack;
  Output out;

  auto visit = [&](const JSONRef& node) {
    out.AppendSpaces(stack.size() * 2);
    out.Append(Label(node));
    out.Append("\n");
    const auto type = node->GetJType();
    if ((type == TJSONType::jt_object || type == TJSONType::jt_array) &&
        static_cast<int64_t>(stack.size()) < maxDepth)
      stack.push_back(Frame{node, 0});
  };

  visit(root);
  while (!stack.empty()) {
    Frame& top = stack.back();
    if (top.next >= top.node->GetCount()) {
      stack.pop_back();
      continue;
    }
    const JSONRef child = top.node->GetChild(top.next++);
    // `top` may dangle once visit() grows the stack; it is not used afterwards.
    visit(child);
  }
}

void PrintUsage(std::FILE* to) {
  std::fputs("Usage: json-tree [--max-depth N] <file>\n"
             "Prints the document tree of a JSON file, one line per node.\n"
             "  --max-depth N  print nodes at most N levels below the root (root is level 0)\n",
             to);
}

bool ParseDepth(std::string_view text, int64_t& value) {
  if (text.empty() || text.size() > 18)
    return false;
  int64_t v = 0;
  for (const char c : text) {
    if (c < '0' || c > '9')
      return false;
    v = v * 10 + (c - '0');
  }
  value = v;
  return true;
}

// Arguments arrive as UTF-8 on POSIX and are converted from UTF-16 on Windows.
int Run(const std::vector<std::string>& args) {
  Options options;
  bool haveFile = false;
  bool optionsDone = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (!optionsDone && arg.size() > 1 && arg[0] == '-') {
      if (arg == "--") {
        optionsDone = true;
      } else if (arg == "-h" || arg == "--help") {
        PrintUsage(stdout);
        return kExitOk;
      } else if (arg == "--max-depth") {
        if (i + 1 >= args.size() || !ParseDepth(args[i + 1], options.maxDepth)) {
          std::fputs("Error: --max-depth needs a non-negative number\n", stderr);
          return kExitUsage;
        }
        ++i;
      } else {
        std::fprintf(stderr, "Error: unknown option %s\n", arg.c_str());
        PrintUsage(stderr);
        return kExitUsage;
      }
      continue;
    }
    if (haveFile) {
      std::fputs("Error: only one file can be given\n", stderr);
      return kExitUsage;
    }
    options.file = Utf8ToUtf16(arg);
    haveFile = true;
  }
  if (!haveFile) {
    PrintUsage(stderr);
    return kExitUsage;
  }

  const JSONRef root = JSONFromFile(options.file);
  PrintTree(root, options.maxDepth);
  std::fflush(stdout);
  return std::ferror(stdout) ? kExitFailure : kExitOk;
}

int Main(const std::vector<std::string>& args) {
  try {
    return Run(args);
  } catch (const std::exception& e) {
    std::fflush(stdout);
    std::fprintf(stderr, "Error: %s\n", e.what());
  } catch (...) {
    std::fflush(stdout);
    std::fputs("Error: unknown failure\n", stderr);
  }
  return kExitFailure;
}

} // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
  // Output is UTF-8; tell the console so non-ASCII names display correctly.
  SetConsoleOutputCP(CP_UTF8);
  std::vector<std::string> args;
  try {
    for (int i = 1; i < argc; ++i) {
      const std::wstring_view w(argv[i]);
      args.push_back(
          Utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(w.data()), w.size())));
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "Error: %s\n", e.what());
    return kExitFailure;
  }
  return Main(args);
}
#else
int main(int argc, char** argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i)
    args.emplace_back(argv[i]);
  return Main(args);
}
#endif
