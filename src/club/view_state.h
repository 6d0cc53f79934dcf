// The view state: what the screens remember between runs ("clubstaten.qdb",
// one 19-byte record). The three- and four-byte reserved areas are carried
// unchanged.
//
//   TViewState state = ReadViewState(folder, /*reset=*/false);
//   state.alldues = true;
//   WriteViewState(folder, state);
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

#include "club/record_layout.h"
#include "store/file_layer.h"

namespace pellmark {

struct TViewState {
  static constexpr std::size_t kSize = 19;
  static constexpr const char* kName = "view state";
  static constexpr std::uint8_t kNoPosition = 255;
  static const std::vector<FieldSpec<TViewState>>& Layout();

  bool taxable = true;              // last "Taxable" box of the entry dialog
  bool allprice = false;
  bool Allstock = true;
  bool alldues = false;
  bool allaccount = false;
  bool showhiddensecurities = false;
  bool showhiddenaccounts = false;
  bool showhiddenmembers = false;
  bool usecolor = true;             // "Use Color In Reports"
  std::uint8_t accountposition = kNoPosition;
  std::uint8_t memberposition = 0;
  std::uint8_t securityposition = 0;
  ByteImage image = DefaultImage();

 private:
  static ByteImage DefaultImage();
};

inline constexpr const char* kViewStateFileName = "clubstaten.qdb";
inline constexpr const char* kOldViewStateFileName = "clubstate.qdb";

// The view state of a club folder. With `reset` the defaults. Otherwise
// "clubstaten.qdb"; when that cannot be read, the older "clubstate.qdb", which is
// deleted after reading and switches colour printing on; else the defaults.
TViewState ReadViewState(const std::filesystem::path& folder, bool reset,
                         store::FileLayer& files = store::DefaultFileLayer());

// Replaces "clubstaten.qdb" (store::SaveFileAtomically); throws store::FileLayerError.
void WriteViewState(const std::filesystem::path& folder, const TViewState& state,
                    store::FileLayer& files = store::DefaultFileLayer());

}  // namespace pellmark
