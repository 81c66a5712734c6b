#pragma once
// The texts a librarian bank list shows for its bank files: a name of up to 40
// bytes as it is; a longer one as its first 40 bytes, "~", a running number and its
// extension in lower case, so that names alike in their first 40 bytes stay apart.
// Each text fits a display-text entry (55 bytes); no cut splits a UTF-8 letter.
//
// threads: main

#include <functional>
#include <string>
#include <vector>

constexpr size_t kBankListNameLength = 40;
constexpr size_t kBankListTextLength = 55;

// `shortened` (may be empty) hears each name that was shortened and its text.
std::vector<std::string> BankListTexts(
    const std::vector<std::string>& fileNames,
    const std::function<void(const std::string& fileName, const std::string& text)>& shortened = nullptr);

// The text of a pane's bank list when no bank of the kind is open: its caption says
// so rather than the list's bare value.
inline const char* NoBankListText(bool performance) { return performance ? "no performance bank" : "no program bank"; }
