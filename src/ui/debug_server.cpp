#include "ui/debug_server.h"

#include <QTcpServer>
#include <QTcpSocket>

TDebugServer::TDebugServer(TDapTarget& target, QObject* parent)
    : QObject(parent), Target(target), Server(new QTcpServer(this)) {
    connect(Server, &QTcpServer::newConnection, this, &TDebugServer::Accept);
}

TDebugServer::~TDebugServer() { Drop(); }

bool TDebugServer::Listen(uint16_t port, QString& error) {
    // Only this computer's programs can reach the machine's memory through it.
    if (!Server->listen(QHostAddress::LocalHost, port)) {
        error = Server->errorString();
        return false;
    }
    ListenPort = Server->serverPort();
    return true;
}

bool TDebugServer::Listening() const { return Server->isListening(); }

void TDebugServer::BreakpointReached() {
    if (Session && !Handling) Session->BreakpointReached();
}

void TDebugServer::Accept() {
    while (QTcpSocket* incoming = Server->nextPendingConnection()) {
        if (Client) {  // one client at a time
            incoming->close();
            incoming->deleteLater();
            continue;
        }
        Client = incoming;
        Session = std::make_unique<TDapSession>(Target, [this](const std::string& bytes) {
            if (Client) Client->write(bytes.data(), qint64(bytes.size()));
        });
        connect(Client, &QTcpSocket::readyRead, this, &TDebugServer::Read);
        connect(Client, &QTcpSocket::disconnected, this, &TDebugServer::Drop);
    }
}

void TDebugServer::Read() {
    if (!Client || !Session) return;
    const QByteArray bytes = Client->readAll();
    Handling = true;
    Session->Receive(std::string_view(bytes.constData(), size_t(bytes.size())));
    Handling = false;
    if (Session->Ended()) {
        Client->flush();
        Client->disconnectFromHost();
    }
}

void TDebugServer::Drop() {
    Session.reset();  // takes its breakpoints out of the processor
    if (!Client) return;
    QTcpSocket* client = Client;
    Client = nullptr;
    client->disconnect(this);
    client->deleteLater();
}
