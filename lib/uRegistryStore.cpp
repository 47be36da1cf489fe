// The text form of the settings store.
#include <algorithm>
#include <charconv>
#include <unordered_map>

#include "lib/uRegistry.h"

namespace qvt {

namespace {

constexpr std::string_view kHeader = "Quivertone settings 1";

bool SameText(std::string_view a, std::string_view b) {
  auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; };
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [&](char x, char y) { return lower(x) == lower(y); });
}

std::string Lowered(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  return out;
}

bool IsControl(unsigned char c) { return c < 0x20 || c == 0x7F; }

void AppendHex(std::string& out, unsigned value, int digits) {
  static constexpr char kDigits[] = "0123456789abcdef";
  for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4) out += kDigits[(value >> shift) & 15];
}

std::optional<unsigned> ParseHex(std::string_view text) {
  unsigned value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
  if (error != std::errc() || end != text.data() + text.size() || text.empty()) return {};
  return value;
}

std::string Quoted(std::string_view text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    if (c == '\\' || c == '"') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (IsControl(c)) {
      out += "\\x";
      AppendHex(out, c, 2);
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + '"';
}

// Reads a quoted text at the start of `line`; advances `line` past it.
std::optional<std::string> Unquoted(std::string_view& line) {
  if (line.empty() || line.front() != '"') return {};
  std::string out;
  for (std::size_t at = 1; at < line.size(); ++at) {
    const char c = line[at];
    if (c == '"') {
      line.remove_prefix(at + 1);
      return out;
    }
    if (c != '\\') {
      if (IsControl(static_cast<unsigned char>(c))) return {};
      out += c;
      continue;
    }
    if (++at >= line.size()) return {};
    if (line[at] == '\\' || line[at] == '"') {
      out += line[at];
    } else if (line[at] == 'x' && at + 2 < line.size()) {
      const auto byte = ParseHex(line.substr(at + 1, 2));
      if (!byte) return {};
      out += static_cast<char>(*byte);
      at += 2;
    } else {
      return {};
    }
  }
  return {};
}

std::string KeyLine(std::string_view path) {
  std::string out = "[";
  for (unsigned char c : path) {
    if (IsControl(c) || c == '%') {
      out += '%';
      AppendHex(out, c, 2);
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "]";
}

std::optional<std::string> KeyPathOf(std::string_view line) {
  if (line.size() < 2 || line.front() != '[' || line.back() != ']') return {};
  line = line.substr(1, line.size() - 2);
  std::string out;
  for (std::size_t at = 0; at < line.size(); ++at) {
    if (line[at] != '%') {
      out += line[at];
      continue;
    }
    if (at + 2 >= line.size()) return {};
    const auto byte = ParseHex(line.substr(at + 1, 2));
    if (!byte) return {};
    out += static_cast<char>(*byte);
    at += 2;
  }
  return out;
}

std::optional<TRegistryValue> ValueOf(std::string_view line) {
  TRegistryValue value;
  auto name = Unquoted(line);
  if (!name || line.empty() || line.front() != '=') return {};
  value.Name = std::move(*name);
  line.remove_prefix(1);
  constexpr std::string_view kDword = "dword:";
  if (line.starts_with(kDword)) {
    line.remove_prefix(kDword.size());
    const auto number = line.size() == 8 ? ParseHex(line) : std::nullopt;
    if (!number) return {};
    value.IsNumber = true;
    value.Number = *number;
    return value;
  }
  auto text = Unquoted(line);
  if (!text || !line.empty()) return {};
  value.Text = std::move(*text);
  return value;
}

} // namespace

const TRegistryValue* TRegistryStore::Find(std::string_view keyPath, std::string_view name) const {
  for (const TRegistryKey& key : Keys)
    if (!key.Opaque && SameText(key.Path, keyPath))
      for (const TRegistryValue& value : key.Values)
        if (SameText(value.Name, name)) return &value;
  return nullptr;
}

void TRegistryStore::Set(std::string_view keyPath, TRegistryValue value) {
  auto key = std::find_if(Keys.begin(), Keys.end(), [&](const TRegistryKey& k) {
    return !k.Opaque && SameText(k.Path, keyPath);
  });
  if (key == Keys.end())
    key = Keys.insert(Keys.end(), TRegistryKey{std::string(keyPath), {}, {}, false});
  for (TRegistryValue& existing : key->Values)
    if (SameText(existing.Name, value.Name)) {
      existing = std::move(value);
      return;
    }
  key->Values.push_back(std::move(value));
}

std::string FormatRegistryStore(const TRegistryStore& store) {
  std::string out(kHeader);
  out += '\n';
  for (const TRegistryKey& key : store.Keys) {
    out += '\n';
    if (!key.Opaque) out.append(KeyLine(key.Path)).append(1, '\n');
    for (const TRegistryValue& value : key.Values) {
      out.append(Quoted(value.Name)).append(1, '=');
      if (value.IsNumber) {
        out += "dword:";
        AppendHex(out, value.Number, 8);
      } else {
        out += Quoted(value.Text);
      }
      out += '\n';
    }
    for (const std::string& line : key.OtherLines) out.append(line).append(1, '\n');
  }
  return out;
}

std::optional<TRegistryStore> ParseRegistryStore(std::string_view text) {
  TRegistryStore store;
  // Where each key and value is, by their names in lower case: a store of many
  // keys parses in linear time.
  std::unordered_map<std::string, std::size_t> keyIndex;
  std::vector<std::unordered_map<std::string, std::size_t>> valueIndex;
  std::size_t current = 0;
  bool headerSeen = false;
  bool inKey = false;
  auto openOpaqueKey = [&] {
    store.Keys.push_back(TRegistryKey{{}, {}, {}, true});
    valueIndex.emplace_back();
    current = store.Keys.size() - 1;
    inKey = true;
  };
  while (!text.empty()) {
    const auto end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line.front() == ';') continue;
    if (!headerSeen) {
      if (line != kHeader) return {};
      headerSeen = true;
    } else if (line.front() == '[') {
      auto path = KeyPathOf(line);
      if (!path) {
        openOpaqueKey();
        store.Keys[current].OtherLines.emplace_back(line);
        continue;
      }
      const auto [at, added] = keyIndex.try_emplace(Lowered(*path), store.Keys.size());
      if (added) {
        store.Keys.push_back(TRegistryKey{std::move(*path), {}, {}, false});
        valueIndex.emplace_back();
      }
      current = at->second;
      inKey = true;
    } else {
      if (!inKey) openOpaqueKey();
      TRegistryKey& key = store.Keys[current];
      auto value = key.Opaque ? std::nullopt : ValueOf(line);
      if (!value) {
        key.OtherLines.emplace_back(line);
        continue;
      }
      const auto [at, added] =
          valueIndex[current].try_emplace(Lowered(value->Name), key.Values.size());
      if (added)
        key.Values.push_back(std::move(*value));
      else
        key.Values[at->second] = std::move(*value);
    }
  }
  return store; // a blank file is an empty store
}

} // namespace qvt
