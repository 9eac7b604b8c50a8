// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/statusserver.h"

#include "app/statusrender.h"
#include "common/textpair.h"

#include <mutex>
#include <string>
#include <utility>

namespace
{

constexpr TextPair CannotListen{"Страница состояния не может принимать запросы на %1: %2.",
                                "The status page cannot listen on %1: %2."};
constexpr TextPair AddressUnusable{"адрес недоступен", "the address cannot be used"};
constexpr TextPair NoServer{"Программа собрана без страницы состояния (не было библиотеки HTTP "
                            "cpp-httplib); --status-port не действует.",
                            "This console was built without the status page (the HTTP library "
                            "cpp-httplib was missing); --status-port is ignored."};

} // namespace

/// The snapshot the server answers from. A published snapshot never changes: a request takes a
/// reference under the mutex and reads it after.
struct StatusServer::Board {
    void publish(std::shared_ptr<const StatusSnapshot> snapshot)
    {
        {
            std::lock_guard lock(mutex);
            current.swap(snapshot);
        }
        // The one replaced goes here, outside the lock (or with the last request reading it).
    }
    std::shared_ptr<const StatusSnapshot> snapshot() const
    {
        std::lock_guard lock(mutex);
        return current;
    }

    mutable std::mutex mutex;
    std::shared_ptr<const StatusSnapshot> current;
};

#ifdef ZKV_STATUS_PAGE

#include <httplib.h>

#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <optional>
#include <set>
#include <thread>
#include <vector>

namespace
{

using Clock = std::chrono::steady_clock;

/// The server's workers: `threads` threads; a connection beyond `limit` (served and waiting) is
/// handed back to the accepting thread, where the server closes it at once.
class ConnectionPool final : public httplib::TaskQueue
{
public:
    ConnectionPool(int threads, int limit)
        : m_limit(size_t(limit))
    {
        for (int i = 0; i < threads; ++i)
            m_threads.emplace_back([this] { work(); });
    }
    ~ConnectionPool() override { shutdown(); }

    void enqueue(std::function<void()> job) override
    {
        {
            std::lock_guard lock(m_mutex);
            if (!m_shutdown && m_waiting.size() + m_busy < m_limit) {
                m_waiting.push_back(std::move(job));
                m_wake.notify_one();
                return;
            }
        }
        // Run where it was accepted: the server sees it is not on a worker and refuses it.
        job();
    }

    void shutdown() override
    {
        {
            std::lock_guard lock(m_mutex);
            m_shutdown = true;
        }
        m_wake.notify_all();
        for (std::thread &t : m_threads)
            if (t.joinable())
                t.join();
    }

private:
    void work()
    {
        for (;;) {
            std::function<void()> job;
            {
                std::unique_lock lock(m_mutex);
                m_wake.wait(lock, [this] { return m_shutdown || !m_waiting.empty(); });
                // The jobs still waiting at shutdown are run too: each closes its connection.
                if (m_waiting.empty())
                    return;
                job = std::move(m_waiting.front());
                m_waiting.pop_front();
                ++m_busy;
            }
            job();
            std::lock_guard lock(m_mutex);
            --m_busy;
        }
    }

    const size_t m_limit;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::function<void()>> m_waiting;
    size_t m_busy = 0;
    bool m_shutdown = false;
    std::vector<std::thread> m_threads;
};

/// A connection's bytes for the HTTP library, within the server's limits: a read or write waits
/// at most `idle` for the peer and never past `deadline`, and at most `budget` bytes are read in
/// all; after those the request reads as ended, so the library answers it (414 or 400) instead
/// of reading on. A stopping server shuts the socket down, which ends every wait at once.
class GuardedStream final : public httplib::Stream
{
public:
    GuardedStream(int fd, Clock::time_point deadline, std::chrono::milliseconds idle, size_t budget)
        : m_fd(fd)
        , m_deadline(deadline)
        , m_idle(idle)
        , m_budget(budget)
    {
    }

