#include "club/view_state.h"

#include "store/whole_files.h"

namespace pellmark {

const std::vector<FieldSpec<TViewState>>& TViewState::Layout() {
  using R = TViewState;
  static const std::vector<FieldSpec<R>> layout = {
      {"taxable", 0, &R::taxable},
      {"allprice", 1, &R::allprice},
      {"Allstock", 2, &R::Allstock},
      {"alldues", 3, &R::alldues},
      {"allaccount", 4, &R::allaccount},
      {"showhiddensecurities", 5, &R::showhiddensecurities},
      {"showhiddenaccounts", 6, &R::showhiddenaccounts},
      {"showhiddenmembers", 7, &R::showhiddenmembers},
      {"usecolor", 8, &R::usecolor},
      {"accountposition", 12, &R::accountposition},
      {"memberposition", 13, &R::memberposition},
      {"securityposition", 14, &R::securityposition}};
  return layout;
}

ByteImage TViewState::DefaultImage() {
  ByteImage image(kSize);
  image.PutByte(12, kNoPosition);
  return image;
}

namespace {

std::optional<TViewState> ReadStateFile(store::FileLayer& files, const std::filesystem::path& file) {
  auto bytes = store::TryReadWholeFile(files, file);
  if (!bytes || bytes->size() < TViewState::kSize) return std::nullopt;
  return DecodeRecord<TViewState>(std::string_view(*bytes).substr(0, TViewState::kSize));
}

}  // namespace

TViewState ReadViewState(const std::filesystem::path& folder, bool reset, store::FileLayer& files) {
  if (reset) return {};
  if (auto state = ReadStateFile(files, folder / kViewStateFileName)) return *state;
  const std::filesystem::path old_file = folder / kOldViewStateFileName;
  if (auto state = ReadStateFile(files, old_file)) {
    try {
      files.Remove(old_file);
    } catch (const store::FileLayerError&) {
      // An old file that stays is read again next time, to the same effect.
    }
    state->usecolor = true;
    return *state;
  }
  return {};
}

void WriteViewState(const std::filesystem::path& folder, const TViewState& state, store::FileLayer& files) {
  store::SaveFileAtomically(files, folder / kViewStateFileName, EncodeRecord(state));
}

}  // namespace pellmark
