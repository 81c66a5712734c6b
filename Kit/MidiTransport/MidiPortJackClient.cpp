#include "MidiTransport/MidiPortJackClient.h"

#include <jack/midiport.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "MidiTransport/MidiPortJackServerProcess.h"
#include "MidiTransport/MidiPortTransport.h"

#if defined(__SANITIZE_THREAD__)
#define TAVRO_THREAD_CHECKER 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define TAVRO_THREAD_CHECKER 1
#endif
#endif

#ifdef TAVRO_THREAD_CHECKER
extern "C" void __tsan_acquire(void* address);
extern "C" void __tsan_release(void* address);
extern "C" void AnnotateIgnoreReadsBegin(const char* file, int line);
extern "C" void AnnotateIgnoreReadsEnd(const char* file, int line);
#endif

namespace {
// JACK runs the cycles of connected clients one after the other, ordered through
// its server; a reader's cycle sees the port buffer its writer's cycle filled.
// The thread checker cannot see that ordering (it passes through the server), so
// it is stated to it here.
#ifdef TAVRO_THREAD_CHECKER
char cycleOrder;
void CycleStarts() { __tsan_acquire(&cycleOrder); }
void CycleEnds() { __tsan_release(&cycleOrder); }
#else
void CycleStarts() {}
void CycleEnds() {}
#endif
}  // namespace

#ifdef TAVRO_THREAD_CHECKER
MidiPortJackBufferReads::MidiPortJackBufferReads() { AnnotateIgnoreReadsBegin(__FILE__, __LINE__); }
MidiPortJackBufferReads::~MidiPortJackBufferReads() { AnnotateIgnoreReadsEnd(__FILE__, __LINE__); }
#else
MidiPortJackBufferReads::MidiPortJackBufferReads() = default;
MidiPortJackBufferReads::~MidiPortJackBufferReads() = default;
#endif
#undef TAVRO_THREAD_CHECKER

namespace {
// The MIDI ports our port can connect to, in JACK's order.
std::vector<std::string> OtherSidePorts(jack_client_t* client, MidiPortJackClient::Direction direction) {
  const unsigned long flags = direction == MidiPortJackClient::Direction::kInput ? JackPortIsOutput : JackPortIsInput;
  std::vector<std::string> names;
  const char** ports = jack_get_ports(client, nullptr, JACK_DEFAULT_MIDI_TYPE, flags);
  for (const char** p = ports; p && *p; ++p) names.emplace_back(*p);
  if (ports) jack_free(ports);
  return names;
}
}  // namespace