    bool is_readable() const override { return m_next < m_end || wait(POLLIN); }
    bool is_writable() const override { return wait(POLLOUT); }

    ssize_t read(char *ptr, size_t size) override
    {
        if (m_next == m_end) {
            if (m_budget == 0)
                return 0;
            if (!wait(POLLIN))
                return -1;
            ssize_t n;
            do
                n = ::recv(m_fd, m_buffer, std::min(sizeof m_buffer, m_budget), 0);
            while (n < 0 && errno == EINTR);
            if (n <= 0)
                return n;
            m_budget -= size_t(n);
            m_next = 0;
            m_end = size_t(n);
        }
        const size_t n = std::min(size, m_end - m_next);
        std::memcpy(ptr, m_buffer + m_next, n);
        m_next += n;
        return ssize_t(n);
    }

    ssize_t write(const char *ptr, size_t size) override
    {
        if (!wait(POLLOUT))
            return -1;
        ssize_t n;
        do
            n = ::send(m_fd, ptr, size, MSG_NOSIGNAL);
        while (n < 0 && errno == EINTR);
        return n;
    }

    void get_remote_ip_and_port(std::string &ip, int &port) const override
    {
        address(::getpeername, ip, port);
    }
    void get_local_ip_and_port(std::string &ip, int &port) const override
    {
        address(::getsockname, ip, port);
    }
    int socket() const override { return m_fd; }

private:
    bool wait(short events) const
    {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(m_deadline - Clock::now());
        const auto timeout = std::min(left, m_idle);
        if (timeout.count() <= 0)
            return false;
        pollfd p{m_fd, events, 0};
        int r;
        do
            r = ::poll(&p, 1, int(timeout.count()));
        while (r < 0 && errno == EINTR);
        return r > 0 && !(p.revents & POLLNVAL);
    }

    void address(int (*query)(int, sockaddr *, socklen_t *), std::string &ip, int &port) const
    {
        sockaddr_storage a{};
        socklen_t length = sizeof a;
        char host[NI_MAXHOST] = {};
        char service[NI_MAXSERV] = {};
        if (query(m_fd, reinterpret_cast<sockaddr *>(&a), &length) == 0 &&
            ::getnameinfo(reinterpret_cast<sockaddr *>(&a), length, host, sizeof host, service,
                          sizeof service, NI_NUMERICHOST | NI_NUMERICSERV) == 0) {
            ip = host;
            port = std::atoi(service);
        }
    }

    const int m_fd;
    const Clock::time_point m_deadline;
    const std::chrono::milliseconds m_idle;
    size_t m_budget;
    char m_buffer[4096];
    size_t m_next = 0;
    size_t m_end = 0;
};

/// Equal texts, in a time that depends only on the length of `expected`.
bool sameSecret(const std::string &given, const std::string &expected)
{
    unsigned char difference = given.size() == expected.size() ? 0 : 1;
    for (size_t i = 0; i < expected.size(); ++i)
        difference |= static_cast<unsigned char>((i < given.size() ? given[i] : 0) ^ expected[i]);
    return difference == 0;
}

/// The token of an "Authorization: Bearer TOKEN" header (the scheme in any case); none when the
/// header says something else.
std::optional<std::string> bearerToken(const std::string &authorization)
{
    static constexpr char Scheme[] = "bearer ";
    constexpr size_t length = sizeof Scheme - 1;
    if (authorization.size() < length ||
        !std::equal(Scheme, Scheme + length, authorization.begin(), [](char a, char b) {
            return a == std::tolower(static_cast<unsigned char>(b));
        }))
        return std::nullopt;
    const size_t start = authorization.find_first_not_of(' ', length);
    return start == std::string::npos ? std::string() : authorization.substr(start);
}

void plainText(httplib::Response &res, int status, const char *text)
{
    res.status = status;
    res.set_content(text, "text/plain; charset=utf-8");
}

} // namespace

