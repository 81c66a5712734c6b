#pragma once
// Which host application loaded the plug-in. Informational only: nothing branches on it.

#include <cstdint>

enum EHost : int32_t {
  kHostUninit = -1,  // not yet identified
  kHostUnknown = 0,
  kHostReaper = 1,
  kHostProTools = 2,
  kHostCubase = 3,
  kHostNuendo = 4,
  kHostSonar = 5,
  kHostVegas = 6,
  kHostFLStudio = 7,
  kHostSamplitude = 8,
  kHostLive = 9,
  kHostMelodyne = 12,
  kHostVSTScanner = 13,
  kHostAULab = 14,
  kHostForte = 15,
  kHostChainer = 16,
  kHostAudition = 17,
  kHostOrion = 18,
  kHostSAWStudio = 20,
  kHostLogic = 21,
  kHostGarageBand = 22,
  kHostDigitalPerformer = 23,
  kHostStandalone = 24,
  kHostAudioMulch = 25,
  kHostStudioOne = 26,
  kHostVST3PluginTestHost = 27,
  kHostArdour = 28,
};

// Room GetHostNameStr needs: the longest name and its terminator.
constexpr int kHostNameBufferSize = 19;

// The host whose key is the first, in a fixed order, found in the lower-cased
// name (its first 255 characters); kHostUnknown when none is, or name is null.
EHost LookUpHost(const char* name);

// Writes the host's display name ("Unknown" for values without one) into buf,
// which holds at least kHostNameBufferSize characters.
void GetHostNameStr(EHost host, char* buf);
