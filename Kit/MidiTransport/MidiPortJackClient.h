#pragma once
// One JACK client with at most one MIDI port, for our JACK input and output.
//
// The port is never unregistered while process cycles run: closing stops them
// around it. (RtMidi's JACK input closes under running cycles and crashes now and
// then when its port closes.)

#include <jack/jack.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <shared_mutex>
#include <string>

// Held while a cycle reads a port buffer that another client's cycle fills. JACK
// runs the writer's cycle before ours and orders the two through its server, which
// the thread checker cannot see; it is told of that order at each cycle's start and
// end. A cycle of ours that runs more than a period late may still meet the
// writer's next one (the server reports it as an xrun): those reads are not
// reported to it.
// threads: jack-process
class MidiPortJackBufferReads {
public:
  MidiPortJackBufferReads();
  ~MidiPortJackBufferReads();
  MidiPortJackBufferReads(const MidiPortJackBufferReads&) = delete;
  MidiPortJackBufferReads& operator=(const MidiPortJackBufferReads&) = delete;
};

class MidiPortJackClient {
public:
  enum class Direction { kInput, kOutput };
  // Called once per JACK cycle with the open port's buffer, or null when no port
  // is open, and the frame time at which the cycle's period began. Must never block.
  // threads: jack-process
  using Process = void (*)(void* portBuffer, jack_nframes_t frames, jack_nframes_t start, void* context);

  // Null when no JACK server answers (the caller says so); none is ever started.
  // Opening and closing clients never overlap, whichever threads do them. Clients of
  // a server that has gone are released first: the JACK library frees them itself
  // when a client opens after its server went, and would free them again when their
  // owners close them. Those it frees all the same (one it saw go before we did, or
  // a client another part of the process opens) are never touched again.
  // threads: main, closer (one client each)
  static std::unique_ptr<MidiPortJackClient> Open(const std::string& clientName, Direction direction, Process process,
                                                  void* context);
  // No process call runs after this returns.
  ~MidiPortJackClient();

  MidiPortJackClient(const MidiPortJackClient&) = delete;
  MidiPortJackClient& operator=(const MidiPortJackClient&) = delete;

  // Opening, listing and closing: one thread at a time, never jack-process nor
  // jack-notification (the server waits for those).
  // threads: main; closer for an input's ClosePort
  // The other side's MIDI ports: outputs for our input, inputs for our output.
  unsigned PortCount();
  bool PortName(unsigned port, std::string& name);
  // Registers our port `portName` and connects it to the other side's `port`.
  bool OpenPort(unsigned port, const std::string& portName);
  bool OpenVirtualPort(const std::string& portName);
  // Waits for the running cycle to end; returns at once once the server is gone.
  void ClosePort();
  // A port stays open until closed or until the server goes away.
  // threads: any
  bool IsPortOpen() const { return port_.load() != nullptr && !ServerGone(); }
  // The server has shut down or died, or the library freed this client: it can open
  // nothing more. The
  // clients of a process share one server: the first to hear that it went speaks
  // for all opened before, whose own notices may come a moment later.
  // threads: any
  bool ServerGone() const;
  // Our open port is connected to another port, as the server's notices told;
  // never waits. A notice may come a moment after a connection is made.
  // threads: any
  bool PortConnected() const { return IsPortOpen() && connections_.load() > 0; }
  // How often our port's connections, as the server's notices told, dropped to none
  // and came back since this client opened (a patchbay cut and made them again): the
  // port's own first connection is no return.
  // threads: any
  uint64_t PortReturns() const { return returns_.load(); }
  // Asks the server. May wait up to a period while the server is changing
  // connections.
  // threads: any (never jack-process nor jack-notification: the server waits for those)
  bool PortConnectedNow() const;
  // The server's frame time now, on the clock of a cycle's start; 0 once
  // the server has gone.
  // threads: any
  jack_nframes_t FrameTime() const;

private:
  // The JACK client for a call that uses it, or null once the server has gone;
  // while it lives the client is not released under the caller.
  class Use {
  public:
    explicit Use(const MidiPortJackClient& client);
    jack_client_t* Client() const { return client_; }

  private:
    std::shared_lock<std::shared_mutex> hold_;
    jack_client_t* client_;
  };

  MidiPortJackClient(jack_client_t* client, uint32_t serverLife, Direction direction, Process process, void* context);
  // Closes the JACK client of a server that has gone, at most once; later calls
  // find it gone. Under the process's open-and-close lock.
  void Release();
  // The JACK library freed this client itself: a client opened after it saw the
  // server go. It is never used nor closed again.
  // threads: any
  bool FreedByLibrary() const;
  // Starts the cycles; false when JACK refuses.
  bool Activate();
  // threads: jack-process
  static int OnProcess(jack_nframes_t frames, void* self);
  // threads: jack-process, jack-notification (whichever finds the server gone)
  static void OnShutdown(void* self);
  // threads: jack-notification
  static void OnConnect(jack_port_id_t a, jack_port_id_t b, int connect, void* self);

  // Null once released. Replaced only under releasing_ held alone, read under it shared
  // (Use), or by jack-process and jack-notification, which closing the client ends.
  jack_client_t* client_;
  mutable std::shared_mutex releasing_;
  Direction direction_;
  Process process_;
  void* context_;
  std::string name_;
  std::atomic<jack_port_t*> port_{nullptr};
  std::atomic<bool> serverGone_{false};
  const uint32_t serverLife_;          // the server's deaths this process had seen before opening
  const uint32_t libraryFreesBefore_;  // the library's frees of all its clients before this one opened
  std::atomic<int> connections_{0};    // counted from the server's notices
  std::atomic<bool> cut_{false};       // they dropped to none since the port opened
  std::atomic<uint64_t> returns_{0};   // PortReturns
  bool active_ = false;                // only the thread opening and closing touches it
};
