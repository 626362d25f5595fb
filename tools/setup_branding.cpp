#include "tools/setup_branding.h"

#include <memory>
#include <set>

#include "app/install_config.h"
#include "driver/stdio_file.h"
#include "payload/archive.h"
#include "tools/gbk_text.h"
#include "tools/resource_section.h"
#include "tools/version_block.h"

namespace kit {

namespace {

constexpr char kEnglishConfig[] = "InstallConfig_en.txt";

bool IsListed(const std::vector<ListedEntry>& entries, const char* name) {
  for (const ListedEntry& entry : entries)
    if (payload::NamesEqualIgnoringCase(entry.name.c_str(), name)) return true;
  return false;
}

bool IsKey(const payload::PeResourceKey& key, uint16_t id) { return !key.named && key.id == id; }

std::u16string Ascii(const std::string& text) { return std::u16string(text.begin(), text.end()); }

// The ids a group icon resource names (a directory of 14-byte entries, the id last).
std::vector<uint16_t> GroupIds(const std::string& group) {
  std::vector<uint16_t> ids;
  if (group.size() < 6) return ids;
  const size_t count = static_cast<unsigned char>(group[4]) | (static_cast<unsigned char>(group[5]) << 8);
  for (size_t i = 0; i < count && 6 + 14 * (i + 1) <= group.size(); ++i) {
    const size_t at = 6 + 14 * i + 12;
    ids.push_back(static_cast<uint16_t>(static_cast<unsigned char>(group[at]) |
                                        (static_cast<unsigned char>(group[at + 1]) << 8)));
  }
  return ids;
}

// The first group icon's images replaced by images, under fresh icon ids.
std::string ReplaceIcon(std::vector<Resource>* resources, const std::vector<IconImage>& images) {
  Resource* group = nullptr;
  std::set<uint16_t> stillNamed;  // icon ids other groups use
  for (Resource& resource : *resources) {
    if (!IsKey(resource.type, kResourceGroupIcon)) continue;
    if (!group) {
      group = &resource;
    } else {
      for (uint16_t id : GroupIds(resource.data)) stillNamed.insert(id);
    }
  }
  if (!group) return "the stub has no icon to replace";
  const std::vector<uint16_t> old = GroupIds(group->data);
  const std::set<uint16_t> replaced(old.begin(), old.end());
  const uint16_t language = group->language;
  std::vector<Resource> kept;
  unsigned highest = 0;
  Resource newGroup;
  for (Resource& resource : *resources) {
    const bool icon = IsKey(resource.type, kResourceIcon) && !resource.name.named;
    if (icon && replaced.count(resource.name.id) && !stillNamed.count(resource.name.id)) continue;
    if (icon && resource.name.id > highest) highest = resource.name.id;
    kept.push_back(std::move(resource));
  }
  if (highest + images.size() > 0xFFFF) return "no icon ids left in the stub";
  const uint16_t firstId = static_cast<uint16_t>(highest + 1);
  for (Resource& resource : kept) {
    // The first group icon of the list is the one found above.
    if (IsKey(resource.type, kResourceGroupIcon)) {
      resource.data = GroupIconResource(images, firstId);
      break;
    }
  }
  for (size_t i = 0; i < images.size(); ++i) {
    Resource icon;
    icon.type.id = kResourceIcon;
    icon.name.id = static_cast<uint16_t>(firstId + i);
    icon.language = language;
    icon.data = images[i].bytes;
    kept.push_back(std::move(icon));
  }
  *resources = std::move(kept);
  return std::string();
}

}  // namespace

std::string ReadBranding(const std::string& dir, const std::vector<ListedEntry>& entries, Branding* branding) {
  *branding = Branding();
  std::string bytes;
  if (IsListed(entries, setup_info::kFileName)) {
    if (!ReadPackageFile(dir, setup_info::kFileName, &bytes)) return std::string("cannot read ") + setup_info::kFileName;
    setup_info::SetupInfo info;
    setup_info::ParseSetupInfo(bytes.data(), bytes.size(), &info);
    branding->version = info.version;
    branding->publisher = info.publisher;
  }
  StdioFile config = OpenStdioFile((dir + "/" + kEnglishConfig).c_str(), "rb");
  if (!config) return std::string("cannot read ") + kEnglishConfig;
  auto parsed = std::make_unique<InstallConfig>();  // zero-filled, as the parser wants it
  ParseInstallConfig(config.get(), parsed.get(), nullptr);
  branding->productName = parsed->title();
  if (IsListed(entries, kSetupIcon)) {
    if (!ReadPackageFile(dir, kSetupIcon, &bytes)) return std::string("cannot read ") + kSetupIcon;
    const std::string problem = ReadIconFile(bytes, &branding->icon);
    if (!problem.empty()) return std::string(kSetupIcon) + ": " + problem;
  }
  return std::string();
}

std::string BrandProgram(const std::vector<unsigned char>& stub, const Branding& branding,
                         std::vector<unsigned char>* out) {
  out->clear();
  std::vector<Resource> resources;
  std::string problem = ReadResources(stub, &resources);
  if (!problem.empty()) return problem;

  VersionTexts texts;
  if (branding.version.count > 0) {
    texts.versionParts = branding.version.count;
    for (int i = 0; i < 4; ++i) texts.version[i] = branding.version.parts[i];
    texts.versionText = Ascii(setup_info::FormatVersion(branding.version));
  }
  if (!GbkToUtf16(branding.publisher, &texts.company)) return "the publisher is not GBK text";
  if (!GbkToUtf16(branding.productName, &texts.product)) return "the product name is not GBK text";
  Resource* version = nullptr;
  for (Resource& resource : resources)
    if (IsKey(resource.type, kResourceVersion) && !version) version = &resource;
  if (!version) return "the stub has no version block";
  std::string edited;
  if (!EditVersionBlock(version->data, texts, &edited)) return "the stub's version block is damaged";
  version->data = edited;

  if (!branding.icon.empty()) {
    problem = ReplaceIcon(&resources, branding.icon);
    if (!problem.empty()) return problem;
  }
  return ReplaceResources(stub, resources, out);
}

}  // namespace kit