/// The HTTP library's server with the page's requests and limits: a connection carries one
/// request, answered from the board's snapshot before anything of a body is read.
class StatusServer::Http final : public httplib::Server
{
public:
    Http(std::shared_ptr<const Board> board, std::string token)
        : m_board(std::move(board))
        , m_token(std::move(token))
    {
        new_task_queue = [] { return new ConnectionPool(Workers, MaxConnections); };
        // The address's own reuse after a restart only: the library's default also shares the
        // port with any other server of the same user, which would then take turns with this one.
        set_socket_options([](socket_t sock) {
            const int yes = 1;
            ::setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        });
        set_payload_max_length(MaxRequestBytes);
        set_default_headers({
            {"Content-Security-Policy",
             "default-src 'none'; style-src 'unsafe-inline'; frame-ancestors 'none'"},
            {"X-Content-Type-Options", "nosniff"},
            {"Cache-Control", "no-store"},
            {"Referrer-Policy", "no-referrer"},
        });
        // Every request is answered here, before the library would read a body or look for a
        // route of its own.
        set_pre_routing_handler([this](const httplib::Request &req, httplib::Response &res) {
            answer(req, res);
            return HandlerResponse::Handled;
        });
        // A client asking whether to send its body hears the answer instead.
        set_expect_100_continue_handler(
            [this](const httplib::Request &req, httplib::Response &res) {
                answer(req, res);
                return res.status;
            });
    }

    /// Binds `address`:`port` (0: any free port); the port bound, or 0 with the system's
    /// reason in `reason` (empty when it gave none).
    int bind(const std::string &address, int port, QString &reason)
    {
        errno = 0;
        const int bound =
            port == 0 ? bind_to_any_port(address) : (bind_to_port(address, port) ? port : -1);
        if (bound > 0) {
            // The library listens with a backlog of 5: in a burst, connections beyond it would
            // wait for the system's retries before the server could even refuse them.
            ::listen(svr_sock_, MaxConnections);
            return bound;
        }
        const int error = errno;
        reason = error ? QString::fromLocal8Bit(std::strerror(error)) : QString();
        return 0;
    }

    void run()
    {
        m_listener = std::thread([this] {
            m_listenerId = std::this_thread::get_id();
            listen_after_bind();
            m_listened = true;
        });
    }

    /// Stops accepting, cuts the connections being served and joins every thread.
    void halt()
    {
        {
            std::lock_guard lock(m_liveMutex);
            m_stopping = true;
            for (int fd : m_live)
                ::shutdown(fd, SHUT_RDWR);
        }
        if (!m_listener.joinable())
            return;
        // The library stops only a server that is listening.
        while (!is_running() && !m_listened)
            std::this_thread::yield();
        stop();
        m_listener.join();
    }

private:
    bool process_and_close_socket(socket_t sock) override
    {
        {
            std::lock_guard lock(m_liveMutex);
            // Not on a worker: the pool is full.
            if (m_stopping || std::this_thread::get_id() == m_listenerId) {
                ::close(sock);
                return false;
            }
            m_live.insert(sock);
        }
        bool answered = false;
        {
            GuardedStream stream(sock, Clock::now() + std::chrono::seconds(ConnectionSeconds),
                                 std::chrono::seconds(IdleSeconds), MaxRequestBytes);
            bool closed = false;
            answered = process_request(stream, true, closed, nullptr);
        }
        // The answer reaches the peer before the socket goes: what it sent beyond the request
        // is read off for a moment, rather than reset with the answer unread.
        ::shutdown(sock, SHUT_WR);
        char drain[4096];
        pollfd p{sock, POLLIN, 0};
        for (int rounds = 0; rounds < 16 && ::poll(&p, 1, 100) > 0; ++rounds)
            if (::recv(sock, drain, sizeof drain, 0) <= 0)
                break;
        {
            std::lock_guard lock(m_liveMutex);
            m_live.erase(sock);
        }
        ::close(sock);
        return answered;
    }

