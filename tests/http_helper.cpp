// A small HTTP server on 127.0.0.1 for the update tests, in a process of its own so that the
// test's thread can block in the download as the program does.
//   http_helper PORT_FILE PARENT_PID
// Listens on a free port and writes its number to PORT_FILE. Answers GET /<case>/update.txt:
//   v152 "1.52\r\n"   v16 "1.6\r\n"   v151 "1.51"   v1 "1"   empty (no body)
//   big   1500 bytes starting with "1.6"
//   missing   a 404 page
//   proxyerror   a 502 whose body is "1.52"
//   garbage   bytes of no text ("\xFF\xD8\xFF\xE0...")   html   a 200 page of markup
//   keepopen   "1.52\r\n" as HTTP/1.1 with its length, the connection kept open afterwards (later
//              requests on it are answered too)
//   silent   accepts, reads the request and never answers
//   loop   a 301 back to itself          hop/N   a 302 to hop/N-1; hop/0 "1.52\r\n"
//   huge   64 MB of announced length beginning "1.52", sent as fast as the client takes it
//   endless   the same with 1 GB announced: more than any check waits for
//   trickle   200 bytes of announced length beginning "1.52", one byte every 250 ms
//   seen/CASE   what the server saw of a case: "REQUESTS BODY_BYTES_SENT FINISHED"
//   quit   answers and ends the server
// Ends by itself when the parent process ends, after five minutes, or after 500 connections.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <map>
#include <string>
#include <vector>

