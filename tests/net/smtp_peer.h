// Real SMTP peers on 127.0.0.1 for the mail tests (smtp_peer.py): Debian's
// aiosmtpd, or a scripted peer for the failures a real server rarely shows
// (a 421 greeting, silence, a close in the middle of DATA). Started on a port
// the peer chooses, stopped with the test; what it received is read back from
// its folder.
//
//   SmtpPeer server = SmtpPeer::Server(folder, {"--refuse", "bob@example.com"});
//   SendMail({.host = "127.0.0.1", .port = server.Port()}, message, boundary);
//   ReceivedMail mail = server.Message(0);
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace pellmark::testing {

inline std::string FileBytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// One message as the server received it, parsed by Python's email package.
struct ReceivedMail {
  std::string from;
  std::vector<std::string> recipients;
  std::vector<std::string> headers;  // "Name: value", in order
  std::string raw;                   // the data as received, dots unstuffed
  std::string body;                  // the text part
  struct Attachment {
    std::string filename;
    std::string content_type;
    std::string bytes;
  };
  std::vector<Attachment> attachments;

  std::string Header(const std::string& name) const {
    for (const std::string& header : headers) {
      if (header.starts_with(name + ": ")) return header.substr(name.size() + 2);
    }
    return "(none)";
  }
};

class SmtpPeer {
 public:
  static SmtpPeer Server(const std::filesystem::path& folder, std::vector<std::string> options = {}) {
    options.insert(options.begin(), "server");
    return SmtpPeer(folder, options);
  }
  static SmtpPeer Script(const std::filesystem::path& folder, std::vector<std::string> options = {}) {
    options.insert(options.begin(), "script");
    return SmtpPeer(folder, options);
  }

  SmtpPeer(SmtpPeer&& other) noexcept : out_(std::move(other.out_)), pid_(other.pid_), port_(other.port_) {
    other.pid_ = -1;
  }
  SmtpPeer& operator=(SmtpPeer&&) = delete;
  ~SmtpPeer() {
    if (pid_ > 0) {
      ::kill(pid_, SIGTERM);
      ::waitpid(pid_, nullptr, 0);
    }
  }

  int Port() const { return port_; }
  std::string HostPort() const { return "127.0.0.1:" + std::to_string(port_); }

  bool HasMessage(int number) const { return std::filesystem::exists(out_ / (std::to_string(number) + ".txt")); }

  ReceivedMail Message(int number) const {
    const std::string stem = std::to_string(number);
    if (!HasMessage(number)) throw std::runtime_error("the server received no message " + stem);
    ReceivedMail mail;
    mail.raw = FileBytes(out_ / (stem + ".raw"));
    mail.body = FileBytes(out_ / (stem + ".body"));
    std::istringstream summary(FileBytes(out_ / (stem + ".txt")));
    for (std::string line; std::getline(summary, line);) {
      if (line.starts_with("FROM ")) mail.from = line.substr(5);
      if (line.starts_with("RCPT ")) mail.recipients.push_back(line.substr(5));
      if (line.starts_with("HEADER ")) mail.headers.push_back(line.substr(7));
      if (line.starts_with("ATTACH ")) {
        std::istringstream fields(line.substr(7));
        std::string index;
        ReceivedMail::Attachment attachment;
        fields >> index >> attachment.filename >> attachment.content_type;
        attachment.bytes = FileBytes(out_ / (stem + ".att" + index));
        mail.attachments.push_back(std::move(attachment));
      }
    }
    return mail;
  }

  // What a scripted peer received, byte for byte.
  std::string Dialogue() const { return FileBytes(out_ / "dialogue.log"); }
  // The logins the server saw: "<mechanism> <user> <password>" lines.
  std::string Logins() const { return FileBytes(out_ / "auth.txt"); }

 private:
  SmtpPeer(const std::filesystem::path& folder, std::vector<std::string> args) : out_(folder / "peer") {
    std::filesystem::create_directories(out_);
    args.push_back("--out");
    args.push_back(out_.string());
    int out[2];
    if (::pipe(out) != 0) throw std::runtime_error("pipe");
    pid_ = ::fork();
    if (pid_ < 0) throw std::runtime_error("fork");
    if (pid_ == 0) {
      ::prctl(PR_SET_PDEATHSIG, SIGTERM);
      ::dup2(out[1], STDOUT_FILENO);
      // The peer's own complaints (a refused certificate, a dropped client) go to its log.
      const int log = ::open((out_ / "peer.log").c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
      if (log >= 0) ::dup2(log, STDERR_FILENO);
      ::close(out[0]);
      ::close(out[1]);
      // Debian's own Python, where python3-aiosmtpd is installed.
      std::vector<char*> argv = {const_cast<char*>(PELLMARK_SYSTEM_PYTHON), const_cast<char*>(PELLMARK_SMTP_PEER)};
      for (std::string& arg : args) argv.push_back(arg.data());
      argv.push_back(nullptr);
      ::execv(PELLMARK_SYSTEM_PYTHON, argv.data());
      ::_exit(127);
    }
    ::close(out[1]);
    std::string line;
    char c = 0;
    while (::read(out[0], &c, 1) == 1 && c != '\n') line += c;
    ::close(out[0]);
    port_ = line.empty() ? 0 : std::stoi(line);
    if (port_ == 0) throw std::runtime_error("the SMTP peer did not start (is python3-aiosmtpd installed?)");
  }

  std::filesystem::path out_;
  pid_t pid_ = -1;
  int port_ = 0;
};

// A self-signed certificate for 127.0.0.1, made with openssl for the test.
struct TestCertificate {
  std::filesystem::path cert;
  std::filesystem::path key;

  static TestCertificate Make(const std::filesystem::path& folder) {
    TestCertificate made{folder / "cert.pem", folder / "key.pem"};
    const std::string command = "openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj /CN=127.0.0.1 "
                                "-addext subjectAltName=IP:127.0.0.1 -keyout '" +
                                made.key.string() + "' -out '" + made.cert.string() + "' 2>/dev/null";
    if (std::system(command.c_str()) != 0) throw std::runtime_error("openssl could not make a certificate");
    return made;
  }
};

}  // namespace pellmark::testing
