// The memory file layer answers as the POSIX one does: the same random
// sequence of file and folder operations is run on both, and every result, and
// whether each call failed, must agree.
#include "store/memory_file_layer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "store/posix_file_layer.h"
#include "store/whole_files.h"
#include "support/property_seed.h"
#include "support/temp_folder.h"

namespace pellmark::store {
namespace {

namespace fs = std::filesystem;

// One layer under its own root, with every call's result written down as text.
struct Side {
  FileLayer& files;
  fs::path root;
  std::vector<std::string> log;

  template <class Call>
  void Note(const std::string& what, Call&& call) {
    try {
      log.push_back(what + " -> " + call());
    } catch (const FileLayerError&) {
      log.push_back(what + " -> failed");
    }
  }
};

std::string Listing(FileLayer& files, const fs::path& folder) {
  std::vector<std::string> names;
  for (const FolderEntry& entry : files.ListFolder(folder)) names.push_back(entry.name + (entry.folder ? "/" : ""));
  std::sort(names.begin(), names.end());
  std::string text;
  for (const std::string& name : names) text += name + " ";
  return text;
}

TEST(MemoryFileLayer, AnswersEveryCallAsThePosixLayerDoes) {
  const unsigned seed = testing::PropertySeed();
  SCOPED_TRACE("PELLMARK_SEED=" + std::to_string(seed));
  std::mt19937 random(seed);
  testing::TempFolder disk;
  PosixFileLayer posix;
  MemoryFileLayer memory;
  memory.CreateFolder("/mem");
  Side sides[] = {{posix, disk.Path(), {}}, {memory, "/mem", {}}};

  const std::vector<std::string> folders = {"a", "b", "a/c", "x"};
  const std::vector<std::string> names = {"x", "y", "a/x", "a/c/z", "b/y", "a/c"};
  auto pick = [&](const std::vector<std::string>& from) {
    return from[std::uniform_int_distribution<std::size_t>(0, from.size() - 1)(random)];
  };
  for (int step = 0; step < 3000; ++step) {
    const int operation = std::uniform_int_distribution<int>(0, 8)(random);
    const std::string name = pick(operation == 0 || operation == 6 ? folders : names);
    const std::string other = pick(names);
    const std::string text(std::uniform_int_distribution<std::size_t>(0, 40)(random), static_cast<char>('a' + step % 26));
    const std::uint64_t offset = std::uniform_int_distribution<std::uint64_t>(0, 30)(random);
    for (Side& side : sides) {
      FileLayer& files = side.files;
      const fs::path path = side.root / name;
      switch (operation) {
        case 0: side.Note("create folder " + name, [&] { files.CreateFolder(path); return std::string(); }); break;
        case 1:
          side.Note("write " + name, [&] {
            OpenFile file(files, path, offset % 2 == 0 ? OpenMode::kCreate : OpenMode::kReadWrite);
            files.WriteAt(file.Handle(), offset, text);
            return std::to_string(files.Size(file.Handle()));
          });
          break;
        case 2: side.Note("read " + name, [&] { return ReadWholeFile(files, path); }); break;
        case 3: side.Note("rename " + name + " " + other, [&] {
            files.Rename(path, side.root / other);
            return std::string();
          });
          break;
        case 4: side.Note("remove " + name, [&] { files.Remove(path); return std::string(); }); break;
        case 5:
          side.Note("kind " + name, [&] {
            return std::to_string(static_cast<int>(files.KindOf(path))) + std::to_string(files.Exists(path)) +
                   std::to_string(files.IsFolder(path));
          });
          break;
        case 6: side.Note("remove folder " + name, [&] { files.RemoveFolder(path); return std::string(); }); break;
        case 7: side.Note("list " + name, [&] { return Listing(files, path); }); break;
        case 8:
          side.Note("create new " + name, [&] {
            OpenFile file(files, path, OpenMode::kCreateNew);
            return std::to_string(files.Size(file.Handle()));
          });
          break;
      }
    }
    ASSERT_EQ(sides[0].log.back(), sides[1].log.back()) << "step " << step;
  }
  EXPECT_EQ(Listing(posix, disk.Path()), Listing(memory, "/mem"));
}

TEST(MemoryFileLayer, AViewSeesLaterWritesAndALockIsHeldUntilItGoes) {
  MemoryFileLayer files;
  files.CreateFolder("/club");
  OpenFile file(files, "/club/data", OpenMode::kCreate);
  files.WriteAt(file.Handle(), 0, std::string("abcd"));
  const std::unique_ptr<FileView> view = files.Map(file.Handle(), 4);
  files.WriteAt(file.Handle(), 1, std::string("XY"));
  char out[4] = {};
  ASSERT_TRUE(view->CopyAt(0, out));
  EXPECT_EQ(std::string(out, 4), "aXYd");
  EXPECT_FALSE(view->CopyAt(2, std::span<char>(out, 3)));

  std::string holder;
  std::unique_ptr<FileLock> first = files.TryLock("/club/lock", "41\n", holder);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(files.TryLock("/club/lock", "42\n", holder), nullptr);
  EXPECT_EQ(holder, "41\n");
  first.reset();
  EXPECT_NE(files.TryLock("/club/lock", "42\n", holder), nullptr);
  EXPECT_EQ(files.Contents("/club/lock"), "42\n");
}

}  // namespace
}  // namespace pellmark::store
