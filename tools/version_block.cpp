#include "tools/version_block.h"

#include <cstdint>

namespace kit {

namespace {

// One node of the block: a 16-bit length, the value's length (in UTF-16 units for
// a text, bytes otherwise), the type (1 text, 0 binary), a NUL-terminated UTF-16
// key, the value and the children, each on a 4-byte boundary.
struct Node {
  std::u16string key;
  uint16_t type = 0;
  std::string value;
  std::vector<Node> children;
};

constexpr uint32_t kFixedSignature = 0xFEEF04BD;
constexpr size_t kFixedSize = 52;  // VS_FIXEDFILEINFO
constexpr int kMaxDepth = 6;

uint32_t U16At(const std::string& b, size_t at) {
  return uint32_t(static_cast<unsigned char>(b[at])) | (uint32_t(static_cast<unsigned char>(b[at + 1])) << 8);
}
uint32_t U32At(const std::string& b, size_t at) { return U16At(b, at) | (U16At(b, at + 2) << 16); }
void Put16At(std::string* b, size_t at, uint32_t v) {
  (*b)[at] = static_cast<char>(v & 0xFF);
  (*b)[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}
void Put32At(std::string* b, size_t at, uint32_t v) {
  Put16At(b, at, v & 0xFFFF);
  Put16At(b, at + 2, v >> 16);
}
size_t Align4(size_t at) { return (at + 3) & ~size_t(3); }

// The node at `at`, which must end by `end`; *next gets where it ends.
bool Parse(const std::string& data, size_t at, size_t end, int depth, Node* node, size_t* next) {
  if (depth > kMaxDepth || at > end || end - at < 6) return false;
  const size_t length = U16At(data, at), valueLength = U16At(data, at + 2);
  node->type = static_cast<uint16_t>(U16At(data, at + 4));
  if (length < 6 || length > end - at) return false;
  const size_t nodeEnd = at + length;
  size_t p = at + 6;
  for (;; p += 2) {
    if (nodeEnd - p < 2) return false;
    const char16_t unit = static_cast<char16_t>(U16At(data, p));
    if (unit == 0) break;
    node->key.push_back(unit);
  }
  p = Align4(p + 2);
  if (p > nodeEnd) p = nodeEnd;
  size_t valueBytes = node->type == 1 ? valueLength * 2 : valueLength;
  if (valueBytes > nodeEnd - p) {
    // Texts whose length was counted in bytes, or without room for their NUL, are
    // common enough; a binary value must fit.
    if (node->type != 1) return false;
    valueBytes = nodeEnd - p;
  }
  node->value = data.substr(p, valueBytes);
  p = Align4(p + valueBytes);
  while (p < nodeEnd) {
    Node child;
    size_t childEnd = 0;
    if (!Parse(data, p, nodeEnd, depth + 1, &child, &childEnd)) return false;
    node->children.push_back(std::move(child));
    p = Align4(childEnd);
  }
  *next = nodeEnd;
  return true;
}

void Serialize(const Node& node, std::string* out) {
  while (out->size() % 4) out->push_back('\0');
  const size_t start = out->size();
  out->append(6, '\0');
  for (char16_t unit : node.key) {
    out->push_back(static_cast<char>(unit & 0xFF));
    out->push_back(static_cast<char>(unit >> 8));
  }
  out->append(2, '\0');
  while (out->size() % 4) out->push_back('\0');
  out->append(node.value);
  for (const Node& child : node.children) Serialize(child, out);
  Put16At(out, start, static_cast<uint32_t>(out->size() - start));
  Put16At(out, start + 2, static_cast<uint32_t>(node.type == 1 ? node.value.size() / 2 : node.value.size()));
  Put16At(out, start + 4, node.type);
}

std::string TextValue(const std::u16string& text) {
  std::string value;
  for (char16_t unit : text) {
    value.push_back(static_cast<char>(unit & 0xFF));
    value.push_back(static_cast<char>(unit >> 8));
  }
  value.append(2, '\0');
  return value;
}

std::u16string TextOf(const std::string& value) {
  std::u16string text;
  for (size_t i = 0; i + 1 < value.size(); i += 2) {
    const char16_t unit = static_cast<char16_t>(U16At(value, i));
    if (unit == 0) break;
    text.push_back(unit);
  }
  return text;
}

void SetString(Node* table, const char16_t* key, const std::u16string& text) {
  if (text.empty()) return;
  for (Node& string : table->children) {
    if (string.key == key) {
      string.type = 1;
      string.value = TextValue(text);
      string.children.clear();
      return;
    }
  }
  Node string;
  string.key = key;
  string.type = 1;
  string.value = TextValue(text);
  table->children.push_back(std::move(string));
}

bool ParseBlock(const std::string& data, Node* root) {
  size_t end = 0;
  if (!Parse(data, 0, data.size(), 0, root, &end)) return false;
  return root->key == u"VS_VERSION_INFO" && root->value.size() >= kFixedSize &&
         U32At(root->value, 0) == kFixedSignature;
}

void ReadVersion(const std::string& fixed, size_t at, unsigned parts[4]) {
  const uint32_t ms = U32At(fixed, at), ls = U32At(fixed, at + 4);
  parts[0] = ms >> 16, parts[1] = ms & 0xFFFF, parts[2] = ls >> 16, parts[3] = ls & 0xFFFF;
}

}  // namespace

bool EditVersionBlock(const std::string& data, const VersionTexts& texts, std::string* edited) {
  Node root;
  if (!ParseBlock(data, &root)) return false;
  if (texts.versionParts > 0) {
    const uint32_t ms = (texts.version[0] << 16) | (texts.version[1] & 0xFFFF);
    const uint32_t ls = (texts.version[2] << 16) | (texts.version[3] & 0xFFFF);
    for (size_t at : {size_t(8), size_t(16)}) {  // dwFileVersionMS/LS, dwProductVersionMS/LS
      Put32At(&root.value, at, ms);
      Put32At(&root.value, at + 4, ls);
    }
  }
  Node* strings = nullptr;
  for (Node& child : root.children)
    if (child.key == u"StringFileInfo") strings = &child;
  if (!strings) {
    Node info;
    info.key = u"StringFileInfo";
    info.type = 1;
    root.children.insert(root.children.begin(), std::move(info));
    strings = &root.children.front();
  }
  if (strings->children.empty()) {
    Node table;
    table.key = u"080404b0";  // Chinese (Simplified), UTF-16: as the stub's own table
    table.type = 1;
    strings->children.push_back(std::move(table));
  }
  for (Node& table : strings->children) {
    SetString(&table, u"CompanyName", texts.company);
    SetString(&table, u"FileDescription", texts.product);
    SetString(&table, u"FileVersion", texts.versionText);
    SetString(&table, u"ProductName", texts.product);
    SetString(&table, u"ProductVersion", texts.versionText);
  }
  edited->clear();
  Serialize(root, edited);
  return edited->size() <= 0xFFFF;
}

bool ReadVersionBlock(const std::string& data, VersionBlock* block) {
  *block = VersionBlock();
  Node root;
  if (!ParseBlock(data, &root)) return false;
  ReadVersion(root.value, 8, block->fileVersion);
  ReadVersion(root.value, 16, block->productVersion);
  for (const Node& child : root.children) {
    if (child.key != u"StringFileInfo") continue;
    for (const Node& table : child.children)
      for (const Node& string : table.children) block->strings.emplace_back(string.key, TextOf(string.value));
  }
  return true;
}

}  // namespace kit
