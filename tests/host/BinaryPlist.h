#pragma once
// Writes binary property lists object by object, so that tests can make the ones no
// writer would: shared and circular references, NUL characters, any nesting.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

class BinaryPlist
{
public:
  // Object references and offsets are 4 bytes wide.
  int Add(const std::string& encoded = "")
  {
    mObjects.push_back(encoded);
    return (int) mObjects.size() - 1;
  }
  void Set(int index, const std::string& encoded) { mObjects[(size_t) index] = encoded; }

  static std::string Ascii(const std::string& s) { return Marker(0x5, s.size()) + s; }
  static std::string Utf16(const std::u16string& s)
  {
    std::string out = Marker(0x6, s.size());
    for (char16_t c : s) out += std::string{(char) (c >> 8), (char) (c & 0xFF)};
    return out;
  }
  static std::string Int(int64_t v) { return "\x13" + BigEndian((uint64_t) v, 8); }
  static std::string Data(const std::string& bytes) { return Marker(0x4, bytes.size()) + bytes; }
  static std::string Array(const std::vector<int>& items)
  {
    std::string out = Marker(0xA, items.size());
    for (int i : items) out += BigEndian((uint64_t) i, 4);
    return out;
  }
  static std::string Dict(const std::vector<std::pair<int, int>>& entries)
  {
    std::string out = Marker(0xD, entries.size());
    for (const auto& e : entries) out += BigEndian((uint64_t) e.first, 4);
    for (const auto& e : entries) out += BigEndian((uint64_t) e.second, 4);
    return out;
  }

  // The file: header, objects, offset table, trailer.
  std::string Bytes(int root) const
  {
    std::string out = "bplist00";
    std::vector<uint64_t> offsets;
    for (const std::string& o : mObjects)
    {
      offsets.push_back(out.size());
      out += o;
    }
    const uint64_t table = out.size();
    for (uint64_t o : offsets) out += BigEndian(o, 4);
    out += std::string(6, '\0') + "\x04\x04" + BigEndian(mObjects.size(), 8) + BigEndian((uint64_t) root, 8) +
           BigEndian(table, 8);
    return out;
  }

  // A preset of the strip holding data (the parameter chunk) and name; extra entries
  // (key object, value object) go after the six keys.
  static std::string Preset(const std::string& data, const std::string& name,
                            BinaryPlist* plist = nullptr, std::vector<std::pair<int, int>> extra = {})
  {
    BinaryPlist own;
    BinaryPlist& p = plist ? *plist : own;
    std::vector<std::pair<int, int>> entries = {
        {p.Add(Ascii("data")), p.Add(Data(data))},
        {p.Add(Ascii("manufacturer")), p.Add(Int(1366454895))},
        {p.Add(Ascii("name")), p.Add(Ascii(name))},
        {p.Add(Ascii("subtype")), p.Add(Int(1450733879))},
        {p.Add(Ascii("type")), p.Add(Int(1635083896))},
        {p.Add(Ascii("version")), p.Add(Int(131074))},
    };
    entries.insert(entries.end(), extra.begin(), extra.end());
    const int root = p.Add(Dict(entries));
    return p.Bytes(root);
  }

private:
  static std::string BigEndian(uint64_t v, int n)
  {
    std::string out;
    for (int i = n - 1; i >= 0; --i) out += (char) ((v >> (8 * i)) & 0xFF);
    return out;
  }
  static std::string Marker(int type, size_t n)
  {
    if (n < 15) return std::string(1, (char) (type << 4 | (int) n));
    return std::string(1, (char) (type << 4 | 0xF)) + "\x13" + BigEndian(n, 8);
  }

  std::vector<std::string> mObjects;
};
