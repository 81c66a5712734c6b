#include "layout/ConfigLog.h"

void ConfigLog::line(const std::string& text) const {
  if (mSink) mSink(kPrefix + text);
}

void ConfigLog::atLine(int xmlLine, const std::string& text) const {
  if (mSink) mSink(kPrefix + std::string("line ") + std::to_string(xmlLine) + ": " + text);
}
