#include "Tsv.h"

#include <fstream>
#include <sstream>

namespace {
const std::string kEmpty;
}  // namespace

const std::string& TsvRow::at(size_t i) const { return i < cells.size() ? cells[i] : kEmpty; }

int TsvRow::number(size_t i) const {
  const std::string& text = at(i);
  size_t used = 0;
  int value = 0;
  try {
    value = std::stoi(text, &used);
  } catch (const std::exception&) {
    used = 0;
  }
  if (used == 0 || used != text.size()) {
    throw SourceError("line " + std::to_string(line) + ": \"" + text + "\" is not a number");
  }
  return value;
}

std::string ReadTextFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw SourceError(path + ": cannot be read");
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<std::string> SplitOn(const std::string& text, char separator) {
  std::vector<std::string> pieces;
  size_t start = 0;
  while (true) {
    size_t end = text.find(separator, start);
    pieces.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) return pieces;
    start = end + 1;
  }
}

std::vector<TsvRow> ReadTsv(const std::string& path) {
  std::istringstream in(ReadTextFile(path));
  std::vector<TsvRow> rows;
  std::string text;
  int line = 0;
  while (std::getline(in, text)) {
    ++line;
    if (!text.empty() && text.back() == '\r') text.pop_back();
    if (text.empty() || text[0] == '#') continue;
    rows.push_back({line, SplitOn(text, '\t')});
  }
  return rows;
}

void FailAt(const std::string& path, const TsvRow& row, const std::string& what) {
  throw SourceError(path + ":" + std::to_string(row.line) + ": " + what);
}
