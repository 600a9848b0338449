#pragma once

#include <atomic>
#include <condition_variable>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

// A small HTTP/1.1 server on 127.0.0.1 (a free port) for tests that need a real
// peer: canned answers per request path, request headers recorded. Runs on its
// own threads, one per connection, so several clients can be served at once and
// a stalled answer does not hold up the others. Every answer closes its connection.
class LoopbackHttpServer
{
  public:
    struct Response
    {
        int status = 200;
        std::string body;
        // Extra header lines such as {"Location", "/other"}.
        std::vector<std::pair<std::string, std::string>> headers;
        // Wait this long before answering.
        int delayMs = 0;
        // Accept and read the request, then stay silent until the server stops.
        bool neverAnswer = false;
        // Without Content-Length the body simply runs until the connection closes.
        bool sendContentLength = true;
        // When > 0: send the body in pieces of this size with pauseMs between them.
        size_t pieceBytes = 0;
        int pauseMs = 0;
    };

    struct Request
    {
        std::string method;
        std::string target;                         // as sent: a path, or an absolute address through a proxy
        std::map<std::string, std::string> headers; // names in lower case
    };

    LoopbackHttpServer();
    ~LoopbackHttpServer();
    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    bool isListening() const { return m_listenFd >= 0; }
    int port() const { return m_port; }
    // "http://127.0.0.1:<port>" + path.
    std::string url(const std::string& path) const;

    // Answer for requests whose target (path or absolute address) is exactly
    // target. Unknown targets get 404.
    void setResponse(const std::string& target, const Response& response);
    std::vector<Request> requests() const;
    // Connections accepted so far, including those that never sent a request.
    int connectionCount() const { return m_connectionCount; }

    // Closes the listening socket and releases stalled connections; called by the
    // destructor.
    void stop();

  private:
    void acceptLoop();
    void serve(int fd);
    bool waitOrStop(int ms);
    Response responseFor(const std::string& target) const;

    int m_listenFd = -1;
    int m_port = 0;
    std::atomic<bool> m_stopping{false};
    std::atomic<int> m_connectionCount{0};
    std::thread m_acceptThread;
    mutable std::mutex m_mutex;
    std::condition_variable m_stopSignal;
    std::map<std::string, Response> m_responses;
    std::vector<Request> m_requests;
    std::vector<std::thread> m_connections;
};
