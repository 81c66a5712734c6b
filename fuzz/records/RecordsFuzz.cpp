// Outside bytes through the record helpers: host names as a host reports them,
// SysEx bytes into log text, MIDI bytes into the queries, build stamps.

#include "Framework/Hosts.h"
#include "Framework/IMidiMsg.h"
#include "Framework/Log.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);

  const EHost host = LookUpHost(text.c_str());
  char name[kHostNameBufferSize];
  GetHostNameStr(host, name);
  if (host != kHostUnknown && LookUpHost(name) == kHostUnknown && host != kHostMelodyne && host != kHostSonar &&
      host != kHostFLStudio && host != kHostVSTScanner && host != kHostStudioOne)
    std::abort();  // a host whose own name no longer finds it

  const int bufSize = size > 0 ? data[0] : 0;
  std::vector<char> buf(size_t(bufSize) + 1, '#');
  SysExStr(buf.data(), bufSize, data, int(size));
  if (buf[size_t(bufSize)] != '#') std::abort();  // wrote past the given size

  if (size >= 3) {
    // Data bytes of real MIDI are 7-bit; the record keeps whatever it is given.
    const IMidiMsg msg(0, data[0], data[1] & 0x7F, data[2] & 0x7F);
    StatusMsgStr(msg.StatusMsg());
    const double wheel = msg.PitchWheel();
    if (wheel < -1.0 || wheel >= 1.0) std::abort();
    msg.NoteNumber();
    msg.ControlChange(data[1]);
  }

  const size_t half = text.size() / 2;
  Kit_String stamp;
  CompileTimestamp(text.substr(0, half).c_str(), text.substr(half).c_str(), &stamp);
  return 0;
}
