// What the page's look for its chosen port costs on a private JACK server: the list
// the output's client keeps (read again only after the server told of a port change)
// against the list read from the server at every look, as the look did before. The
// look runs on the main thread once a second, under the output's lock that every
// send (the clock's too) takes.
//
// Usage: jack_port_look_bench [looks, default 2000]; prints the median and the worst
// of each, in microseconds. Run it beside busy loops to see the server's reads under load.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "JackTestServer.h"
#include "MidiTransport/MidiPortSystem.h"

namespace {

using Clock = std::chrono::steady_clock;

// Microseconds each look took: the unit's port found among the output's list.
template <typename BeforeLook>
std::vector<double> Looks(MidiOutputTransport& output, const std::string& unit, int count, BeforeLook beforeLook) {
  std::vector<double> micros;
  for (int i = 0; i < count; ++i) {
    const Clock::time_point start = Clock::now();
    beforeLook();
    bool found = false;
    std::string name;
    for (unsigned port = 0; !found && port < output.PortCount(); ++port)
      found = output.PortName(port, name) && name == unit;
    micros.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    if (!found) std::fprintf(stderr, "look %d did not find %s\n", i, unit.c_str());
  }
  std::sort(micros.begin(), micros.end());
  return micros;
}

void Print(const char* what, const std::vector<double>& micros) {
  std::printf("%-24s median %9.1f us   worst %9.1f us\n", what, micros[micros.size() / 2], micros.back());
}

}  // namespace

int main(int argc, char** argv) {
  const int looks = argc > 1 ? std::max(1, std::atoi(argv[1])) : 2000;
  JackTestServer server;
  if (!server.Start()) {
    std::fprintf(stderr, "no JACK server\n");
    return 1;
  }
  auto transports = MidiSystemTransports(MidiSystemApi::JackOnly);
  auto unit = transports->CreateInput("look unit", 100);
  auto output = transports->CreateOutput("look editor");
  if (!unit || !output || !unit->OpenVirtualPort("midi")) {
    std::fprintf(stderr, "cannot open the bench's JACK clients\n");
    return 1;
  }
  const std::string unitPort = "look unit:midi";
  Print("kept list", Looks(*output, unitPort, looks, [] {}));
  Print("read at every look", Looks(*output, unitPort, looks, [&] { output->ListPortsAnew(); }));
  return 0;
}
