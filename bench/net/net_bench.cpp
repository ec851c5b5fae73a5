// Prints the HTTP client's figures, each measured side by side in this run:
//   net.get_file_ratio_vs_curl     MiB/s of a 64 MiB Get into a file / MiB/s of curl -o FILE
//   net.get_memory_ratio_vs_touch  MiB/s of a 64 MiB Get into Body / MiB/s of writing 64 MiB
//                                  into freshly allocated memory
//   net.stalled_wait_cpu_ms        CPU milliseconds of a Get waiting 5 s on a silent server
//   net.stalled_wait_switches      voluntary context switches of that wait
// Linux only (the server, curl and getrusage).
#include "net/nmhttp.h"
#include "shared/app_error.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <netinet/in.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace {

constexpr qint64 body_size = 64LL << 20;
constexpr int rounds = 3;

// A loopback HTTP server: "/big" answers with 64 MiB from memory, "/stall" reads the request
// and never answers.
class BenchServer {
public:
    BenchServer() : body_(static_cast<std::size_t>(body_size), 'n') {
        listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            ::listen(listener_, 8) != 0 ||
            ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
            std::perror("bench server");
            std::exit(1);
        }
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { run(); });
    }
    ~BenchServer() {
        stop_ = true;
        ::shutdown(listener_, SHUT_RDWR);
        thread_.join();
        ::close(listener_);
    }
    QString url(const char* path) const {
        return QStringLiteral("http://127.0.0.1:") + QString::number(port_) + QLatin1String(path);
    }

private:
    void run() {
        while (!stop_) {
            const int client = ::accept(listener_, nullptr, nullptr);
            if (client < 0)
                continue;
            serve(client);
            ::close(client);
        }
    }
    void serve(int client) {
        std::string request;
        char buffer[4096];
        while (request.find("\r\n\r\n") == std::string::npos) {
            const ssize_t count = ::recv(client, buffer, sizeof buffer, 0);
            if (count <= 0)
                return;
            request.append(buffer, static_cast<std::size_t>(count));
        }
        if (request.find(" /stall ") != std::string::npos) {
            while (::recv(client, buffer, sizeof buffer, 0) > 0) {
            }
            return;
        }
        const std::string head =
            "HTTP/1.0 200 OK\r\nContent-Type: application/octet-stream\r\nContent-Length: " +
            std::to_string(body_size) + "\r\n\r\n";
        send_all(client, head.data(), head.size());
        send_all(client, body_.data(), body_.size());
    }
    static void send_all(int client, const char* data, std::size_t length) {
        while (length > 0) {
            const ssize_t sent = ::send(client, data, length, MSG_NOSIGNAL);
            if (sent <= 0)
                return;
            data += sent;
            length -= static_cast<std::size_t>(sent);
        }
    }

    std::string body_;
    int listener_ = -1;
    quint16 port_ = 0;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

double seconds_of(const std::function<void()>& run) {
    QElapsedTimer clock;
    clock.start();
    run();
    return static_cast<double>(clock.nsecsElapsed()) / 1e9;
}

void check_get(TNMHTTP& http, const QString& url) {
    http.Get(url);
    if (http.ReplyCode != 200) {
        std::fprintf(stderr, "net_bench: Get answered %d\n", http.ReplyCode);
        std::exit(1);
    }
}

void run_curl(const QString& url, const QString& file) {
    const QByteArray url_bytes = url.toLocal8Bit();
    const QByteArray file_bytes = QFile::encodeName(file);
    char* argv[] = {const_cast<char*>("curl"),
                    const_cast<char*>("-s"),
                    const_cast<char*>("-o"),
                    const_cast<char*>(file_bytes.constData()),
                    const_cast<char*>(url_bytes.constData()),
                    nullptr};
    pid_t pid = 0;
    int status = 0;
    if (posix_spawnp(&pid, "curl", nullptr, nullptr, argv, environ) != 0 ||
        waitpid(pid, &status, 0) < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "net_bench: curl failed\n");
        std::exit(1);
    }
}

