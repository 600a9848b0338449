#include "LoopbackHttpServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <sstream>

namespace {

const char* ReasonPhrase(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 301:
        return "Moved Permanently";
    case 302:
        return "Found";
    case 404:
        return "Not Found";
    case 500:
        return "Internal Server Error";
    default:
        return "Status";
    }
}

bool SendAll(int fd, const char* data, size_t size)
{
    while (size > 0) {
        const ssize_t sent = ::send(fd, data, size, MSG_NOSIGNAL);
        if (sent <= 0)
            return false;
        data += sent;
        size -= static_cast<size_t>(sent);
    }
    return true;
}

std::string Lowered(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string Trimmed(const std::string& text)
{
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return std::string();
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

LoopbackHttpServer::Request ParseRequest(const std::string& head)
{
    LoopbackHttpServer::Request request;
    std::istringstream lines(head);
    std::string line;
    std::getline(lines, line);
    std::istringstream first(line);
    first >> request.method >> request.target;
    while (std::getline(lines, line)) {
        const size_t colon = line.find(':');
        if (colon != std::string::npos)
            request.headers[Lowered(line.substr(0, colon))] = Trimmed(line.substr(colon + 1));
    }
    return request;
}

} // namespace

LoopbackHttpServer::LoopbackHttpServer()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof(address);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 || ::listen(fd, 16) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ::close(fd);
        return;
    }
    m_listenFd = fd;
    m_port = ntohs(address.sin_port);
    m_acceptThread = std::thread([this] { acceptLoop(); });
}

LoopbackHttpServer::~LoopbackHttpServer()
{
    stop();
}

std::string LoopbackHttpServer::url(const std::string& path) const
{
    return "http://127.0.0.1:" + std::to_string(m_port) + path;
}

void LoopbackHttpServer::setResponse(const std::string& target, const Response& response)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_responses[target] = response;
}

std::vector<LoopbackHttpServer::Request> LoopbackHttpServer::requests() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_requests;
}

void LoopbackHttpServer::stop()
{
    if (m_stopping.exchange(true))
        return;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopSignal.notify_all();
    }
    if (m_acceptThread.joinable())
        m_acceptThread.join();
    if (m_listenFd >= 0)
        ::close(m_listenFd);
    // No lock needed: the accept thread, the only one that adds, has ended.
    for (std::thread& connection : m_connections)
        connection.join();
    m_connections.clear();
}

void LoopbackHttpServer::acceptLoop()
{
    while (!m_stopping) {
        pollfd waiting{m_listenFd, POLLIN, 0};
        if (::poll(&waiting, 1, 50) <= 0)
            continue;
        const int fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0)
            continue;
        ++m_connectionCount;
        m_connections.emplace_back([this, fd] { serve(fd); });
    }
}

bool LoopbackHttpServer::waitOrStop(int ms)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    return !m_stopSignal.wait_for(lock, std::chrono::milliseconds(ms), [this] { return m_stopping.load(); });
}

LoopbackHttpServer::Response LoopbackHttpServer::responseFor(const std::string& target) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const auto found = m_responses.find(target);
    if (found != m_responses.end())
        return found->second;
    Response notFound;
    notFound.status = 404;
    notFound.body = "not found";
    return notFound;
}

void LoopbackHttpServer::serve(int fd)
{
    std::string head;
    char buffer[4096];
    while (head.find("\r\n\r\n") == std::string::npos && head.size() < 65536 && !m_stopping) {
        pollfd waiting{fd, POLLIN, 0};
        if (::poll(&waiting, 1, 50) <= 0)
            continue;
        const ssize_t got = ::recv(fd, buffer, sizeof(buffer), 0);
        if (got <= 0)
            break;
        head.append(buffer, static_cast<size_t>(got));
    }
    const Request request = ParseRequest(head);
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_requests.push_back(request);
    }
    const Response response = responseFor(request.target);

    if (response.neverAnswer) {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_stopSignal.wait(lock, [this] { return m_stopping.load(); });
    } else if (response.delayMs <= 0 || waitOrStop(response.delayMs)) {
        std::ostringstream out;
        out << "HTTP/1.1 " << response.status << ' ' << ReasonPhrase(response.status) << "\r\n";
        if (response.sendContentLength)
            out << "Content-Length: " << response.body.size() << "\r\n";
        for (const auto& [name, value] : response.headers)
            out << name << ": " << value << "\r\n";
        out << "Connection: close\r\n\r\n";
        const std::string header = out.str();
        if (SendAll(fd, header.data(), header.size())) {
            const size_t piece = response.pieceBytes > 0 ? response.pieceBytes : response.body.size();
            for (size_t sent = 0; sent < response.body.size(); sent += piece) {
                if (sent > 0 && response.pauseMs > 0 && !waitOrStop(response.pauseMs))
                    break;
                if (!SendAll(fd, response.body.data() + sent, std::min(piece, response.body.size() - sent)))
                    break;
            }
        }
    }
    ::shutdown(fd, SHUT_WR);
    ::close(fd);
}
