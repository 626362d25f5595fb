#include "tools/resource_section.h"

#include <map>

#include "payload/byte_source.h"

namespace kit {

namespace {

using payload::PeResourceKey;

constexpr uint32_t kHighBit = 0x80000000u;
constexpr int kDirectoryBaseRelocation = 5;
constexpr size_t kSectionHeaderSize = 40;

uint32_t Get16(const std::vector<unsigned char>& b, size_t at) { return uint32_t(b[at]) | (uint32_t(b[at + 1]) << 8); }
uint32_t Get32(const std::vector<unsigned char>& b, size_t at) { return Get16(b, at) | (Get16(b, at + 2) << 16); }
void Set32(std::vector<unsigned char>* b, size_t at, uint32_t v) { payload::StoreU32(b->data() + at, v); }

void Put16(std::string* out, uint32_t v) {
  out->push_back(static_cast<char>(v & 0xFF));
  out->push_back(static_cast<char>((v >> 8) & 0xFF));
}
void Put32(std::string* out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

uint64_t AlignUp(uint64_t value, uint64_t alignment) { return (value + alignment - 1) / alignment * alignment; }
bool IsPowerOfTwo(uint32_t v) { return v != 0 && (v & (v - 1)) == 0; }

// Names first, in ascending order of their units, then ids in ascending order: the
// order the loader's binary search expects.
struct KeyOrder {
  bool operator()(const PeResourceKey& a, const PeResourceKey& b) const {
    if (a.named != b.named) return a.named;
    return a.named ? a.name < b.name : a.id < b.id;
  }
};

using Languages = std::map<uint16_t, const Resource*>;
using Names = std::map<PeResourceKey, Languages, KeyOrder>;
using Types = std::map<PeResourceKey, Names, KeyOrder>;

// The resource tree as the section's bytes for a section at rva: the directories,
// then the names, the data entries and the data, each data on an 8-byte boundary.
std::string BuildSection(const Types& types, uint32_t rva) {
  auto directorySize = [](size_t entries) { return 16 + 8 * entries; };
  // Directory offsets: the root, every type's, every name's, in that order.
  size_t at = directorySize(types.size());
  std::map<const Names*, size_t> typeDirectories;
  std::map<const Languages*, size_t> nameDirectories;
  for (const auto& type : types) typeDirectories[&type.second] = at, at += directorySize(type.second.size());
  for (const auto& type : types)
    for (const auto& name : type.second) nameDirectories[&name.second] = at, at += directorySize(name.second.size());

  std::string strings;
  std::map<const PeResourceKey*, size_t> stringAt;
  auto addName = [&](const PeResourceKey& key) {
    if (!key.named) return;
    stringAt[&key] = at + strings.size();
    Put16(&strings, static_cast<uint32_t>(key.name.size()));
    for (char16_t unit : key.name) Put16(&strings, unit);
  };
  for (const auto& type : types) {
    addName(type.first);
    for (const auto& name : type.second) addName(name.first);
  }
  at = AlignUp(at + strings.size(), 4);
  const size_t dataEntries = at;
  size_t leaves = 0;
  for (const auto& type : types)
    for (const auto& name : type.second) leaves += name.second.size();
  size_t dataAt = AlignUp(dataEntries + 16 * leaves, 8);

  std::string out;
  auto directory = [&](size_t named, size_t ids) {
    out.append(12, '\0');
    Put16(&out, static_cast<uint32_t>(named));
    Put16(&out, static_cast<uint32_t>(ids));
  };
  auto nameField = [&](const PeResourceKey& key) {
    return key.named ? kHighBit | static_cast<uint32_t>(stringAt[&key]) : key.id;
  };
  auto counts = [](const auto& map, size_t* named) {
    *named = 0;
    for (const auto& entry : map) *named += entry.first.named;
    return map.size() - *named;
  };
  size_t named = 0;
  size_t ids = counts(types, &named);
  directory(named, ids);
  for (const auto& type : types) {
    Put32(&out, nameField(type.first));
    Put32(&out, kHighBit | static_cast<uint32_t>(typeDirectories[&type.second]));
  }
  for (const auto& type : types) {
    ids = counts(type.second, &named);
    directory(named, ids);
    for (const auto& name : type.second) {
      Put32(&out, nameField(name.first));
      Put32(&out, kHighBit | static_cast<uint32_t>(nameDirectories[&name.second]));
    }
  }
  size_t leaf = 0;
  for (const auto& type : types) {
    for (const auto& name : type.second) {
      directory(0, name.second.size());
      for (const auto& language : name.second) {
        Put32(&out, language.first);
        Put32(&out, static_cast<uint32_t>(dataEntries + 16 * leaf++));
      }
    }
  }
  out += strings;
  out.resize(dataEntries, '\0');
  std::string data;
  for (const auto& type : types) {
    for (const auto& name : type.second) {
      for (const auto& language : name.second) {
        const Resource& resource = *language.second;
        data.resize(AlignUp(data.size(), 8), '\0');
        Put32(&out, rva + static_cast<uint32_t>(dataAt + data.size()));
        Put32(&out, static_cast<uint32_t>(resource.data.size()));
        Put32(&out, resource.codePage);
        Put32(&out, 0);
        data += resource.data;
      }
    }
  }
  out.resize(dataAt, '\0');
  return out + data;
}

}  // namespace

std::string ReadResources(const std::vector<unsigned char>& image, std::vector<Resource>* resources) {
  resources->clear();
  payload::MemorySource source(image.data(), image.size());
  std::vector<payload::PeResourceEntry> entries;
  switch (payload::ListPeResources(source, &entries)) {
    case payload::PeResult::kOk: break;
    case payload::PeResult::kNotPe: return "not a Windows program";
    case payload::PeResult::kNotFound: return "the program has no resources";
    default: return "the program's headers or resources are damaged";
  }
  for (const payload::PeResourceEntry& entry : entries) {
    Resource resource;
    resource.type = entry.type;
    resource.name = entry.name;
    resource.language = entry.language;
    resource.codePage = entry.codePage;
    resource.data.assign(image.begin() + static_cast<ptrdiff_t>(entry.offset),
                         image.begin() + static_cast<ptrdiff_t>(entry.offset + entry.size));
    resources->push_back(std::move(resource));
  }
  return std::string();
}

uint32_t PeChecksum(const std::vector<unsigned char>& image, size_t checksumOffset) {
  uint64_t sum = 0;
  for (size_t i = 0; i < image.size(); i += 2) {
    if (i == checksumOffset || i == checksumOffset + 2) continue;
    const uint32_t word = uint32_t(image[i]) | (i + 1 < image.size() ? uint32_t(image[i + 1]) << 8 : 0);
    sum += word;
    sum = (sum & 0xFFFF) + (sum >> 16);
  }
  sum = (sum & 0xFFFF) + (sum >> 16);
  return static_cast<uint32_t>(sum + image.size());
}

std::string ReplaceResources(const std::vector<unsigned char>& image, const std::vector<Resource>& resources,
                             std::vector<unsigned char>* out) {
  out->clear();
  payload::MemorySource source(image.data(), image.size());
  payload::PeHeaders headers;
  switch (payload::ReadPeHeaders(source, &headers)) {
    case payload::PeResult::kOk: break;
    case payload::PeResult::kNotPe: return "not a Windows program";
    default: return "the program's headers are damaged";
  }
  if (headers.directoryCount <= kDirectoryBaseRelocation) return "the program's headers lack data directories";
  if (headers.directories[payload::kDirectoryCertificate].size != 0)
    return "the program is signed: rewriting it would break the signature (sign the finished setup instead)";

  // ReadPeHeaders has checked that all of this lies in the file.
  const size_t pe = Get32(image, 0x3C);
  const size_t optional = pe + 24;
  const size_t sectionTable = optional + Get16(image, pe + 20);
  const uint32_t sectionAlignment = Get32(image, optional + 32), fileAlignment = Get32(image, optional + 36);
  const size_t directories = optional + (headers.optionalMagic == 0x20B ? 112 : 96);
  if (!IsPowerOfTwo(sectionAlignment) || !IsPowerOfTwo(fileAlignment) || Get16(image, pe + 20) < 72)
    return "the program's headers are damaged";

  const uint32_t resourceRva = headers.directories[payload::kDirectoryResource].address;
  const uint32_t relocationRva = headers.directories[kDirectoryBaseRelocation].address;
  const std::vector<payload::PeSection>& sections = headers.sections;
  size_t r = 0;
  while (r < sections.size() && (resourceRva == 0 || sections[r].virtualAddress != resourceRva)) ++r;
  if (r == sections.size()) return "the program has no resource section";
  if (sectionTable + sections.size() * kSectionHeaderSize > sections[r].rawOffset)
    return "the program's headers are damaged";
  // Behind the resources only the base relocations, which nothing addresses but the
  // directory entry, may move; their raw data must follow the resources' directly.
  for (size_t k = r + 1; k < sections.size(); ++k) {
    if (sections[k].virtualAddress != relocationRva || k != r + 1)
      return "a section other than the base relocations follows the resources";
    // The linker may leave a section's raw size short of the file alignment.
    if (AlignUp(uint64_t(sections[r].rawOffset) + sections[r].rawSize, fileAlignment) != sections[k].rawOffset)
      return "the base relocations do not follow the resources in the file";
  }
  const payload::PeSection& last = sections.back();
  const uint64_t lastEnd = uint64_t(last.rawOffset) + last.rawSize;
  if (image.size() != lastEnd && image.size() != AlignUp(lastEnd, fileAlignment))
    return "there are bytes behind the program's last section (is a package already appended?)";

  Types types;
  for (const Resource& resource : resources) {
    Languages& languages = types[resource.type][resource.name];
    if (!languages.emplace(resource.language, &resource).second) return "two resources of one type, name and language";
  }
  const std::string section = BuildSection(types, resourceRva);
  const uint64_t rawSize = AlignUp(section.size(), fileAlignment);
  const uint64_t rawEnd = uint64_t(sections[r].rawOffset) + rawSize;
  uint64_t virtualEnd = AlignUp(uint64_t(resourceRva) + section.size(), sectionAlignment);
  if (rawEnd > 0xFFFFFFFFu || virtualEnd > 0xFFFFFFFFu) return "the resources do not fit";

  out->assign(image.begin(), image.begin() + sections[r].rawOffset);
  out->insert(out->end(), section.begin(), section.end());
  out->resize(static_cast<size_t>(rawEnd), 0);
  const size_t header = sectionTable + r * kSectionHeaderSize;
  Set32(out, header + 8, static_cast<uint32_t>(section.size()));
  Set32(out, header + 16, static_cast<uint32_t>(rawSize));
  Set32(out, directories + 8 * payload::kDirectoryResource + 4, static_cast<uint32_t>(section.size()));
  int64_t rawGrowth = int64_t(rawSize) - int64_t(sections[r].rawSize);
  if (r + 1 < sections.size()) {
    const payload::PeSection& moved = sections[r + 1];
    const size_t movedHeader = header + kSectionHeaderSize;
    out->insert(out->end(), image.begin() + moved.rawOffset, image.begin() + moved.rawOffset + moved.rawSize);
    out->resize(static_cast<size_t>(AlignUp(out->size(), fileAlignment)), 0);
    Set32(out, movedHeader + 12, static_cast<uint32_t>(virtualEnd));
    Set32(out, movedHeader + 20, static_cast<uint32_t>(rawEnd));
    Set32(out, directories + 8 * kDirectoryBaseRelocation, static_cast<uint32_t>(virtualEnd));
    const uint32_t movedSize = moved.virtualSize ? moved.virtualSize : moved.rawSize;
    virtualEnd = AlignUp(virtualEnd + movedSize, sectionAlignment);
    if (virtualEnd > 0xFFFFFFFFu) return "the resources do not fit";
  }
  Set32(out, optional + 56, static_cast<uint32_t>(virtualEnd));  // SizeOfImage
  Set32(out, optional + 8, static_cast<uint32_t>(int64_t(Get32(image, optional + 8)) + rawGrowth));
  if (Get32(image, optional + 64) != 0) Set32(out, optional + 64, PeChecksum(*out, optional + 64));
  return std::string();
}

}  // namespace kit
