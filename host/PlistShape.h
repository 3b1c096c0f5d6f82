#pragma once
// The checks a property list's bytes pass before libplist builds a tree from them.
// libplist recurses over a tree's depth (in its binary reader and in plist_free),
// asserts that no string or key holds a NUL, and builds a binary object anew for every
// reference to it; so nesting, the number and size of the values and the text of every
// string are checked here first, in one pass that does not recurse. Only what this
// scan accepts is handed to libplist, and it accepts no more than libplist reads alike:
// markup it cannot be sure libplist reads the same way is refused.

#include <cstddef>
#include <string>

namespace PlistShape
{
// Containers within containers, the outermost one counting as 1. A preset nests 1 deep.
constexpr int kMaxDepth = 64;
// Values in the tree, dictionary keys included, and every reference to a shared binary
// object counted again, as libplist builds it again.
constexpr size_t kMaxValues = 100000;
// The bytes of all strings and data in that tree.
constexpr size_t kMaxPayloadBytes = 32u << 20;

enum class Form
{
  kXML,
  kBinary
};

// True when the bytes may be handed to libplist in the form returned. Otherwise false,
// with problem naming the fault ("it nests deeper than 64 levels"), or left empty when
// the bytes are simply no property list.
bool Check(const void* bytes, size_t size, Form* form, std::string* problem);
} // namespace PlistShape
