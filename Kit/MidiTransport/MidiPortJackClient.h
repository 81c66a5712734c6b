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
#include <mutex>
#include <shared_mutex>
#include <string>
#include <vector>

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
  // A server whose driver has run no cycle for this long, none of its threads seen
  // runnable meanwhile, is taken as gone: it is halted or stuck while it stops (a
  // client closing just then can hold a stopping server up for a minute and more);
  // nothing goes through it, and it answers no call. One whose thread waits for the
  // processor (a loaded machine) is only late, however long: its cycle is waited for,
  // the ports kept open.
  static constexpr jack_time_t kStoppedServerMicros = 3000 * 1000;
  struct Closing {
    void operator()(MidiPortJackClient* client) const;
  };
  // Closing a client waits for its server to answer. One whose server has stopped but
  // not gone is not closed (that could wait for minutes): its cycles are cut from its
  // owner at once, and it is closed once its server has gone or runs again.
  // threads: main, closer
  using Owned = std::unique_ptr<MidiPortJackClient, Closing>;
  // Called once per JACK cycle with the open port's buffer, or null when no port
  // is open, and the frame time at which the cycle's period began. Must never block.
  // threads: jack-process
  using Process = void (*)(void* portBuffer, jack_nframes_t frames, jack_nframes_t start, void* context);

  // Null when no JACK server answers (the caller says so), when one refuses the client
  // (said here), or while the server of an earlier client has stopped but not gone
  // (said here); none is ever started.
  // Opening and closing clients never overlap, whichever threads do them. Clients of
  // a server that has gone are released first: the JACK library frees them itself
  // when a client opens after its server went, and would free them again when their
  // owners close them. Those it frees all the same (one it saw go before we did, or
  // a client another part of the process opens) are never touched again.
  // threads: main, closer (one client each)
  static Owned Open(const std::string& clientName, Direction direction, Process process, void* context);
  // The last Open was refused because a stopped server lingers.
  // threads: any
  static bool ServerLingering();
  // The last Open was refused by a server that is there (said with JACK's status).
  // threads: any
  static bool OpenRefused();

  MidiPortJackClient(const MidiPortJackClient&) = delete;
  MidiPortJackClient& operator=(const MidiPortJackClient&) = delete;

  // Opening, listing and closing: one thread at a time, never jack-process nor
  // jack-notification (the server waits for those).
  // threads: main; closer for an input's ClosePort
  // The other side's MIDI ports: outputs for our input, inputs for our output. Read
  // from the server only after it told of a port registered, renamed or let go (or
  // after ListPortsAnew): a read can take a good part of a second under load, and
  // the page looks for its ports every second.
  unsigned PortCount();
  bool PortName(unsigned port, std::string& name);
  // Registers our port `portName` and connects it to the other side's `port`.
  bool OpenPort(unsigned port, const std::string& portName);
  bool OpenVirtualPort(const std::string& portName);
  // Waits for the running cycle to end; returns at once once the server is gone.
  void ClosePort();
  // The next PortCount reads the list from the server. It only counts, so the
  // server's notices call it too.
  // threads: any
  void ListPortsAnew() { portNotices_.fetch_add(1); }
  // A port stays open until closed or until the server goes away.
  // threads: any
  bool IsPortOpen() const { return port_.load() != nullptr && !ServerGone(); }
  // The server has shut down, died or stopped running cycles, or dropped this client,
  // or the library freed this client: it can open nothing more. The clients of a
  // process share one server: the first to hear that it went speaks for all opened
  // before, whose own notices may come a moment later. A client dropped while the
  // server runs on speaks for all too: the JACK library then takes the server as gone
  // for every client of the process, refuses their calls, and frees them at the next open.
  // threads: any (never under a Use of this client)
  bool ServerGone() const;
  // What the last death was, as the panel says it: the server gone, or JACK dropping a
  // client of ours (named) while its server ran on.
  // threads: any
  static std::string GoneText();
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
  // connections. A connection found back after the notices said none counts as a
  // return at once, before anything is sent through it; its own notice, later,
  // counts nothing more.
  // threads: any (never jack-process nor jack-notification: the server waits for those)
  bool PortConnectedNow();
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
  // Closes the JACK client, under the process's open-and-close lock. No process call
  // runs after this returns.
  void CloseNow();
  // Releases the clients whose server has gone, and deletes the parked ones released;
  // false while one lingers. Under the process's open-and-close lock.
  static bool ReleaseGoneClients();
  // Closes the JACK client of a server that has gone, at most once; later calls
  // find it gone. Under the process's open-and-close lock.
  void Release();
  // Its server has stopped running cycles but has neither gone nor freed it: closing
  // it would wait for the server. A cycle overdue is waited for until it comes or the
  // server is found stopped. Under the process's open-and-close lock.
  bool Lingering() const;
  // Returns once the server's cycles run or it is found stopped (or gone), or after
  // kStoppedServerMicros at most: a call that asks the server would otherwise wait on a
  // halted one until it runs again.
  // threads: any (never under a Use of this client)
  void AwaitLateCycle() const;
  // Cuts the cycles from the owner, which is about to go; the client waits, unclosed,
  // among the process's clients. Under the process's open-and-close lock.
  void Park();
  // JACK shut this client down (its server went, or dropped it), or the library freed it.
  // threads: any
  bool ServerDead() const { return shutDown_.load() || FreedByLibrary(); }
  // The server's own notices and marks only; never asks it.
  // threads: any
  bool GoneAsMarked() const;
  // Whether the server's driver runs cycles: kStopped once it has run none and
  // shown no runnable thread for kStoppedServerMicros, which marks the server gone for
  // every client opened before the first time it is found so. `client` is this
  // client's, held for the call.
  // threads: any
  enum class Cycles { kRunning, kOverdue, kStopped };
  Cycles CyclesNow(jack_client_t* client) const;
  // The JACK library freed this client itself: a client opened after it saw the
  // server go. It is never used nor closed again.
  // threads: any
  bool FreedByLibrary() const;
  // Starts the cycles; false when JACK refuses.
  bool Activate();
  // threads: jack-process
  static int OnProcess(jack_nframes_t frames, void* self);
  // Tells a server gone from a client dropped; may wait a moment (no cycle of this
  // client comes any more).
  // threads: jack-process, jack-notification (whichever finds the server gone)
  static void OnShutdown(jack_status_t status, const char* reason, void* self);
  // Every client opened before this one's `serverLife_` is gone from now on. The first
  // to mark a death says it, and whether JACK dropped this client with the server running.
  // threads: any
  void MarkServerGone(const char* why, bool dropped = false) const;
  // threads: jack-notification
  static void OnConnect(jack_port_id_t a, jack_port_id_t b, int connect, void* self);
  static void OnPortRegistration(jack_port_id_t, int, void* self);
  static void OnPortRename(jack_port_id_t, const char*, const char*, void* self);
  // The other side's port names, read again if a notice came since the last read.
  std::vector<std::string> OtherSideNames();

  // Null once released. Replaced only under releasing_ held alone, read under it shared
  // (Use), or by jack-process and jack-notification, which closing the client ends.
  jack_client_t* client_;
  mutable std::shared_mutex releasing_;
  Direction direction_;
  std::atomic<Process> process_;  // null once parked
  std::atomic<bool> inCycle_{false};
  void* context_;
  std::string name_;
  const std::string serverName_;  // as the client opened
  std::atomic<jack_port_t*> port_{nullptr};
  // A port let go without the server (it was gone): if cycles come again after all,
  // an output's buffer is cleared, or a reader would take its last period again.
  std::atomic<jack_port_t*> portLeft_{nullptr};
  std::atomic<bool> shutDown_{false};
  // While cycles are overdue: when the server's process was last seen at work, and
  // last looked at (at most every kServerLookMicros).
  mutable std::atomic<jack_time_t> serverAtWork_{0};
  mutable std::atomic<jack_time_t> serverLooked_{0};
  const uint32_t serverLife_;             // the server's deaths this process had seen before opening
  const uint32_t libraryFreesBefore_;     // the library's frees of all its clients before this one opened
  std::atomic<int> connections_{0};       // counted from the server's notices
  std::atomic<uint64_t> portNotices_{0};  // ports registered, renamed or let go, as told
  std::mutex namesLock_;
  std::vector<std::string> otherSide_;     // under namesLock_
  uint64_t otherSideRead_ = ~uint64_t(0);  // portNotices_ when it was read; under namesLock_
  std::atomic<bool> cut_{false};           // they dropped to none since the port opened
  std::atomic<uint64_t> returns_{0};       // PortReturns
  bool active_ = false;                    // only the thread opening and closing touches it
  bool parked_ = false;                    // under the open-and-close lock
};