    void answer(const httplib::Request &req, httplib::Response &res) const
    {
        if (!m_token.empty()) {
            std::optional<std::string> given = bearerToken(req.get_header_value("Authorization"));
            if (!given)
                given = req.get_param_value("token");
            if (!sameSecret(*given, m_token)) {
                res.set_header("WWW-Authenticate", "Bearer realm=\"zkv-console\"");
                plainText(res, 401, "This page needs its token.\n");
                return;
            }
        }
        if (req.method != "GET" && req.method != "HEAD") {
            res.set_header("Allow", "GET, HEAD");
            plainText(res, 405, "Only GET and HEAD are answered.\n");
            return;
        }
        const bool page = req.path == "/" || req.path == "/index.html";
        if (!page && req.path != "/status.json") {
            plainText(res, 404, "Not found.\n");
            return;
        }
        const std::shared_ptr<const StatusSnapshot> s = m_board->snapshot();
        res.status = 200;
        if (page)
            res.set_content(StatusRender::html(s->furnaces, s->taken, s->language, RefreshSeconds)
                                .toStdString(),
                            "text/html; charset=utf-8");
        else
            res.set_content(StatusRender::json(s->furnaces, s->taken, s->language).toStdString(),
                            "application/json");
    }

    const std::shared_ptr<const Board> m_board;
    const std::string m_token;
    std::thread m_listener;
    /// Set by the listening thread before it accepts anything.
    std::thread::id m_listenerId;
    std::atomic<bool> m_listened = false;
    std::mutex m_liveMutex;
    /// The connections being served (each still open), and whether the server stops.
    std::set<int> m_live;
    bool m_stopping = false;
};

#else

/// Without the HTTP library nothing is served.
class StatusServer::Http
{
public:
    void halt() {}
};

#endif

StatusServer::StatusServer(const StatusServerOptions &options)
    : m_options(options)
    , m_board(std::make_shared<Board>())
{
    StatusSnapshot empty;
    empty.taken = QDateTime::currentDateTime();
    publish(std::move(empty));
}

StatusServer::~StatusServer()
{
    stop();
}

bool StatusServer::available()
{
#ifdef ZKV_STATUS_PAGE
    return true;
#else
    return false;
#endif
}

bool StatusServer::start()
{
#ifdef ZKV_STATUS_PAGE
    if (m_http)
        return true;
    auto http = std::make_unique<Http>(m_board, m_options.token.toStdString());
    const int port = http->bind(m_options.address.toStdString(), m_options.port, m_reason);
    if (port <= 0) {
        m_failure = Failure::Bind;
        return false;
    }
    m_failure = Failure::None;
    m_port = quint16(port);
    http->run();
    m_http = std::move(http);
    return true;
#else
    m_failure = Failure::NoServer;
    return false;
#endif
}

QString StatusServer::error(quint8 language) const
{
    switch (m_failure) {
    case Failure::None:
        break;
    case Failure::NoServer:
        return NoServer.text(language);
    case Failure::Bind: {
        const QString where = m_options.address.contains(QLatin1Char(':'))
                                  ? QStringLiteral("[%1]:%2")
                                  : QStringLiteral("%1:%2");
        return CannotListen.text(language).arg(
            where.arg(m_options.address, QString::number(m_options.port)),
            m_reason.isEmpty() ? AddressUnusable.text(language) : m_reason);
    }
    }
    return QString();
}

void StatusServer::stop()
{
    if (m_http)
        m_http->halt();
    m_http.reset();
    m_port = 0;
}

void StatusServer::publish(StatusSnapshot snapshot)
{
    m_board->publish(std::make_shared<const StatusSnapshot>(std::move(snapshot)));
}
