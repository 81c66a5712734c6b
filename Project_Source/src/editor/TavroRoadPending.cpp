// Placeholders while the parameter road is built on its branches: each branch deletes
// the definitions it builds, and the file goes when the last one lands.

#include "Tavro.h"

void Tavro::OnParamChange2(int paramIdx) { IModuleAU::OnParamChange2(paramIdx); }
void Tavro::OnParamChange3(int, int, int, bool) {}
Tavro::CommandResult Tavro::runPanelCommand(int, double, bool) { return CommandResult::kNotMine; }
Tavro::CommandResult Tavro::runLibrarianCommand(int, double, bool) { return CommandResult::kNotMine; }