namespace {
// The JACK library prints its own errors; they go out as ours. While a client is
// being opened they are dropped: a server that is simply not there makes a dozen of
// them, and the caller says once what is missing.
// When a server goes, each client's thread prints how its socket failed, before or
// after the notice that the server went. We say once that it went (for every client
// of the process), and drop those lines and whatever follows until a client opens again.
thread_local bool tOpeningClient = false;
std::atomic<bool> gServerGoneSaid{false};

// A client opened (ours, or any other in the process) after the library saw its
// server go makes the library close and free every client it holds; it says so
// first. A client opened before then must never be used or closed again: closing it
// would free it twice, or close a client opened since at the same address.
std::atomic<uint32_t> gLibraryFrees{0};
bool LibraryFreesItsClients(const char* text) { return std::strstr(text, "clients are still allocated") != nullptr; }

bool SocketFailure(const char* text) {
  for (const char* line : {"Cannot read socket", "Cannot write socket", "CheckRes error", "JackSocketClientChannel"})
    if (std::strstr(text, line)) return true;
  return false;
}

// The first line the library printed while this thread opened a client.
thread_local std::string tOpenError;

void JackLibraryError(const char* text) {
  if (LibraryFreesItsClients(text)) gLibraryFrees.fetch_add(1);
  if (tOpeningClient && tOpenError.empty()) tOpenError = text;
  if (tOpeningClient || gServerGoneSaid.load() || SocketFailure(text)) return;
  std::fprintf(stderr, "MIDI: JACK: %s\n", text);
}

void JackLibraryInfo(const char*) {}

// The last open failed for another reason than no server at that name, and said why.
std::atomic<bool> gOpenRefused{false};

// JACK's status bits by name, as jack/types.h has them.
std::string StatusNames(jack_status_t status) {
  static constexpr std::pair<unsigned, const char*> kBits[] = {{JackFailure, "failure"},
                                                               {JackInvalidOption, "invalid option"},
                                                               {JackNameNotUnique, "name not unique"},
                                                               {JackServerStarted, "started"},
                                                               {JackServerFailed, "server failed"},
                                                               {JackServerError, "server error"},
                                                               {JackNoSuchClient, "no such client"},
                                                               {JackLoadFailure, "load failure"},
                                                               {JackInitFailure, "init failure"},
                                                               {JackShmFailure, "shared memory failure"},
                                                               {JackVersionError, "version error"},
                                                               {JackBackendError, "backend error"},
                                                               {JackClientZombie, "client zombie"}};
  std::string names;
  for (const auto& [bit, name] : kBits)
    if (status & bit) names += (names.empty() ? "" : ", ") + std::string(name);
  return names;
}

// A server simply not there fails the socket's connection for want of its file:
// the caller says once that there is none. Any other failure is said here, with
// JACK's status and the library's first line.
void SayRefusedOpen(const std::string& clientName, jack_status_t status) {
  const bool noServer = (status & JackServerFailed) && tOpenError.find("No such file") != std::string::npos;
  gOpenRefused.store(!noServer);
  if (noServer) return;
  std::fprintf(stderr, "MIDI: JACK refused the client '%s' (status 0x%x: %s)%s%s\n", clientName.c_str(),
               unsigned(status), StatusNames(status).c_str(), tOpenError.empty() ? "" : ": ", tOpenError.c_str());
}

jack_client_t* OpenQuietly(const std::string& clientName) {
  static std::once_flag routed;
  std::call_once(routed, [] {
    jack_set_error_function(&JackLibraryError);
    jack_set_info_function(&JackLibraryInfo);
  });
  tOpeningClient = true;
  tOpenError.clear();
  jack_status_t status = jack_status_t(0);
  jack_client_t* client = jack_client_open(clientName.c_str(), JackNoStartServer, &status);
  tOpeningClient = false;
  if (client) {
    gServerGoneSaid.store(false);
    gOpenRefused.store(false);
  } else {
    SayRefusedOpen(clientName, status);
  }
  return client;
}

// Opening and closing JACK clients, one at a time in the process, and the clients
// JACK has not closed yet.
std::mutex& OpenCloseLock() {
  static std::mutex lock;
  return lock;
}
std::vector<MidiPortJackClient*>& UnclosedClients() {
  static std::vector<MidiPortJackClient*> clients;
  return clients;
}

// The last open was refused: a stopped server lingers (said once until an open goes).
std::atomic<bool> gLingering{false};

// How often a client of this process heard its server go: a client opened after n of
// them is gone once the count passes n.
std::atomic<uint32_t> gServerDeaths{0};

// JACK says the same whether its server went or it dropped one client alone: a server
// that still takes clients runs on. One stopping has stopped listening before it lets
// its clients go; one killed stops listening about when their connections close, now
// and then just after: it is asked again a moment later (no cycle of the client comes
// any more; it may wait).
bool ServerRunsOn(const std::string& serverName) {
  if (!JackServerListening(serverName)) return false;
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  return JackServerListening(serverName);
}

// Why JACK dropped a client: its status bits and reason.
std::string DroppedReason(jack_status_t status, const char* reason) {
  char why[256];
  std::snprintf(why, sizeof why, "status 0x%x: %s%s%s", unsigned(status), StatusNames(status).c_str(),
                reason && *reason ? ": " : "", reason ? reason : "");
  return why;
}

// The client of ours JACK dropped while its server ran on, at the last death; empty
// when the server itself went.
std::mutex& DeathLock() {
  static std::mutex lock;
  return lock;
}
std::string& DroppedClient() {
  static std::string name;  // under DeathLock
  return name;
}
}  // namespace