double thread_cpu_ms(const rusage& usage) {
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    BenchServer server;
    QTemporaryDir dir;
    const QString ours_file = dir.filePath(QStringLiteral("ours.bin"));
    const QString curl_file = dir.filePath(QStringLiteral("curl.bin"));

    QObject owner;
    TNMHTTP http(&owner);
    http.TimeOut = 60000;

    // Into a file, beside curl; the best of a few rounds for each.
    double ours_best = 1e9;
    double curl_best = 1e9;
    for (int round = 0; round < rounds; ++round) {
        QFile::remove(ours_file);
        QFile::remove(curl_file);
        http.InputFileMode = true;
        http.Body = QFile::encodeName(ours_file);
        ours_best = std::min(ours_best, seconds_of([&] { check_get(http, server.url("/big")); }));
        curl_best =
            std::min(curl_best, seconds_of([&] { run_curl(server.url("/big"), curl_file); }));
        if (QFile(ours_file).size() != body_size || QFile(curl_file).size() != body_size) {
            std::fprintf(stderr, "net_bench: short file\n");
            return 1;
        }
    }
    QFile::remove(ours_file);
    QFile::remove(curl_file);

    // Into memory, beside writing the same amount into fresh memory.
    double get_best = 1e9;
    double touch_best = 1e9;
    http.InputFileMode = false;
    for (int round = 0; round < rounds; ++round) {
        http.Body = QByteArray();
        get_best = std::min(get_best, seconds_of([&] { check_get(http, server.url("/big")); }));
        if (http.Body.size() != body_size) {
            std::fprintf(stderr, "net_bench: short body\n");
            return 1;
        }
        http.Body = QByteArray();
        touch_best = std::min(touch_best, seconds_of([&] {
                                  auto* memory = static_cast<char*>(std::malloc(body_size));
                                  std::memset(memory, round + 1, body_size);
                                  // The compiler may not drop the writes as unused.
                                  asm volatile("" : : "r"(memory) : "memory");
                                  std::free(memory);
                              }));
    }

    // A request that waits 5 s on a server that never answers (after a short one that warms up
    // the code paths, such as the first error unwinding).
    http.TimeOut = 50;
    try {
        http.Get(server.url("/stall"));
    } catch (const AppError&) {
    }
    http.TimeOut = 5000;
    rusage before{};
    rusage after{};
    QString stall_end;
    QElapsedTimer stall_clock;
    stall_clock.start();
    getrusage(RUSAGE_THREAD, &before);
    try {
        http.Get(server.url("/stall"));
    } catch (const AppError& error) {
        stall_end = error.message(); // "Connection Timed Out"
    }
    getrusage(RUSAGE_THREAD, &after);
    if (stall_end != QLatin1String("Connection Timed Out") || stall_clock.elapsed() < 5000) {
        std::fprintf(stderr, "net_bench: the stalled Get ended after %lld ms with \"%s\"\n",
                     static_cast<long long>(stall_clock.elapsed()), qPrintable(stall_end));
        return 1;
    }

    if (qEnvironmentVariableIsSet("NIMBRIX_BENCH_VERBOSE"))
        std::fprintf(stderr, "file: ours %.3f s, curl %.3f s; memory: get %.3f s, touch %.3f s\n",
                     ours_best, curl_best, get_best, touch_best);
    std::printf("net.get_file_ratio_vs_curl: %.2f\n", curl_best / ours_best);
    std::printf("net.get_memory_ratio_vs_touch: %.2f\n", touch_best / get_best);
    std::printf("net.stalled_wait_cpu_ms: %.1f\n", thread_cpu_ms(after) - thread_cpu_ms(before));
    std::printf("net.stalled_wait_switches: %ld\n", after.ru_nvcsw - before.ru_nvcsw);
    return 0;
}
