#pragma once
// The symbolic parameter names the layout resource uses, with their indices. A
// per-part name gives part A's index; parts B to D follow it. Data only, so the
// resource builder and the layout lint link the very table the reader registers.

constexpr int kLayoutParamCount = 798;

struct ParamNameEntry {
  const char* name;
  int index;
};

extern const ParamNameEntry kParamNameTable[];
extern const int kParamNameTableSize;
