#pragma once

#include <QLocalServer>

#include <filesystem>
#include <functional>

namespace zelto::qt {

// A second start of the desktop client on the same settings file brings up the running client's
// Properties instead of a second copy. The running client listens on a local socket named for its settings
// file, in the user's private runtime folder and open to the user alone; the second start connects, asks,
// and waits for the answer.
class HandOverServer : public QObject {
public:
    // Listens for requests and runs showProperties for each, on the GUI thread, after answering it.
    HandOverServer(const std::filesystem::path& settings, std::function<void()> showProperties);

    bool IsListening() const { return m_server.isListening(); }

private:
    void OnConnection();

    QLocalServer m_server;
    std::function<void()> m_showProperties;
};

// Asks the desktop client running on settings to show its Properties; true once it has answered.
bool HandOverToRunningClient(const std::filesystem::path& settings);

} // namespace zelto::qt
