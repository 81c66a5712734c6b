#pragma once
// Finding a bundle resource by base name and type, as the platform's bundle does,
// over a Resources folder that may hold sub-folders.
//
// Every file below the folder is indexed once (symlinked folders are not followed).
// A base name and type found in one place is that resource. Found in several
// places, the folders named in front of the asked name choose among them
// ("img-v2/knob.png" picks .../img-v2/knob.png); when that leaves more than one,
// the name is ambiguous and refused rather than guessed.
//
// threads: any (the cache of indexes has a lock; an index never changes once made).

#include <map>
#include <memory>
#include <string>
#include <vector>

class BundleResourceIndex {
public:
  enum class Lookup { Found, Missing, Ambiguous };

  // The index of `folder` (made on first use, then kept for the process).
  static std::shared_ptr<const BundleResourceIndex> ForFolder(const std::string& folder);

  // `name` is the asked name (its folders only narrow a choice); `type` the
  // extension without the dot, compared exactly.
  Lookup Find(const std::string& name, const std::string& type, std::string* path) const;
  size_t FileCount() const { return count_; }

private:
  explicit BundleResourceIndex(const std::string& folder);
  void Walk(const std::string& folder, const std::string& relative, int depth);

  std::string root_;
  // "base.type" -> relative paths of the files with that name
  std::map<std::string, std::vector<std::string>> byName_;
  size_t count_ = 0;
};

// The base name of a path's last component without its extension ("a/b.c.png" -> "b.c").
std::string ViewResourceBaseName(const std::string& name);
// What follows the last "." of the last component, "" when there is none.
std::string ViewResourceExtension(const std::string& name);
