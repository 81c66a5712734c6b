#pragma once
// Tab-separated tables of the resource sources: one record a line, "#" lines and
// blank lines skipped. Each row keeps its line number for messages.

#include <stdexcept>
#include <string>
#include <vector>

struct TsvRow {
  int line = 0;
  std::vector<std::string> cells;
  // The cell, or "" past the end.
  const std::string& at(size_t i) const;
  int number(size_t i) const;
};

// A source the builder cannot use: names the file and line.
class SourceError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

std::string ReadTextFile(const std::string& path);
std::vector<TsvRow> ReadTsv(const std::string& path);
// Throws SourceError naming path and row.line.
[[noreturn]] void FailAt(const std::string& path, const TsvRow& row, const std::string& what);
std::vector<std::string> SplitOn(const std::string& text, char separator);
