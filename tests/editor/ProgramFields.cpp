#include "ProgramFields.h"

#include "messaging/tables/DumpFieldTable.h"

std::vector<std::string> ProgramFieldNames() {
  std::vector<std::string> names;
  for (int k = 0; k < kPartBlockFieldCount; ++k) names.push_back(kPartBlockFields[k].param);
  return names;
}