MidiPortJackClient::Owned MidiPortJackClient::Open(const std::string& clientName, Direction direction, Process process,
                                                   void* context) {
  std::unique_lock<std::mutex> hold(OpenCloseLock());
  if (!ReleaseGoneClients()) {
    // Its socket answers nothing until it has gone: opening would wait as long.
    // Said once while it lingers: the page looks for its ports every second.
    if (!gLingering.exchange(true)) {
      std::fprintf(stderr, "MIDI: the JACK server has stopped but not yet gone; try again in a moment\n");
    }
    return nullptr;
  }
  gLingering.store(false);
  // Read before opening: a server that dies meanwhile tells this client too.
  const uint32_t life = gServerDeaths.load();
  jack_client_t* client = nullptr;
  {
    // The library may free the others as this one opens (gLibraryFrees): none is in
    // use meanwhile.
    std::vector<std::unique_lock<std::shared_mutex>> unused;
    for (MidiPortJackClient* other : UnclosedClients()) unused.emplace_back(other->releasing_);
    client = OpenQuietly(clientName);
  }
  if (!client) return nullptr;
  Owned opened(new MidiPortJackClient(client, life, direction, process, context));
  UnclosedClients().push_back(opened.get());
  opened->name_ = clientName;
  jack_on_info_shutdown(client, &MidiPortJackClient::OnShutdown, opened.get());
  if (jack_set_process_callback(client, &MidiPortJackClient::OnProcess, opened.get()) != 0 ||
      jack_set_port_connect_callback(client, &MidiPortJackClient::OnConnect, opened.get()) != 0 ||
      jack_set_port_registration_callback(client, &MidiPortJackClient::OnPortRegistration, opened.get()) != 0 ||
      jack_set_port_rename_callback(client, &MidiPortJackClient::OnPortRename, opened.get()) != 0 ||
      !opened->Activate()) {
    std::fprintf(stderr, "MIDI: cannot activate JACK client '%s'\n", clientName.c_str());
    hold.unlock();  // closing it takes the lock again
    return nullptr;
  }
  opened->active_ = true;
  return opened;
}

bool MidiPortJackClient::ReleaseGoneClients() {
  bool lingering = false;
  auto& clients = UnclosedClients();
  for (MidiPortJackClient* other : clients) {
    if (!other->ServerGone()) continue;
    if (other->Lingering()) {
      lingering = true;
    } else {
      other->Release();
    }
  }
  // Parked ones are nobody's: gone once released.
  const auto released = std::remove_if(clients.begin(), clients.end(), [](MidiPortJackClient* other) {
    if (!other->parked_ || other->client_) return false;
    delete other;
    return true;
  });
  clients.erase(released, clients.end());
  return !lingering;
}

MidiPortJackClient::MidiPortJackClient(jack_client_t* client, uint32_t serverLife, Direction direction, Process process,
                                       void* context)
    : client_(client),
      direction_(direction),
      process_(process),
      context_(context),
      serverName_(DefaultJackServerName()),
      serverLife_(serverLife),
      libraryFreesBefore_(gLibraryFrees.load()) {}

void MidiPortJackClient::Closing::operator()(MidiPortJackClient* client) const {
  std::lock_guard<std::mutex> hold(OpenCloseLock());
  if (client->Lingering()) {
    client->Park();
    return;
  }
  auto& clients = UnclosedClients();
  clients.erase(std::remove(clients.begin(), clients.end(), client), clients.end());
  client->CloseNow();
  delete client;
}

void MidiPortJackClient::CloseNow() {
  if (!client_ || FreedByLibrary()) return;  // released once its server had gone, or freed
  // A client whose server has gone is only released: there is no one to ask.
  if (!ServerGone()) jack_deactivate(client_);
  active_ = false;
  ClosePort();
  jack_client_close(client_);
}

bool MidiPortJackClient::Lingering() const {
  // An overdue cycle may only be late, or be the first of none: closing under a
  // server that has just stopped would wait as long as it lingers.
  AwaitLateCycle();
  return client_ && !ServerDead() && CyclesNow(client_) == Cycles::kStopped;
}

