#include "store/posix_file_view.h"

#include <sys/mman.h>

#include <cerrno>
#include <csetjmp>
#include <csignal>
#include <cstring>
#include <string>

namespace pellmark::store {
namespace {

// Set only while CopyAt copies, so the handler knows the fault is ours.
// Volatile: the compiler knows memcpy does not read it and would otherwise
// drop the store before the copy.
thread_local sigjmp_buf* volatile t_copy_escape = nullptr;
struct sigaction g_previous_bus_action {};

void OnBusError(int signal, siginfo_t* info, void* context) {
  if (sigjmp_buf* escape = t_copy_escape) siglongjmp(*escape, 1);
  if ((g_previous_bus_action.sa_flags & SA_SIGINFO) != 0) {
    g_previous_bus_action.sa_sigaction(signal, info, context);
  } else if (g_previous_bus_action.sa_handler != SIG_DFL && g_previous_bus_action.sa_handler != SIG_IGN) {
    g_previous_bus_action.sa_handler(signal);
  } else {
    // Returning runs the faulting instruction again, now under the default action.
    ::sigaction(SIGBUS, &g_previous_bus_action, nullptr);
  }
}

void CatchBusErrors() {
  static const bool installed = [] {
    struct sigaction action {};
    action.sa_sigaction = OnBusError;
    // SA_NODEFER: the handler leaves by siglongjmp without restoring a signal
    // mask (a system call per copy), so SIGBUS must not be blocked inside it.
    action.sa_flags = SA_SIGINFO | SA_NODEFER;
    sigemptyset(&action.sa_mask);
    return ::sigaction(SIGBUS, &action, &g_previous_bus_action) == 0;
  }();
  (void)installed;
}

}  // namespace

std::unique_ptr<FileView> PosixFileView::Map(FileHandle handle, std::uint64_t size) {
  CatchBusErrors();
  void* base = ::mmap(nullptr, static_cast<std::size_t>(size), PROT_READ, MAP_SHARED, handle, 0);
  if (base == MAP_FAILED) throw FileLayerError(errno, "file handle " + std::to_string(handle), "map");
  return std::unique_ptr<FileView>(new PosixFileView(static_cast<const char*>(base), size));
}

PosixFileView::~PosixFileView() { ::munmap(const_cast<char*>(base_), static_cast<std::size_t>(size_)); }

bool PosixFileView::CopyAt(std::uint64_t offset, std::span<char> out) const {
  if (offset > size_ || out.size() > size_ - offset) return false;
  sigjmp_buf escape;
  if (sigsetjmp(escape, 0) != 0) {
    t_copy_escape = nullptr;
    return false;
  }
  t_copy_escape = &escape;
  std::memcpy(out.data(), base_ + offset, out.size());
  t_copy_escape = nullptr;
  return true;
}

}  // namespace pellmark::store
