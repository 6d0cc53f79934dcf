// The cause of a failure that the user is shown in the program's own words
// ("Price grid updating failed"), kept on standard error for whoever looks
// into it, so no catch-all loses what went wrong.
//
//   } catch (const std::exception& error) {
//     LogFailure("Price grid updating failed", error);
//     ui.ShowError("Price grid updating failed");
//   }
#pragma once

#include <exception>
#include <string_view>

namespace pellmark {

// Writes "pellmark: <shown>: <cause>" and a line end to standard error.
void LogFailure(std::string_view shown, const std::exception& cause);

}  // namespace pellmark
