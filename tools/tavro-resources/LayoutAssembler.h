#pragma once
// The layout text: the hand-written uiconfig.xml with each marker line
// "<!-- @generate NAME [ARG] -->" replaced by the generated elements, indented as
// the marker is (a tab or two blanks a level).

#include <string>

#include "PanelSources.h"

std::string AssembleLayout(const PanelSources& sources);
