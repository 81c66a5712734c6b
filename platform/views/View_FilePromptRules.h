#pragma once
// What a file prompt makes of a typed path, as the system's file panels do, so every
// back end's answer is taken alike: a relative path lies in the start folder (its
// "." and ".." steps taken), a name to save without an extension takes the first
// allowed one (what follows a dot is no extension when it holds a blank or no letter),
// any other extension must be one allowed, and a file to open must exist.
//
// threads: main only (asks the file system).

#include <string>

#include "views/View_Backend.h"

struct ViewPromptPath {
  std::string path;      // the path as taken (absolute, extension added); empty for no name
  std::string problem;   // why it may not be taken; empty when it may
  bool missing = false;  // the problem is only that no file to open stands there
};

ViewPromptPath ViewCheckPromptPath(const ViewFilePrompt& prompt, const std::string& typed);

// The allowed extensions as the prompt names them ("mid", "nl2 syx").
std::string ViewPromptTypesText(const ViewFilePrompt& prompt);

// The prompt's title line: "Save as: (mid)", "Open file: (nl2 syx)", or without types
// "Save as:" / "Open file:".
std::string ViewPromptTitle(const ViewFilePrompt& prompt);

// Whether something (a file, a link, a folder) already stands at `path`.
bool ViewPathIsTaken(const std::string& path);
