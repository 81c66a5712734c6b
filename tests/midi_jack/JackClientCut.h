#pragma once
// Cuts a JACK client of this process off its server, as a server that drops a client
// does: the sockets the client opened are shut, so the JACK library's threads meet
// their end at once and the server lets the client go, running on for the others.
// threads: main (the test's)

#include <set>

class JackClientCut {
public:
  // The sockets open before the client is opened.
  JackClientCut();
  // Shuts every socket opened since: the client's, when only it opened meanwhile.
  // False when there was none.
  bool Cut() const;

private:
  std::set<int> before_;
};
