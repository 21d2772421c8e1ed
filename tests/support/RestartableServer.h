#pragma once

#include <string>

#include "support/FtpFixture.h"

// The fixture's server that a test has restarted on the same port with
// the same root (tests/fixtures/restartable_server.py), as an administrator
// restarts a server under its users. Requests are empty files in the server's
// control folder; its state file ("running N" / "stopped N", N counting the
// starts) tells when a request has been carried out.
class RestartableServer {
  public:
    bool Load();  // false when the fixture is not running
    // Arms a restart for the moment the count-th download from now has ended: the
    // server ends at once, before its next command, and is back a second later
    // (note Generation() before arming: WaitUntilRunning(it + 1) waits for the restart).
    bool RestartAfterDownloads(int count);
    // Waits (up to 30 s) until the server runs as its start number `generation`.
    bool WaitUntilRunning(int generation);
    // The server's start number (1 for the first), 0 when unknown.
    int Generation() const;

    FixtureServer server;

  private:
    bool Request(const std::string& name) const;
    std::wstring ControlFile(const char* name) const;
    bool Running() const;

    std::string control_;  // the control folder on the Linux side
};
