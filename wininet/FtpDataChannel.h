#pragma once

#include "wininet/FtpControl.h"

// What the server refused once and is not asked again on this connection.
struct FtpDataModes {
    bool epsvRefused = false;
    bool eprtRefused = false;
    bool activeRefused = false;  // PORT and EPRT both
    bool epsvGranted = false;    // once granted, EPSV carries the transfer command with it
};

// One data connection. Passive mode connects to the control connection's
// peer whatever address the server names, so a reply cannot point the
// transfer at another host; active mode listens on the control connection's
// local address and takes a connection only from the server's address.
class FtpDataChannel {
  public:
    explicit FtpDataChannel(bool upload = false) : upload_(upload) {}
    bool Upload() const { return upload_; }
    // Before the transfer command: passive starts connecting, active listens and
    // says where. The channel's sockets wait on the connection's `wake`. Given a
    // `command`, one that the server may refuse without harm, it goes out
    // behind an EPSV the server granted before: CommandSent() then tells.
    DWORD Prepare(FtpControl& control, bool passive, FtpDataModes& modes, FtpWakeEvent& wake,
                  const std::string* command = nullptr);
    bool CommandSent() const { return commandSent_; }
    // After the transfer command is sent: passive finishes connecting, so that
    // the command and the connect travel together.
    DWORD FinishPassive() { return passive_ ? socket_.FinishConnect() : 0; }
    // After the server's preliminary reply: active waits for the server.
    DWORD Establish(FtpControl& control);
    FtpSocket& Socket() { return socket_; }
    bool Passive() const { return passive_; }
    // For another try after a failed one: fresh sockets, the old abort forgotten.
    void Renew();

  private:
    DWORD RequestPassivePort(FtpControl& control, FtpDataModes& modes, const std::string* command,
                             unsigned& port);
    DWORD AskExtendedPassive(FtpControl& control, const FtpDataModes& modes,
                             const std::string* command, FtpReply& reply);
    DWORD OfferActivePort(FtpControl& control, FtpDataModes& modes);

    const bool upload_;
    FtpSocket socket_;
    FtpSocket listener_;
    bool passive_ = true;
    bool commandSent_ = false;
};