namespace {
const DWORD kLifetimeMs = 5 * 60 * 1000;
const DWORD kSilentHoldMs = 60 * 1000;
const int kMaxConnections = 500;

struct Connection {
    SOCKET s;
    std::string request;
    bool bSilent;  // a request was read and is never answered
    bool bKept;    // answered and kept open, as a server that keeps connections alive
    DWORD dwSince;
    std::string trickle;  // body bytes still to send, one at a time
    std::string strCase;  // the case trickled
    DWORD dwNextByte;
};

const DWORD kTrickleMs = 250;
const size_t kHugeBytes = 64u << 20;
const size_t kEndlessBytes = 1u << 30;

// What the server saw of one case.
struct Seen {
    int nRequests = 0;
    size_t nBodyBytes = 0;
    bool bFinished = false;
};
std::map<std::string, Seen> g_seen;

std::string Response(int status, const char* reason, const std::string& body) {
    char head[256];
    snprintf(head, sizeof head,
             "HTTP/1.0 %d %s\r\nContent-Type: text/plain\r\nContent-Length: %u\r\nConnection: close\r\n\r\n", status,
             reason, static_cast<unsigned>(body.size()));
    return head + body;
}

// The answer to a request line's path; bSilent for the case that never answers, bKeep for one
// after which the connection stays open, bQuit to end.
std::string Answer(const std::string& path, bool* bSilent, bool* bKeep, bool* bQuit) {
    *bSilent = false;
    *bKeep = false;
    *bQuit = false;
    if (path == "/v152/update.txt")
        return Response(200, "OK", "1.52\r\n");
    if (path == "/v16/update.txt")
        return Response(200, "OK", "1.6\r\n");
    if (path == "/v151/update.txt")
        return Response(200, "OK", "1.51");
    if (path == "/v1/update.txt")
        return Response(200, "OK", "1");
    if (path == "/empty/update.txt")
        return Response(200, "OK", "");
    if (path == "/big/update.txt") {
        std::string body = "1.6\r\n";
        for (int i = 0; body.size() < 1500; ++i)
            body += static_cast<char>('a' + i % 26);
        return Response(200, "OK", body);
    }
    if (path == "/garbage/update.txt")
        return Response(200, "OK", std::string("\xFF\xD8\xFF\xE0\x00\x10JFIF\x00\x01", 13));
    if (path == "/html/update.txt")
        return Response(200, "OK", "<html><body>1.52</body></html>");
    if (path == "/keepopen/update.txt") {
        *bKeep = true;
        return "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: 6\r\n"
               "Connection: keep-alive\r\n\r\n1.52\r\n";
    }
    if (path == "/proxyerror/update.txt")
        return Response(502, "Bad Gateway", "1.52");
    if (path == "/silent/update.txt") {
        *bSilent = true;
        return std::string();
    }
    if (path == "/loop/update.txt")
        return "HTTP/1.0 301 Moved Permanently\r\nLocation: /loop/update.txt\r\nContent-Length: 0\r\n"
               "Connection: close\r\n\r\n";
    if (path.compare(0, 5, "/hop/") == 0) {
        int n = atoi(path.c_str() + 5);
        if (n <= 0)
            return Response(200, "OK", "1.52\r\n");
        return "HTTP/1.0 302 Found\r\nLocation: /hop/" + std::to_string(n - 1) +
               "/update.txt\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
    }
    if (path.compare(0, 6, "/seen/") == 0) {
        const Seen& seen = g_seen[path.substr(6)];
        return Response(200, "OK",
                        std::to_string(seen.nRequests) + " " + std::to_string(seen.nBodyBytes) + " " +
                            (seen.bFinished ? "1" : "0"));
    }
    if (path == "/quit") {
        *bQuit = true;
        return Response(200, "OK", "bye");
    }
    return Response(404, "Not Found", "<html><body><h1>404 Not Found</h1></body></html>");
}

// Bytes the client took.
size_t SendAll(SOCKET s, const std::string& data) {
    size_t off = 0;
    while (off < data.size()) {
        int n = send(s, data.data() + off, static_cast<int>(data.size() - off), 0);
        if (n <= 0)
            return off;
        off += static_cast<size_t>(n);
    }
    return off;
}

// The head of an answer of announced length whose body is sent on its own.
std::string Head(size_t nLength) {
    return "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\nContent-Length: " + std::to_string(nLength) +
           "\r\nConnection: close\r\n\r\n";
}

// The body of the huge answer, block by block; false when the client left before its end.
bool SendHuge(SOCKET s, size_t nBytes, Seen* pSeen) {
    // Blocks of a megabyte keep the connection full: the client never waits for the next byte.
    std::string block(1024 * 1024, 'x');
    memcpy(&block[0], "1.52\r\n", 6);
    for (size_t nSent = 0; nSent < nBytes; nSent += block.size()) {
        size_t n = SendAll(s, block);
        pSeen->nBodyBytes += n;
        if (n < block.size())
            return false;
        block.assign(block.size(), 'x');
    }
    return true;
}
}  // namespace

