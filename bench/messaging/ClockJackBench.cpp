// MIDI clock over JACK: the real bundle in the test host sends its clock at 120 BPM to
// the simulated synthesizer on a private JACK server (dummy driver, 48 kHz); how the
// Clocks' arrival times scatter around their grid at the simulator.
//
// Usage: clock_jack_bench [seconds, default 30] [period frames, default 64]

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "HostSnapshot.h"
#include "JackTestServer.h"
#include "MidiTransport/MidiPortSystem.h"
#include "RemoveTree.h"
#include "RunProgram.h"
#include "SynthSimPorts.h"

namespace {

constexpr const char* kSimName = "Bench Sim";
constexpr double kIntervalMicros = 60e6 / (120.0 * 24.0);

// Panel positions (layout units) of the MIDI filter page's opener and the clock's
// switch on it, as the panel lays them out.
constexpr const char* kOpenFilters = "click 1435 632\n";
constexpr const char* kClockSwitch = "click 770 478\n";

double Percentile(std::vector<double> values, double p) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  return values[std::min(values.size() - 1, size_t(p * double(values.size() - 1) + 0.5))];
}

}  // namespace

int main(int argc, char** argv) {
  const int seconds = argc > 1 ? std::atoi(argv[1]) : 30;
  const int period = argc > 2 ? std::atoi(argv[2]) : 64;
  if (seconds < 1 || period < 16) {
    std::fprintf(stderr, "usage: clock_jack_bench [seconds] [period frames]\n");
    return 2;
  }
  JackTestServer server;
  if (!server.Start(period)) return 1;
  int status = 1;
  {
    auto transports = MidiSystemTransports(MidiSystemApi::JackOnly);
    SynthSimThreadScheduler scheduler;
    SynthSimPorts sim(*transports, scheduler, SynthSimSettings(), kSimName);
    if (!sim.Open()) return 1;
    char folder[] = "/tmp/clock_jack_bench_XXXXXX";
    if (!mkdtemp(folder)) return 1;
    const std::string script = std::string(folder) + "/script.txt";
    // The simulator's output as the input first: choosing the output starts the
    // device-id enquiry, whose overlay swallows clicks until it ends.
    std::ofstream(script) << "choose " << kSimName << "-out:midi\nclick 590 28\nchoose " << kSimName
                          << "-in:midi\nclick 430 28\nwait 10000\ntempo 120\n"
                          << kOpenFilters << kClockSwitch << "expect-param 610 1\nrender 1\nwait " << seconds * 1000
                          << "\n"
                          << kClockSwitch << "expect-param 610 0\n";
    std::string output;
    std::vector<std::string> command = HostCommand("Tavro.component");
    command.insert(command.end(), {"--render-seconds", "0.1", "--fast", "--transport", "stop", "--data-root", folder,
                                   "--script", script});
    const int host = RunProgram(command, &output);
    RemoveTree(folder);
    std::vector<double> arrivals;
    for (const SynthSim::Arrival& a : sim.Sim().Arrivals())
      if (a.message.size() == 1 && a.message[0] == 0xF8) arrivals.push_back(double(a.micros));
    if (arrivals.size() < 100) {
      std::fprintf(stderr, "only %zu Clocks arrived (host status %d)\n%s", arrivals.size(), host, output.c_str());
    } else {
      // Against the grid of the first Clock, then with the grid's offset taken out.
      std::vector<double> offsets, gaps;
      for (size_t n = 0; n < arrivals.size(); ++n)
        offsets.push_back(arrivals[n] - arrivals[0] - double(n) * kIntervalMicros);
      const double middle = Percentile(offsets, 0.5);
      std::vector<double> jitter;
      for (double o : offsets) jitter.push_back(std::fabs(o - middle));
      for (size_t n = 1; n < arrivals.size(); ++n)
        gaps.push_back(std::fabs(arrivals[n] - arrivals[n - 1] - kIntervalMicros));
      const double span = arrivals.back() - arrivals.front();
      std::printf("%d frames a period (%.2f ms), %zu Clocks in %.3f s (%.1f expected)\n", period,
                  period * 1000.0 / 48000.0, arrivals.size(), span / 1e6, span / kIntervalMicros + 1);
      std::printf("arrival against the grid, us: p50 %.0f  p99 %.0f  max %.0f\n", Percentile(jitter, 0.5),
                  Percentile(jitter, 0.99), Percentile(jitter, 1.0));
      std::printf("gap against %.0f us, us: p50 %.0f  p99 %.0f  max %.0f\n", kIntervalMicros, Percentile(gaps, 0.5),
                  Percentile(gaps, 0.99), Percentile(gaps, 1.0));
      std::printf("drift over the run: %.0f us\n", offsets.back() - offsets.front());
      status = 0;
    }
  }
  server.Stop();
  return status;
}
