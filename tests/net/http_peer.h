// Real peers on 127.0.0.1 for the net tests: the scripted HTTP server or the
// recording forwarding proxy of http_peer.py (and tinyproxy below), started on a port it chooses and stopped
// with the test. Every request head it received is kept, byte for byte.
//
//   HttpPeer server = HttpPeer::Server(folder, {"/d/quotes.csv=body:" + reply_file});
//   http.URL = server.Url("/d/quotes.csv?s=IBM");
//   ...
//   EXPECT_EQ(server.Requests()[0], "HEAD /d/quotes.csv?s=IBM HTTP/1.0\r\n...");
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace pellmark::testing {

class HttpPeer {
 public:
  static HttpPeer Server(const std::filesystem::path& folder, const std::vector<std::string>& routes) {
    std::vector<std::string> args = {"server"};
    for (const std::string& route : routes) {
      args.push_back("--route");
      args.push_back(route);
    }
    return HttpPeer(folder / "server.log", args);
  }
  static HttpPeer Proxy(const std::filesystem::path& folder) { return HttpPeer(folder / "proxy.log", {"proxy"}); }

  HttpPeer(HttpPeer&& other) noexcept : log_(std::move(other.log_)), pid_(other.pid_), port_(other.port_) {
    other.pid_ = -1;
  }
  HttpPeer& operator=(HttpPeer&&) = delete;
  ~HttpPeer() {
    if (pid_ > 0) {
      ::kill(pid_, SIGTERM);
      ::waitpid(pid_, nullptr, 0);
    }
  }

  int Port() const { return port_; }
  std::string HostPort() const { return "127.0.0.1:" + std::to_string(port_); }
  std::string Url(const std::string& path) const { return "http://" + HostPort() + path; }

  // The request heads received so far, each with its closing empty line.
  std::vector<std::string> Requests() const {
    std::ifstream in(log_, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    const std::string all = bytes.str();
    std::vector<std::string> heads;
    for (std::size_t start = 0; start < all.size();) {
      const std::size_t end = all.find("\r\n\r\n", start);
      if (end == std::string::npos) break;
      heads.push_back(all.substr(start, end + 4 - start));
      start = end + 4;
    }
    return heads;
  }

 private:
  HttpPeer(std::filesystem::path log, std::vector<std::string> args) : log_(std::move(log)) {
    args.push_back("--log");
    args.push_back(log_.string());
    int out[2];
    if (::pipe(out) != 0) throw std::runtime_error("pipe");
    pid_ = ::fork();
    if (pid_ < 0) throw std::runtime_error("fork");
    if (pid_ == 0) {
      ::prctl(PR_SET_PDEATHSIG, SIGTERM);
      ::dup2(out[1], STDOUT_FILENO);
      ::close(out[0]);
      ::close(out[1]);
      std::vector<char*> argv = {const_cast<char*>("python3"), const_cast<char*>(PELLMARK_HTTP_PEER)};
      for (std::string& arg : args) argv.push_back(arg.data());
      argv.push_back(nullptr);
      ::execvp("python3", argv.data());
      ::_exit(127);
    }
    ::close(out[1]);
    std::string line;
    char c = 0;
    while (::read(out[0], &c, 1) == 1 && c != '\n') line += c;
    ::close(out[0]);
    port_ = line.empty() ? 0 : std::stoi(line);
    if (port_ == 0) throw std::runtime_error("the test peer did not start");
  }

  std::filesystem::path log_;
  pid_t pid_ = -1;
  int port_ = 0;
};

// Debian's tinyproxy, a real proxy between the client and an HttpPeer server,
// started with a config written for the test on a free loopback port.
class TinyProxy {
 public:
  explicit TinyProxy(const std::filesystem::path& folder) {
    port_ = FreePort();
    const std::filesystem::path config = folder / "tinyproxy.conf";
    std::ofstream(config) << "Port " << port_ << "\nListen 127.0.0.1\nAllow 127.0.0.1\nTimeout 30\n"
                          << "MaxClients 10\nLogLevel Critical\n";
    pid_ = ::fork();
    if (pid_ < 0) throw std::runtime_error("fork");
    if (pid_ == 0) {
      ::prctl(PR_SET_PDEATHSIG, SIGTERM);
      const std::string file = config.string();
      ::execlp("tinyproxy", "tinyproxy", "-d", "-c", file.c_str(), static_cast<char*>(nullptr));
      ::_exit(127);
    }
    for (int attempt = 0; attempt < 100 && !Accepts(); ++attempt) ::usleep(50'000);
    if (!Accepts()) throw std::runtime_error("tinyproxy did not start (is it installed?)");
  }
  TinyProxy(const TinyProxy&) = delete;
  TinyProxy& operator=(const TinyProxy&) = delete;
  ~TinyProxy() {
    ::kill(pid_, SIGTERM);
    ::waitpid(pid_, nullptr, 0);
  }

  std::string HostPort() const { return "127.0.0.1:" + std::to_string(port_); }

 private:
  static sockaddr_in Loopback(int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
  }
  static int FreePort() {
    const int socket = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = Loopback(0);
    socklen_t length = sizeof address;
    if (::bind(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::getsockname(socket, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
      ::close(socket);
      throw std::runtime_error("no free port");
    }
    ::close(socket);
    return ntohs(address.sin_port);
  }
  bool Accepts() const {
    const int socket = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = Loopback(port_);
    const bool connected = ::connect(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(socket);
    return connected;
  }

  pid_t pid_ = -1;
  int port_ = 0;
};

}  // namespace pellmark::testing
