// A real peer on 127.0.0.1 for the net tests: the scripted HTTP server or the
// forwarding proxy of http_peer.py, started on a port it chooses and stopped
// with the test. Every request head it received is kept, byte for byte.
//
//   HttpPeer server = HttpPeer::Server(folder, {"/d/quotes.csv=body:" + reply_file});
//   http.URL = server.Url("/d/quotes.csv?s=IBM");
//   ...
//   EXPECT_EQ(server.Requests()[0], "HEAD /d/quotes.csv?s=IBM HTTP/1.0\r\n...");
#pragma once

#include <signal.h>
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

}  // namespace pellmark::testing