int main(int argc, char** argv) {
    if (argc < 3)
        return 2;
    WSADATA wsa;
    if (WSAStartup(MAKEWORD(2, 2), &wsa) != 0)
        return 1;
    SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in addr = {};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    int len = sizeof addr;
    if (listener == INVALID_SOCKET || bind(listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        listen(listener, 16) != 0 || getsockname(listener, reinterpret_cast<sockaddr*>(&addr), &len) != 0)
        return 1;

    // The port file appears complete: written under another name, then renamed.
    std::string tmp = std::string(argv[1]) + ".part";
    FILE* f = fopen(tmp.c_str(), "w");
    if (!f)
        return 1;
    fprintf(f, "%u\n", ntohs(addr.sin_port));
    fclose(f);
    MoveFileExA(tmp.c_str(), argv[1], MOVEFILE_REPLACE_EXISTING);

    HANDLE hParent = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(strtoul(argv[2], nullptr, 10)));
    DWORD dwStart = GetTickCount();
    int nAccepted = 0;
    bool bQuit = false;
    std::vector<Connection> conns;
    while (!bQuit && GetTickCount() - dwStart < kLifetimeMs) {
        if (!hParent || WaitForSingleObject(hParent, 0) == WAIT_OBJECT_0)
            break;
        fd_set readable;
        FD_ZERO(&readable);
        if (nAccepted < kMaxConnections)
            FD_SET(listener, &readable);
        for (const Connection& c : conns)
            FD_SET(c.s, &readable);
        timeval tv = {0, 20000};
        if (select(0, &readable, nullptr, nullptr, &tv) == SOCKET_ERROR)
            break;
        if (FD_ISSET(listener, &readable)) {
            SOCKET s = accept(listener, nullptr, nullptr);
            if (s != INVALID_SOCKET) {
                ++nAccepted;
                conns.push_back({s, std::string(), false, false, GetTickCount(), std::string(), std::string(), 0});
            }
        }
        for (size_t i = 0; i < conns.size();) {
            Connection& c = conns[i];
            bool bClose = false;
            if (FD_ISSET(c.s, &readable)) {
                char buf[1024];
                int n = recv(c.s, buf, sizeof buf, 0);
                if (n <= 0) {
                    bClose = true;
                } else if (!c.bSilent) {
                    c.request.append(buf, static_cast<size_t>(n));
                    size_t end = c.request.find("\r\n\r\n");
                    if (end != std::string::npos) {
                        size_t p0 = c.request.find(' ');
                        size_t p1 = c.request.find(' ', p0 + 1);
                        std::string path = (p0 == std::string::npos || p1 == std::string::npos)
                                               ? std::string()
                                               : c.request.substr(p0 + 1, p1 - p0 - 1);
                        c.request.erase(0, end + 4);
                        std::string strCase =
                            path.compare(0, 1, "/") == 0 ? path.substr(1, path.find('/', 1) - 1) : std::string();
                        if (strCase != "seen")
                            ++g_seen[strCase].nRequests;
                        bool bKeep = false;
                        std::string answer = Answer(path, &c.bSilent, &bKeep, &bQuit);
                        if (path == "/huge/update.txt" || path == "/endless/update.txt") {
                            const size_t nBytes = path == "/huge/update.txt" ? kHugeBytes : kEndlessBytes;
                            if (SendAll(c.s, Head(nBytes)) == Head(nBytes).size())
                                g_seen[strCase].bFinished = SendHuge(c.s, nBytes, &g_seen[strCase]);
                            bClose = true;
                        } else if (path == "/trickle/update.txt") {
                            std::string body = "1.52\r\n";
                            body.resize(200, 'x');
                            SendAll(c.s, Head(body.size()));
                            c.trickle = body;
                            c.strCase = strCase;
                            c.dwNextByte = GetTickCount();
                        } else if (!c.bSilent) {
                            SendAll(c.s, answer);
                            if (bKeep) {
                                c.bKept = true;
                                c.dwSince = GetTickCount();
                            } else {
                                shutdown(c.s, SD_SEND);
                                bClose = true;
                            }
                        }
                    }
                }
            }
            if (!bClose && !c.trickle.empty() && static_cast<LONG>(GetTickCount() - c.dwNextByte) >= 0) {
                Seen& seen = g_seen[c.strCase];
                if (send(c.s, c.trickle.data(), 1, 0) != 1) {
                    bClose = true;
                } else {
                    ++seen.nBodyBytes;
                    c.trickle.erase(0, 1);
                    c.dwNextByte = GetTickCount() + kTrickleMs;
                    if (c.trickle.empty()) {
                        seen.bFinished = true;
                        shutdown(c.s, SD_SEND);
                        bClose = true;
                    }
                }
            }
            if ((c.bSilent || c.bKept) && GetTickCount() - c.dwSince > kSilentHoldMs)
                bClose = true;
            if (bClose) {
                closesocket(c.s);
                conns.erase(conns.begin() + static_cast<long>(i));
            } else {
                ++i;
            }
        }
    }
    for (const Connection& c : conns)
        closesocket(c.s);
    closesocket(listener);
    if (hParent)
        CloseHandle(hParent);
    WSACleanup();
    return 0;
}
