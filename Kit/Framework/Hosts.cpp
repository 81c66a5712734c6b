#include "Framework/Hosts.h"

#include "Framework/Log.h"

#include <cstring>

namespace {

struct HostKey {
  const char* key;
  EHost host;
};

// Tested in this order; the first key found wins ("live" before "logic").
constexpr HostKey kHostKeys[] = {
    {"cubase", kHostCubase},
    {"reaper", kHostReaper},
    {"nuendo", kHostNuendo},
    {"cakewalk", kHostSonar},
    {"samplitude", kHostSamplitude},
    {"fruity", kHostFLStudio},
    {"live", kHostLive},
    {"melodyne", kHostMelodyne},
    {"vstmanlib", kHostVSTScanner},
    {"aulab", kHostAULab},
    {"garageband", kHostGarageBand},
    {"forte", kHostForte},
    {"chainer", kHostChainer},
    {"audition", kHostAudition},
    {"orion", kHostOrion},
    {"sawstudio", kHostSAWStudio},
    {"logic", kHostLogic},
    {"digital", kHostDigitalPerformer},
    {"audiomulch", kHostAudioMulch},
    {"presonus", kHostStudioOne},
    {"vst3plugintesthost", kHostVST3PluginTestHost},
    {"protools", kHostProTools},
    {"ardour", kHostArdour},
    {"standalone", kHostStandalone},
};

struct HostName {
  EHost host;
  const char* name;
};

constexpr HostName kHostNames[] = {
    {kHostReaper, "Reaper"},
    {kHostProTools, "ProTools"},
    {kHostCubase, "Cubase"},
    {kHostNuendo, "Nuendo"},
    {kHostSonar, "Sonar"},
    {kHostVegas, "Vegas"},
    {kHostFLStudio, "FLStudio"},
    {kHostSamplitude, "Samplitude"},
    {kHostLive, "Live"},
    {kHostVSTScanner, "VSTScanner"},
    {kHostAULab, "AULab"},
    {kHostForte, "Forte"},
    {kHostChainer, "Chainer"},
    {kHostAudition, "Audition"},
    {kHostOrion, "Orion"},
    {kHostSAWStudio, "SAWStudio"},
    {kHostLogic, "Logic"},
    {kHostGarageBand, "GarageBand"},
    {kHostDigitalPerformer, "DigitalPerformer"},
    {kHostStandalone, "Standalone"},
    {kHostAudioMulch, "AudioMulch"},
    {kHostStudioOne, "StudioOne"},
    {kHostVST3PluginTestHost, "VST3PluginTestHost"},
    {kHostArdour, "Ardour"},
};

constexpr int kMaxNameUsed = 255;

}  // namespace

EHost LookUpHost(const char* name) {
  if (!name) return kHostUnknown;
  char cut[kMaxNameUsed + 1];
  std::strncpy(cut, name, kMaxNameUsed);
  cut[kMaxNameUsed] = 0;
  char lower[kMaxNameUsed + 1];
  ToLower(lower, cut);
  for (const HostKey& entry : kHostKeys) {
    if (std::strstr(lower, entry.key)) return entry.host;
  }
  return kHostUnknown;
}

void GetHostNameStr(EHost host, char* buf) {
  for (const HostName& entry : kHostNames) {
    if (entry.host == host) {
      std::strcpy(buf, entry.name);
      return;
    }
  }
  std::strcpy(buf, "Unknown");
}
