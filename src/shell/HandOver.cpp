#include "shell/HandOver.h"

#include "desktop/HandOverName.h"
#include "desktop/HandOverRetry.h"

#include <QDir>
#include <QLocalSocket>
#include <QTimer>

#include <unistd.h>

namespace zelto::qt {

namespace {

constexpr char kRequest[] = "properties\n";
constexpr char kAnswer[] = "ok\n";

// The socket's full path: in the runtime folder, which only the user can enter, or else in the temporary
// folder under a name that also carries the user's id.
QString SocketPath(const std::filesystem::path& settings) {
    const QString name = QString::fromStdString(HandOverName(settings));
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir(runtime).exists())
        return runtime + QLatin1Char('/') + name;
    return QDir::tempPath() + QStringLiteral("/%1-%2").arg(name).arg(getuid());
}

} // namespace

HandOverServer::HandOverServer(const std::filesystem::path& settings, std::function<void()> showProperties)
    : m_showProperties(std::move(showProperties)) {
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    const QString path = SocketPath(settings);
    // The caller holds the settings file's instance lock: a socket left there is a crashed client's.
    if (!m_server.listen(path) && m_server.serverError() == QAbstractSocket::AddressInUseError) {
        QLocalServer::removeServer(path);
        m_server.listen(path);
    }
    connect(&m_server, &QLocalServer::newConnection, this, &HandOverServer::OnConnection);
}

void HandOverServer::OnConnection() {
    while (QLocalSocket* socket = m_server.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->canReadLine())
                return;
            if (socket->readLine() != kRequest) {
                socket->disconnectFromServer();
                return;
            }
            socket->write(kAnswer);
            socket->disconnectFromServer();
            // Later: Properties runs its own event loop, which must not hold up this handler.
            QTimer::singleShot(0, this, [this] { m_showProperties(); });
        });
    }
}

bool HandOverToRunningClient(const std::filesystem::path& settings) {
    const QString path = SocketPath(settings);
    const int patience = static_cast<int>(kHandOverPatience.count());
    QLocalSocket socket;
    const bool reached = ReachRunningClient([&] {
        socket.connectToServer(path);
        return socket.waitForConnected(static_cast<int>(kHandOverInterval.count()));
    });
    if (!reached)
        return false;
    socket.write(kRequest);
    if (!socket.waitForBytesWritten(patience))
        return false;
    while (!socket.canReadLine())
        if (!socket.waitForReadyRead(patience))
            return false;
    return socket.readLine() == kAnswer;
}

} // namespace zelto::qt
