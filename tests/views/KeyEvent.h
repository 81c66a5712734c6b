#pragma once
// A key event as the view hands it on, for the key rules' tests.
// threads: main

#include <string>
#include <utility>

#include "views/View_Events.h"

// The key `code` typing `chars`.
inline ViewKeyEvent Key(int code, std::string chars) {
  ViewKeyEvent k;
  k.keyCode = code;
  k.characters = std::move(chars);
  return k;
}