void MidiPortJackClient::AwaitLateCycle() const {
  // A server kept busy but always behind would hold the caller (often the page) for
  // ever: past the time that tells a stopped server, the call goes ahead.
  const jack_time_t until = jack_get_time() + kStoppedServerMicros;
  while (jack_get_time() < until) {
    {
      std::shared_lock<std::shared_mutex> hold(releasing_);
      if (!client_ || ServerDead() || CyclesNow(client_) != Cycles::kOverdue) return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}

void MidiPortJackClient::Park() {
  // Nothing of the owner is touched once this returns: a cycle under way (the server
  // running again) ends first, and later ones find no process.
  process_.store(nullptr);
  while (inCycle_.load()) std::this_thread::sleep_for(std::chrono::microseconds(100));
  parked_ = true;
}

void MidiPortJackClient::Release() {
  std::unique_lock<std::shared_mutex> hold(releasing_);
  if (!client_) return;
  if (!FreedByLibrary()) jack_client_close(client_);  // its process and notification threads end here
  client_ = nullptr;
  port_.store(nullptr);
}

MidiPortJackClient::Use::Use(const MidiPortJackClient& client) : hold_(client.releasing_), client_(client.client_) {
  if (client_ && (client.GoneAsMarked() || client.CyclesNow(client_) == Cycles::kStopped)) client_ = nullptr;
}

bool MidiPortJackClient::ServerGone() const {
  if (GoneAsMarked()) return true;
  std::shared_lock<std::shared_mutex> hold(releasing_);
  return client_ && CyclesNow(client_) == Cycles::kStopped;
}

bool MidiPortJackClient::ServerLingering() { return gLingering.load(); }

bool MidiPortJackClient::OpenRefused() { return gOpenRefused.load(); }

bool MidiPortJackClient::GoneAsMarked() const { return gServerDeaths.load() > serverLife_ || ServerDead(); }

MidiPortJackClient::Cycles MidiPortJackClient::CyclesNow(jack_client_t* client) const {
  jack_nframes_t frames;
  jack_time_t now, next;
  float period;
  if (jack_get_cycle_times(client, &frames, &now, &next, &period) != 0 || next == 0) return Cycles::kRunning;
  now = jack_get_time();
  if (now < next) return Cycles::kRunning;
  // Overdue: the server's threads tell a late server from one that does nothing.
  constexpr jack_time_t kServerLookMicros = 20 * 1000;
  jack_time_t looked = serverLooked_.load();
  if (now >= looked + kServerLookMicros && serverLooked_.compare_exchange_strong(looked, now) &&
      JackServerProcessAtWork(serverName_)) {
    serverAtWork_.store(now);
  }
  if (now < std::max(next, serverAtWork_.load()) + kStoppedServerMicros) return Cycles::kOverdue;
  MarkServerGone("it has run no cycle for 3 s and does nothing");
  return Cycles::kStopped;
}

bool MidiPortJackClient::FreedByLibrary() const { return gLibraryFrees.load() > libraryFreesBefore_; }

jack_nframes_t MidiPortJackClient::FrameTime() const {
  const Use use(*this);
  return use.Client() ? jack_frame_time(use.Client()) : 0;
}

bool MidiPortJackClient::Activate() {
  // An inactive client hears of no port: what was read before may be out of date.
  ListPortsAnew();
  return jack_activate(client_) == 0;
}

std::vector<std::string> MidiPortJackClient::OtherSideNames() {
  AwaitLateCycle();
  const Use use(*this);
  if (!use.Client()) return {};
  std::lock_guard<std::mutex> hold(namesLock_);
  // Read before the ports: a notice during the read makes the next call read again.
  const uint64_t notices = portNotices_.load();
  if (notices != otherSideRead_) {
    otherSide_ = OtherSidePorts(use.Client(), direction_);
    otherSideRead_ = notices;
  }
  return otherSide_;
}

unsigned MidiPortJackClient::PortCount() { return static_cast<unsigned>(OtherSideNames().size()); }

bool MidiPortJackClient::PortName(unsigned port, std::string& name) {
  const std::vector<std::string> names = OtherSideNames();
  name = port < names.size() ? names[port] : std::string();
  return port < names.size();
}

bool MidiPortJackClient::OpenVirtualPort(const std::string& portName) {
  ClosePort();
  AwaitLateCycle();
  const Use use(*this);
  if (!use.Client()) return false;
  const unsigned long flags = direction_ == Direction::kInput ? JackPortIsInput : JackPortIsOutput;
  jack_port_t* port = jack_port_register(use.Client(), portName.c_str(), JACK_DEFAULT_MIDI_TYPE, flags, 0);
  if (!port) {
    std::fprintf(stderr, "MIDI: cannot register JACK port '%s'\n", portName.c_str());
    return false;
  }
  connections_.store(0);
  cut_.store(false);
  port_.store(port);
  return true;
}

bool MidiPortJackClient::OpenPort(unsigned port, const std::string& portName) {
  std::string other;
  if (!PortName(port, other) || !OpenVirtualPort(portName)) return false;
  bool connected = false;
  AwaitLateCycle();
  {
    const Use use(*this);
    jack_port_t* ours = port_.load();  // none once released
    if (use.Client() && ours) {
      const char* name = jack_port_name(ours);
      connected = (direction_ == Direction::kInput ? jack_connect(use.Client(), other.c_str(), name)
                                                   : jack_connect(use.Client(), name, other.c_str())) == 0;
    }
  }
  if (!connected) {
    std::fprintf(stderr, "MIDI: cannot connect JACK port '%s'\n", other.c_str());
    ClosePort();
  }
  return connected;
}

bool MidiPortJackClient::PortConnectedNow() {
  const Use use(*this);
  jack_port_t* port = port_.load();
  const bool connected = port && use.Client() && jack_port_connected(port) > 0;
  if (connected && cut_.exchange(false)) returns_.fetch_add(1);
  return connected;
}

void MidiPortJackClient::ClosePort() {
  if (!port_.load()) return;
  AwaitLateCycle();
  const Use use(*this);
  if (!use.Client()) {
    portLeft_.store(port_.exchange(nullptr));  // released with the client
    return;
  }
  // Unregistering a port while cycles run crashes the JACK library now and then
  // (on jack-process): stop the cycles around it. They stop before the
  // port is let go: a cycle without it would leave the port's buffer as the last
  // one filled, and a connected reader would take that period's messages again.
  if (active_) jack_deactivate(use.Client());
  jack_port_unregister(use.Client(), port_.exchange(nullptr));
  if (active_) Activate();
}

int MidiPortJackClient::OnProcess(jack_nframes_t frames, void* self) {
  auto* client = static_cast<MidiPortJackClient*>(self);
  CycleStarts();
  // Marked before the owner's process is read: parking waits for the mark to clear.
  client->inCycle_.store(true);
  jack_port_t* port = client->port_.load();
  if (const Process process = client->process_.load()) {
    process(port ? jack_port_get_buffer(port, frames) : nullptr, frames, jack_last_frame_time(client->client_),
            client->context_);
  }
  jack_port_t* left = client->portLeft_.load();
  if (!port && left && client->direction_ == Direction::kOutput)
    jack_midi_clear_buffer(jack_port_get_buffer(left, frames));
  client->inCycle_.store(false);
  CycleEnds();
  return 0;
}

void MidiPortJackClient::OnShutdown(jack_status_t status, const char* reason, void* self) {
  auto* client = static_cast<MidiPortJackClient*>(self);
  // The death first, then this client's own flag: whoever sees this client gone sees
  // every client of that server gone too.
  if (ServerRunsOn(client->serverName_)) {
    client->MarkServerGone(DroppedReason(status, reason).c_str(), true);
  } else {
    client->MarkServerGone(nullptr);
  }
  client->shutDown_.store(true);
}

void MidiPortJackClient::MarkServerGone(const char* why, bool dropped) const {
  // What is said is set before the death is counted: whoever sees the death reads it.
  const bool first = !gServerGoneSaid.exchange(true);
  if (first) {
    std::lock_guard<std::mutex> hold(DeathLock());
    DroppedClient() = dropped ? name_ : std::string();
  }
  uint32_t deaths = gServerDeaths.load();
  while (deaths <= serverLife_ && !gServerDeaths.compare_exchange_weak(deaths, serverLife_ + 1)) {
  }
  if (first)
    std::fprintf(stderr, "%s%s%s; the ports are closed\n", GoneText().c_str(), why ? ": " : "", why ? why : "");
}

std::string MidiPortJackClient::GoneText() {
  std::lock_guard<std::mutex> hold(DeathLock());
  return DroppedClient().empty() ? kMidiSystemGoneText
                                 : std::string(kMidiClientDroppedText) + " '" + DroppedClient() + "'";
}

void MidiPortJackClient::OnPortRegistration(jack_port_id_t, int, void* self) {
  static_cast<MidiPortJackClient*>(self)->ListPortsAnew();
}

void MidiPortJackClient::OnPortRename(jack_port_id_t, const char*, const char*, void* self) {
  static_cast<MidiPortJackClient*>(self)->ListPortsAnew();
}

void MidiPortJackClient::OnConnect(jack_port_id_t a, jack_port_id_t b, int connect, void* self) {
  auto* client = static_cast<MidiPortJackClient*>(self);
  jack_port_t* port = client->port_.load();
  if (!port) return;
  if (jack_port_by_id(client->client_, a) != port && jack_port_by_id(client->client_, b) != port) return;
  // A late notice about an earlier port under the same id may miscount: a count
  // of none is checked with the server before a send is refused, and a late
  // disconnection that lands on none cuts nothing.
  if (connect) {
    if (client->connections_.fetch_add(1) == 0 && client->cut_.exchange(false)) client->returns_.fetch_add(1);
  } else if (const int before = client->connections_.fetch_sub(1); before <= 0) {
    client->connections_.store(0);
  } else if (before == 1) {
    client->cut_.store(true);
  }
}
