// The socket layer on its own, against scripted loopback servers.
#include "net/powersock.h"

#include "net/sock_errors.h"
#include "net_test_support.h"
#include "support/scripted_server.h"
#include <QFile>
#include <QHostAddress>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using S = ScriptedServer;

namespace {

class PowersockTest : public ::testing::Test {
protected:
    void SetUp() override {
        sock->TimeOut = 5000;
        sock->Host = QStringLiteral("127.0.0.1");
        sock->set_host_lookup(&lookup);
        log.attach_socket(*sock);
    }
    void TearDown() override { sock->set_host_lookup(nullptr); }

    void connect_to(const S& server) {
        sock->Port = server.port();
        sock->Connect();
    }

    QObject owner;
    TPowersock* sock = new TPowersock(&owner);
    ScriptedLookup lookup;
    EventLog log;
};

} // namespace

TEST_F(PowersockTest, TransactionSendsALineAndReadsTheReply) {
    S server({{S::send("220 ready\r\n"), S::delay(100), S::send("250 done\r\n"), S::hold()}});
    connect_to(server);
    EXPECT_EQ(sock->ReadLn(), "220 ready\r\n");
    sock->ReportLevel = 1;
    EXPECT_EQ(sock->Transaction("HELO nimbrix"), "250 done\r\n");
    EXPECT_EQ(sock->ReplyCode, 250);
    EXPECT_EQ(sock->Status, "250 done\r\n");
    // The first socket resets its connection on close: let the server read first.
    ASSERT_TRUE(server.wait_for_bytes(0, 14));
    sock->Disconnect();
    EXPECT_EQ(server.requests().at(0), "HELO nimbrix\r\n");
}

TEST_F(PowersockTest, ReadLnJoinsPiecesAndKeepsTheTerminator) {
    S server({{S::send("ab"), S::delay(60), S::send("c\r\nde"), S::delay(60), S::send("f\nlast")}});
    connect_to(server);
    EXPECT_EQ(sock->ReadLn(), "abc\r\n");
    EXPECT_EQ(sock->ReadLn(), "def\n");
    EXPECT_EQ(error_of([&] { sock->ReadLn(); }), "Connection closed by host");
}

TEST_F(PowersockTest, CancelledReadLnKeepsTheFlagSoNothingIsSentUntilTheNextConnect) {
    S server({{S::hold()}});
    connect_to(server);
    after(100, [this] { sock->Cancel(); });
    try {
        sock->ReadLn();
        ADD_FAILURE() << "ReadLn returned";
    } catch (const EAbortError& error) {
        EXPECT_EQ(error.message(), "Socket readln aborted");
    }
    EXPECT_TRUE(sock->canceled());
    sock->SendBuffer("not sent", 8);
    sock->Disconnect();
    EXPECT_FALSE(server.wait_for_bytes(0, 1, 200));

    S next({{S::read_request(), S::send("HTTP/1.0 200 OK\r\n")}});
    connect_to(next);
    EXPECT_FALSE(sock->canceled());
    sock->Write("GET / HTTP/1.0\r\n\r\n");
    EXPECT_EQ(sock->ReadLn(), "HTTP/1.0 200 OK\r\n");
}

TEST_F(PowersockTest, DisconnectTwiceAfterThePeerClosed) {
    S server({{S::send("bye\r\n")}});
    sock->ReportLevel = 4;
    connect_to(server);
    EXPECT_EQ(sock->ReadLn(), "bye\r\n");
    QByteArray rest;
    sock->CaptureString(rest, -1);
    sock->Disconnect();
    EXPECT_EQ(log.lines, (QStringList{"Connect", "Status: Request Close Socket", "Disconnect",
                                      "Status: Request Close Socket", "Disconnect"}));
    // A fresh socket after each close: the next connect works.
    S again({{S::send("hello\r\n")}});
    connect_to(again);
    EXPECT_EQ(sock->ReadLn(), "hello\r\n");
}

TEST_F(PowersockTest, SecondConnectIsRefused) {
    S server({{S::hold()}});
    connect_to(server);
    EXPECT_EQ(error_of([&] { sock->Connect(); }), "Already connected");
    EXPECT_TRUE(sock->connected());
}

TEST_F(PowersockTest, RefusedConnection) {
    quint16 closed_port = 0;
    {
        S server({});
        closed_port = server.port();
    }
    sock->Port = closed_port;
    EXPECT_EQ(error_of([&] { sock->Connect(); }), "Connection Failed");
    EXPECT_EQ(sock->last_error(), 10061);
    EXPECT_EQ(log.lines, QStringList{"ConnectionFailed"});
    EXPECT_FALSE(sock->connected());
}

TEST_F(PowersockTest, UnresolvableHostWithoutRetry) {
    lookup.addresses.clear();
    sock->Host = QStringLiteral("nowhere.example");
    EXPECT_EQ(error_of([&] { sock->Connect(); }), "Null Remote Address");
    EXPECT_EQ(lookup.names, QStringList{"nowhere.example"});
    EXPECT_EQ(log.lines, QStringList{"InvalidHost"});
}

TEST_F(PowersockTest, InvalidHostHandlerGetsOneRetry) {
    lookup.addresses.clear();
    sock->Host = QStringLiteral("nowhere.example");
    int asked = 0;
    QObject::connect(sock, &TPowersock::OnInvalidHost, [&](bool& handled) {
        ++asked;
        handled = true;
    });
    EXPECT_EQ(error_of([&] { sock->Connect(); }), "Null Remote Address");
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(lookup.names.size(), 2);
}

