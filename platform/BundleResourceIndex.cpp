#include "BundleResourceIndex.h"

#include <dirent.h>
#include <sys/stat.h>

#include <mutex>

namespace {

constexpr int kMaxFolderDepth = 16;

std::string LastComponent(const std::string& name) {
  const size_t slash = name.rfind('/');
  return slash == std::string::npos ? name : name.substr(slash + 1);
}

std::vector<std::string> Folders(const std::string& path) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (size_t slash; (slash = path.find('/', start)) != std::string::npos; start = slash + 1)
    if (slash > start) parts.push_back(path.substr(start, slash - start));
  return parts;  // the last component (the file) is left out
}

// How many trailing folders the two lists share.
size_t SharedTail(const std::vector<std::string>& a, const std::vector<std::string>& b) {
  size_t n = 0;
  while (n < a.size() && n < b.size() && a[a.size() - 1 - n] == b[b.size() - 1 - n]) ++n;
  return n;
}

}  // namespace

std::string ViewResourceBaseName(const std::string& name) {
  const std::string last = LastComponent(name);
  const size_t dot = last.rfind('.');
  return dot == std::string::npos ? last : last.substr(0, dot);
}

std::string ViewResourceExtension(const std::string& name) {
  const std::string last = LastComponent(name);
  const size_t dot = last.rfind('.');
  return dot == std::string::npos ? std::string() : last.substr(dot + 1);
}

std::shared_ptr<const BundleResourceIndex> BundleResourceIndex::ForFolder(const std::string& folder) {
  static std::mutex lock;
  static std::map<std::string, std::shared_ptr<const BundleResourceIndex>> cache;
  std::lock_guard<std::mutex> guard(lock);
  std::shared_ptr<const BundleResourceIndex>& entry = cache[folder];
  if (!entry) entry.reset(new BundleResourceIndex(folder));
  return entry;
}

BundleResourceIndex::BundleResourceIndex(const std::string& folder) : root_(folder) {
  while (root_.size() > 1 && root_.back() == '/') root_.pop_back();
  Walk(root_, "", 0);
}

void BundleResourceIndex::Walk(const std::string& folder, const std::string& relative, int depth) {
  DIR* dir = opendir(folder.c_str());
  if (!dir) return;
  while (dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    const std::string full = folder + "/" + name;
    const std::string rel = relative.empty() ? name : relative + "/" + name;
    struct stat st {};
    if (lstat(full.c_str(), &st) != 0) continue;
    if (S_ISDIR(st.st_mode)) {
      if (depth < kMaxFolderDepth) Walk(full, rel, depth + 1);
      continue;
    }
    // Only regular files: reading a pipe or a device could block or never end.
    if (S_ISLNK(st.st_mode) && stat(full.c_str(), &st) != 0) continue;
    if (!S_ISREG(st.st_mode)) continue;
    byName_[name].push_back(rel);
    ++count_;
  }
  closedir(dir);
}

BundleResourceIndex::Lookup BundleResourceIndex::Find(const std::string& name, const std::string& type,
                                                      std::string* path) const {
  const std::string base = ViewResourceBaseName(name);
  if (base.empty()) return Lookup::Missing;
  const auto it = byName_.find(type.empty() ? base : base + "." + type);
  if (it == byName_.end()) return Lookup::Missing;
  const std::vector<std::string>& candidates = it->second;
  const std::vector<std::string> asked = Folders(name);
  size_t best = 0, bestCount = 0;
  const std::string* chosen = nullptr;
  for (const std::string& c : candidates) {
    const size_t shared = SharedTail(asked, Folders(c));
    if (!chosen || shared > best) {
      best = shared;
      bestCount = 1;
      chosen = &c;
    } else if (shared == best) {
      ++bestCount;
    }
  }
  if (bestCount != 1) return Lookup::Ambiguous;
  *path = root_ + "/" + *chosen;
  return Lookup::Found;
}
