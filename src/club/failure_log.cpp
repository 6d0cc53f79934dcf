#include "club/failure_log.h"

#include <iostream>

namespace pellmark {

void LogFailure(std::string_view shown, const std::exception& cause) {
  std::cerr << "pellmark: " << shown << ": " << cause.what() << '\n';
}

}  // namespace pellmark
