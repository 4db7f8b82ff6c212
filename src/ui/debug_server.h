#pragma once
#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>

#include "debug/dap_session.h"

class QTcpServer;
class QTcpSocket;

// The desktop's debug adapter protocol server: listens on localhost only, takes one client at a
// time and hands its bytes to a debug session of the machine. The target runs and stops the
// machine as the debugger's Run/Stop does.
class TDebugServer : public QObject {
    Q_OBJECT
public:
    static constexpr uint16_t DefaultPort = 6502;

    TDebugServer(TDapTarget& target, QObject* parent = nullptr);
    ~TDebugServer() override;

    // False with the reason when the port cannot be taken.
    bool Listen(uint16_t port, QString& error);
    bool Listening() const;
    uint16_t Port() const { return ListenPort; }
    bool ClientConnected() const { return Client != nullptr; }
    // The processor reached a breakpoint while the frame loop ran.
    void BreakpointReached();

private:
    void Accept();
    void Read();
    void Drop();

    TDapTarget& Target;
    QTcpServer* Server = nullptr;
    QTcpSocket* Client = nullptr;
    std::unique_ptr<TDapSession> Session;
    uint16_t ListenPort = 0;
    bool Handling = false;  // a request is being carried out (its steps report their own stops)
};