TEST_F(PowersockTest, InvalidHostHandlerMayNameAnotherHost) {
    S server({{S::send("hi\r\n")}});
    lookup.addresses.clear();
    sock->Host = QStringLiteral("nowhere.example");
    QObject::connect(sock, &TPowersock::OnInvalidHost, [&](bool& handled) {
        sock->Host = QStringLiteral("127.0.0.1");
        handled = true;
    });
    connect_to(server);
    EXPECT_EQ(sock->ReadLn(), "hi\r\n");
}

TEST_F(PowersockTest, HostNameResolvedThroughTheNameService) {
    S server({{S::send("hi\r\n")}});
    sock->Host = QStringLiteral("weather.example");
    connect_to(server);
    EXPECT_EQ(lookup.names, QStringList{"weather.example"});
    EXPECT_EQ(log.lines, (QStringList{"HostResolved", "Connect"}));
}

TEST_F(PowersockTest, PlatformNameServiceResolvesLocalhost) {
    S server({{S::send("hi\r\n")}});
    sock->set_host_lookup(nullptr);
    sock->Host = QStringLiteral("localhost");
    connect_to(server);
    EXPECT_EQ(sock->ReadLn(), "hi\r\n");
}

TEST_F(PowersockTest, PeerSendingMoreThanOneChunkLosesNothing) {
    QByteArray data(200000, '\0');
    for (qsizetype i = 0; i < data.size(); ++i)
        data[i] = static_cast<char>(i % 253);
    S server({{S::send(data)}});
    connect_to(server);
    QByteArray text;
    sock->CaptureString(text, -1);
    EXPECT_EQ(text.size(), data.size());
    EXPECT_TRUE(text == data);
}

TEST_F(PowersockTest, CaptureStringWithCountStopsWhenEnoughArrived) {
    S server({{S::send("0123456789"), S::delay(100), S::send("abcdef"), S::hold()}});
    connect_to(server);
    QByteArray text;
    sock->CaptureString(text, 12);
    EXPECT_EQ(text, "0123456789abcdef");
    EXPECT_EQ(sock->ReceivedBytes, 16);
}

TEST_F(PowersockTest, CaptureStringWithCountEndsWhenThePeerCloses) {
    S server({{S::send("short")}});
    connect_to(server);
    QByteArray text;
    EXPECT_EQ(error_of([&] { sock->CaptureString(text, 100); }), "Connection closed by host");
    EXPECT_EQ(text, "short");
}

TEST_F(PowersockTest, SendFileSendsTheWholeFile) {
    QTemporaryDir dir;
    QByteArray data(40000, 'q');
    data.replace(0, 5, "start");
    QFile file(dir.filePath("Send.dat"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(data);
    file.close();
    S server({{S::hold()}});
    connect_to(server);
    sock->SendFile(file.fileName());
    EXPECT_EQ(sock->SentBytes, 40000);
    EXPECT_EQ(sock->TotalBytes, 40000);
    EXPECT_GE(log.lines.count("PacketSent"), 3);
    ASSERT_TRUE(server.wait_for_bytes(0, data.size()));
    sock->Disconnect();
    EXPECT_TRUE(server.requests().at(0) == data);
}

TEST_F(PowersockTest, AcceptTakesAnIncomingConnection) {
    const quint16 port = sock->listen_on(0);
    ASSERT_NE(port, 0);
    QTcpSocket peer;
    peer.connectToHost(QHostAddress::LocalHost, port);
    const platform_socket::Handle accepted = sock->Accept();
    EXPECT_NE(accepted, platform_socket::invalid_handle);
    platform_socket::close(accepted);

    after(100, [this] { sock->Cancel(); });
    EXPECT_EQ(error_of([&] { sock->Accept(); }), "Accepting Canceled");
}

TEST_F(PowersockTest, InformationListHoldsSixLines) {
    ASSERT_EQ(sock->info_list().size(), 6);
    EXPECT_TRUE(sock->info_list().at(0).startsWith("Version= "));
    EXPECT_TRUE(sock->info_list().at(5).startsWith("Max Udp pack size= "));
}

// Each status text reaches OnStatus exactly when ReportLevel is at least its level.
TEST_F(PowersockTest, ReportLevelGatesEveryText) {
    const QMap<QString, int> levels{
        {"250 done\r\n", 1},    {"Sending Buffer", 4}, {"Request Close Socket", 4},
        {"Connecting", 8},      {"Resolve Host", 8},   {"Timer On", 8},
        {"Timer Off", 8},       {"Write", 8},          {"Writeln", 8},
        {"ReadLn", 8},          {"Transaction", 8},    {"ReadToStream", 8},
        {"WriteFromStream", 8}, {"Disconnecting", 8},  {"Capture String", 8},
        {"Canceling", 8},
    };
    const auto run = [&](int level) {
        S server({{S::read_request(), S::send("250 done\r\n")}});
        QObject owner_of_run;
        TPowersock client(&owner_of_run);
        client.TimeOut = 5000;
        client.ReportLevel = level;
        client.Host = QStringLiteral("127.0.0.1");
        client.Port = server.port();
        QStringList texts;
        QObject::connect(&client, &TPowersock::OnStatus,
                         [&](const QString& text) { texts << text; });
        client.Connect();
        client.Transaction("HELO\r\n");
        QByteArray rest;
        client.CaptureString(rest, -1);
        client.Disconnect();
        client.Cancel();
        return texts;
    };
    const QStringList all = run(16);
    for (const QString& text : all)
        EXPECT_TRUE(levels.contains(text)) << text.toStdString();
    for (const int level : {0, 1, 2, 4, 8}) {
        QStringList expected;
        for (const QString& text : all) {
            if (levels.value(text) <= level)
                expected << text;
        }
        EXPECT_EQ(run(level), expected) << "ReportLevel " << level;
    }
}
