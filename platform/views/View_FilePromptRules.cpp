#include "views/View_FilePromptRules.h"

#include <sys/stat.h>

#include <algorithm>
#include <vector>

#include "Kit_AsciiCase.h"

namespace {

std::string Extension(const std::string& path) {
  const size_t slash = path.rfind('/');
  const size_t dot = path.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
  // A hidden name (".nl2") is all name.
  if (dot == (slash == std::string::npos ? 0 : slash + 1)) return "";
  // What names no file type (a blank in it, or no letter: "Pads v1.2", "v2.0 Set") is
  // name too, as the platform's panels take it.
  const std::string extension = path.substr(dot + 1);
  const auto letter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
  if (extension.find(' ') != std::string::npos || std::none_of(extension.begin(), extension.end(), letter)) return "";
  return extension;
}

// An absolute path with its empty, "." and ".." steps taken ("/" stays at the top).
std::string Normal(const std::string& path) {
  std::vector<std::string> steps;
  for (size_t at = 0; at <= path.size();) {
    const size_t next = std::min(path.find('/', at), path.size());
    const std::string step = path.substr(at, next - at);
    if (step == "..") {
      if (!steps.empty()) steps.pop_back();
    } else if (!step.empty() && step != ".") {
      steps.push_back(step);
    }
    at = next + 1;
  }
  std::string out;
  for (const std::string& step : steps) out += "/" + step;
  return out.empty() ? "/" : out;
}

}  // namespace

std::string ViewPromptTypesText(const ViewFilePrompt& prompt) {
  std::string out;
  for (const std::string& t : prompt.types) out += (out.empty() ? "" : " ") + t;
  return out;
}

std::string ViewPromptTitle(const ViewFilePrompt& prompt) {
  const std::string title = prompt.save ? "Save as:" : "Open file:";
  return prompt.types.empty() ? title : title + " (" + ViewPromptTypesText(prompt) + ")";
}

bool ViewPathIsTaken(const std::string& path) {
  struct stat st {};
  return lstat(path.c_str(), &st) == 0;
}

ViewPromptPath ViewCheckPromptPath(const ViewFilePrompt& prompt, const std::string& typed) {
  ViewPromptPath out;
  // "." and ".." name folders as a trailing slash does.
  const std::string lastStep = typed.substr(typed.rfind('/') + 1);
  if (typed.empty() || typed.back() == '/' || lastStep == "." || lastStep == "..") {
    out.problem = typed.empty() ? "Type a file name." : "That names a folder, not a file.";
    return out;
  }
  std::string& path = out.path;
  path = Normal(typed.front() == '/' ? typed : prompt.folder + "/" + typed);
  std::string extension = Kit_AsciiLower(Extension(path));
  if (prompt.save && extension.empty() && !prompt.types.empty()) {
    path += "." + prompt.types.front();
    extension = Kit_AsciiLower(prompt.types.front());
  }
  if (!prompt.types.empty() && std::none_of(prompt.types.begin(), prompt.types.end(),
                                            [&](const std::string& t) { return Kit_AsciiLower(t) == extension; })) {
    out.problem = "The name must end in: " + ViewPromptTypesText(prompt);
    return out;
  }
  struct stat st {};
  const bool exists = stat(path.c_str(), &st) == 0;
  if (!prompt.save && (!exists || !S_ISREG(st.st_mode))) {
    out.problem = "No such file.";
    out.missing = true;
    return out;
  }
  if (prompt.save && exists && S_ISDIR(st.st_mode)) {
    out.problem = "That is a folder.";
  }
  return out;
}
