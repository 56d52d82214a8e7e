// The real server binary on its real port, one fresh process per test.

#include "raw_connection.h"
#include "server_process.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>

using namespace core;
using namespace support;

namespace {

const std::string joined_one = "\xCD\xE6\xBC\xD2\xD2\xBB\xBC\xD3\xC8\xEB\xD3\xCE\xCF\xB7\n";
const std::string joined_two = "\xCD\xE6\xBC\xD2\xB6\xFE\xBC\xD3\xC8\xEB\xD3\xCE\xCF\xB7\n";

std::string relay_game_over_line(const std::string& number) {
    return "\xD3\xCE\xCF\xB7\xBD\xE1\xCA\xF8\xA3\xAC" + number +
           "\xBA\xC5\xCD\xE6\xBC\xD2\xBB\xF1\xCA\xA4\xA3\xA1\n";
}

Reply send(const std::string& method, const std::string& path, const std::string& body = "",
           const httplib::Headers& headers = {}) {
    httplib::Client client(game_host, game_port);
    client.set_default_headers(headers);
    httplib::Result result = method == "HEAD"   ? client.Head(path.c_str())
                             : method == "POST" ? client.Post(path.c_str(), body, "text/plain")
                                                : client.Get(path.c_str());
    if (!result) return {};
    return {result->status, result->body};
}

class ServerTest : public ::testing::Test {
protected:
    ServerProcess server;
};

void expect_reply(const Reply& reply, const std::string& body) {
    EXPECT_EQ(reply.status, 200);
    EXPECT_EQ(reply.body, body);
}

TEST_F(ServerTest, FreshStateAndThreeJoins) {
    expect_reply(get("/start"), "0");
    expect_reply(get("/who"), "1");
    expect_reply(get("/who_win"), "0");
    expect_reply(get("/what"), "");
    EXPECT_EQ(server.console(), "");

    expect_reply(get("/join"), "1");
    expect_reply(get("/join"), "2");
    expect_reply(get("/join"), "0");
    expect_reply(get("/start"), "2");
    EXPECT_EQ(server.console(), joined_one + joined_two);
}

TEST_F(ServerTest, RepliesAreTextPlain) {
    httplib::Client client(game_host, game_port);
    for (const char* path : {"/join", "/start", "/who", "/next", "/what", "/who_win"}) {
        auto result = client.Get(path);
        ASSERT_TRUE(result) << path;
        EXPECT_EQ(result->get_header_value("Content-Type"), "text/plain") << path;
    }
    auto result = client.Post("/chess", "x", "text/plain");
    ASSERT_TRUE(result);
    EXPECT_EQ(result->get_header_value("Content-Type"), "text/plain");
}

TEST_F(ServerTest, NextFlipsTheTurnFromAnyone) {
    expect_reply(get("/next"), "ok");
    expect_reply(get("/who"), "2");
    expect_reply(get("/next"), "ok");
    expect_reply(get("/who"), "1");
}

TEST_F(ServerTest, ChessBodiesComeBackUnchanged) {
    std::string board(100, '0');
    expect_reply(post("/chess", board), "ok");
    expect_reply(get("/what"), board);

    expect_reply(post("/chess", ""), "ok");
    expect_reply(get("/what"), "");

    std::string binary;
    for (int i = 0; i < 256; ++i) binary.push_back(static_cast<char>(i));
    expect_reply(post("/chess", binary), "ok");
    expect_reply(get("/what"), binary);

    // A body that says it is compressed is kept as sent, never inflated.
    expect_reply(send("POST", "/chess", "0101", {{"Content-Encoding", "gzip"}}), "ok");
    expect_reply(get("/what"), "0101");

    std::string mebibyte(1 << 20, 'x');
    for (size_t i = 0; i < mebibyte.size(); i += 4097) mebibyte[i] = static_cast<char>(i % 251);
    expect_reply(post("/chess", mebibyte), "ok");
    Reply back = get("/what");
    EXPECT_EQ(back.status, 200);
    EXPECT_TRUE(back.body == mebibyte) << "1 MiB body changed on its way through";
}

// The length alone is enough: 413 comes before any of the body is sent, and
// the connection is closed.
TEST_F(ServerTest, BodyOverTheCapIsRefusedAndChangesNothing) {
    expect_reply(post("/chess", "kept"), "ok");
    for (const char* path : {"/chess", "/win"}) {
        RawConnection connection;
        ASSERT_TRUE(connection.send_all(std::string("POST ") + path + " HTTP/1.1\r\nContent-Length: " +
                                        std::to_string(16 * 1024 * 1024 + 1) + "\r\n\r\n 2"));
        auto reply = connection.reply_until_closed(std::chrono::milliseconds(900));
        ASSERT_TRUE(reply) << path;
        EXPECT_TRUE(reply->starts_with("HTTP/1.1 413")) << *reply;
    }
    expect_reply(get("/what"), "kept");
    expect_reply(get("/who_win"), "0");
    EXPECT_EQ(server.console(), "");
}

TEST_F(ServerTest, WinBodiesParsedLikeStoi) {
    struct Case {
        std::string body;
        std::string stored;
    };
    const Case accepted[] = {{"2", "2"}, {"1", "1"},   {"0", "0"},  {" 7\n", "7"},
                             {"+3", "3"}, {"-1", "-1"}, {"2abc", "2"}};
    std::string console;
    for (const Case& c : accepted) {
        expect_reply(post("/win", c.body), "ok");
        expect_reply(get("/who_win"), c.stored);
        console += relay_game_over_line(c.stored);
        EXPECT_EQ(server.console(), console) << "body '" << c.body << "'";
    }
}

TEST_F(ServerTest, UnparsableWinIs500AndChangesNothing) {
    expect_reply(post("/win", "2"), "ok");
    std::string console = server.console();
    for (const std::string body : {"", "x", "99999999999", "-99999999999", "+", " "}) {
        EXPECT_EQ(post("/win", body).status, 500) << "body '" << body << "'";
        expect_reply(get("/who_win"), "2");
    }
    EXPECT_EQ(server.console(), console);
}

TEST_F(ServerTest, UnmatchedRoutesAre404AndChangeNothing) {
    EXPECT_EQ(send("GET", "/chess").status, 404);
    EXPECT_EQ(send("GET", "/win").status, 404);
    EXPECT_EQ(send("POST", "/join", "").status, 404);
    EXPECT_EQ(send("GET", "/join/").status, 404);
    EXPECT_EQ(send("GET", "/JOIN").status, 404);
    EXPECT_EQ(send("GET", "/").status, 404);
    expect_reply(get("/start"), "0");
    EXPECT_EQ(server.console(), "");
}

TEST_F(ServerTest, QueryStringIsIgnored) {
    expect_reply(get("/join?player=7"), "1");
    expect_reply(get("/who?x=1"), "1");
    EXPECT_EQ(server.console(), joined_one);
}

TEST_F(ServerTest, HeadRunsTheGetHandler) {
    Reply head = send("HEAD", "/join");
    EXPECT_EQ(head.status, 200);
    EXPECT_EQ(head.body, "");
    EXPECT_EQ(server.console(), joined_one);
    expect_reply(get("/join"), "2");
    EXPECT_EQ(send("HEAD", "/next").status, 200);
    expect_reply(get("/who"), "2");
}

TEST_F(ServerTest, ExitsOnlyBySignalWhileServing) {
    expect_reply(get("/join"), "1");
    EXPECT_TRUE(server.process().running());
    EXPECT_EQ(server.process().standard_error(), "");
}

TEST(ServerStartTest, SecondServerFailsLoudly) {
    ServerProcess first;
    ChildProcess second(SERVER_PATH);
    auto status = second.wait_for_exit(std::chrono::seconds(10));
    ASSERT_TRUE(status.has_value()) << "a second server kept running beside the first";
    EXPECT_NE(*status, 0);
    EXPECT_EQ(second.standard_output(), "");
    EXPECT_NE(second.standard_error().find("cannot listen on localhost:8089"), std::string::npos)
        << second.standard_error();
    // The first one still serves its own game.
    expect_reply(get("/join"), "1");
}

TEST(ServerStartTest, RestartBindsAtOnce) {
    {
        ServerProcess first;
        expect_reply(get("/join"), "1");
        // A connection left in TIME_WAIT must not stop the next server.
    }
    ServerProcess second;
    expect_reply(get("/join"), "1");
}

const std::string game_key = "7F3K-9QX2-MC4D";

httplib::Headers with_authorization(const std::string& value) { return {{"Authorization", value}}; }

// The key comes through GAME_KEY. Each refused header breaks one rule of the
// check: the scheme, the key's form, its every symbol, its length.
TEST(KeyedServerTest, RequestsWithoutTheKeyAre401AndChangeNothing) {
    ServerProcess server({}, {{"GAME_KEY", game_key}});
    const httplib::Headers refused[] = {{},
                                        with_authorization("Bearer 7F3K-9QX2-MC4E"),
                                        with_authorization("Bearer HJ4N-P8RT-2WVB"),
                                        with_authorization("Bearer " + game_key + "-00"),
                                        with_authorization("Bearer x"),
                                        with_authorization("Bearer !!!"),
                                        with_authorization(game_key),
                                        with_authorization("Basic " + game_key),
                                        {{"X-Game-Key", game_key}}};
    for (const auto& headers : refused) {
        for (const auto& [method, path] :
             {std::pair{"GET", "/join"}, {"GET", "/start"}, {"GET", "/who"}, {"GET", "/next"}, {"POST", "/chess"},
              {"GET", "/what"}, {"POST", "/win"}, {"GET", "/who_win"}, {"GET", "/nowhere"}}) {
            Reply reply = send(method, path, "2", headers);
            EXPECT_EQ(reply.status, 401) << method << " " << path;
            EXPECT_FALSE(reply.body.empty());
        }
    }
    const auto keyed = with_authorization("bearer 7f3k9qx2mc4d");
    expect_reply(send("GET", "/start", "", keyed), "0");
    expect_reply(send("GET", "/who", "", keyed), "1");
    expect_reply(send("GET", "/what", "", keyed), "");
    expect_reply(send("GET", "/who_win", "", keyed), "0");
    expect_reply(send("GET", "/join", "", with_authorization("Bearer " + game_key)), "1");
    EXPECT_EQ(server.console(), joined_one);
}

// The body of a refused POST is a keyed /join: it must not be read as a
// request, and the connection must not wait for another.
TEST(KeyedServerTest, ARefusedRequestClosesItsConnectionAtOnce) {
    ServerProcess server({"--key", game_key});
    const std::string inner = "GET /join HTTP/1.1\r\nAuthorization: Bearer " + game_key + "\r\n\r\n";
    RawConnection connection;
    ASSERT_TRUE(connection.send_all("POST /chess HTTP/1.1\r\nContent-Length: " + std::to_string(inner.size()) +
                                    "\r\n\r\n" + inner));
    std::optional<std::string> reply = connection.reply_until_closed(std::chrono::seconds(1));
    ASSERT_TRUE(reply) << "the refused connection stays open";
    EXPECT_EQ(reply->rfind("HTTP/1.1 401", 0), 0u) << *reply;
    EXPECT_EQ(reply->find("HTTP/1.1", 1), std::string::npos) << *reply;
    expect_reply(send("GET", "/start", "", with_authorization("Bearer " + game_key)), "0");
    EXPECT_EQ(server.console(), "");
}

TEST(ServerStartTest, BadOptionsExit2BeforeBinding) {
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"--listen", "0.0.0.0"}, {"--listen", "::"}, {"--listen", "192.0.2.1"},
                                               {"--listen", "no-such-host.invalid"}, {"--port", "0"},
                                               {"--port", "65536"}, {"--port", "80x"}, {"--listen", ""},
                                               {"--key", "7F3K-9QX2"}, {"--key"}, {"--verbose"}}) {
        ChildProcess server(SERVER_PATH, args);
        EXPECT_EQ(server.wait_for_exit(std::chrono::seconds(10)), 2) << args[0];
        const std::string error = server.standard_error();
        EXPECT_EQ(std::count(error.begin(), error.end(), '\n'), 1) << error;
        EXPECT_FALSE(port_is_open());
    }
    ChildProcess bad_key(SERVER_PATH, {}, "", {{"GAME_KEY", "7F3K-9QX2"}});
    EXPECT_EQ(bad_key.wait_for_exit(std::chrono::seconds(10)), 2);
    EXPECT_NE(bad_key.standard_error().find("GAME_KEY"), std::string::npos) << bad_key.standard_error();
    ChildProcess help(SERVER_PATH, {"--help"});
    EXPECT_EQ(help.wait_for_exit(std::chrono::seconds(10)), 0);
    EXPECT_NE(help.standard_output().find("--key"), std::string::npos);
    EXPECT_NE(help.standard_output().find("--referee"), std::string::npos);
}

}  // namespace
