#pragma once
// The banks a new data folder starts with, so that a first request from the unit has
// a bank to land in: one of programs and one of performances, every entry the init
// message under its row's default name.
//
// threads: main

#include <string>

// Writes both banks into `patchesFolder` (with a trailing "/"); false with `error` set.
bool writeInitBanks(const std::string& patchesFolder, std::string* error);
