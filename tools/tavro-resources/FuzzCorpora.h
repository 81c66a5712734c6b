#pragma once
// Seeds for the layout reader's fuzz targets, made from the built resources: the
// layout text whole and in its top-level parts (walk), the SysEx text behind the
// factory arguments its controls use (SysEx), and both enciphered files (cipher).
// One folder per fuzz target under dir.

#include <string>
#include <vector>

void WriteFuzzCorpora(const std::string& dir, const std::string& layout, const std::string& sysex,
                      const std::vector<unsigned char>& layoutCipher, const std::vector<unsigned char>& sysexCipher);
