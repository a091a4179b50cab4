// Mode files: layout, older versions, rejected files, safe saving and the name rule.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <random>

#include "params/byte_order.h"
#include "params/file_read.h"
#include "params/mode_file.h"
#include "params/room.h"

namespace ax7 {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

// Fills every block with a pattern that differs per block, per position and per seed, so any
// misplaced or missing byte shows.
void fillPattern(ParameterMemory& mem, uint32_t seed) {
  for (int n = 0; n < kPcWords; ++n) mem.pc.setRaw(size_t(n), seed * 0x01000193u + uint32_t(n));
  for (size_t i = 0; i < kBoxImageSize; ++i) mem.boxImage.set(i, uint8_t(i * 7 + seed));
  for (size_t i = 0; i < kRoomTrimSize; ++i) mem.roomTrim.set(i, uint8_t(0xA0 + i + seed));
  for (size_t i = 0; i < kRoomBlockSize; ++i) mem.roomBlock.set(i, uint8_t(i * 13 + seed));
  DecodeRoomBlock(mem);
}

// Everything a load may change, for comparing before and after.
struct Contents {
  std::vector<uint32_t> pc;
  std::array<uint8_t, kBoxImageSize> boxImage;
  std::array<uint8_t, kRoomTrimSize> roomTrim;
  std::array<uint8_t, kRoomBlockSize> roomBlock;
  std::vector<float> room;
  bool operator==(const Contents&) const = default;
};

Contents contents(const ParameterMemory& mem) {
  Contents c{{}, mem.boxImage.snapshot(), mem.roomTrim.snapshot(), mem.roomBlock.snapshot(), {}};
  for (int n = 0; n < kPcWords; ++n) c.pc.push_back(mem.pc.raw(size_t(n)));
  c.room = {float(mem.room.width()), float(mem.room.length())};
  for (int i = 2; i < kRoomBlockSize; ++i) c.room.push_back(mem.room.coord(i));
  return c;
}

class ModeFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::random_device rd;
    dir_ = fs::temp_directory_path() /
           ("ax7-params-" + std::to_string(::getpid()) + "-" + std::to_string(rd()));
    fs::create_directories(dir_);
  }
  void TearDown() override {
    std::error_code ec;
    fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(dir_, ec);
  }

  std::string path(const std::string& name) const { return (dir_ / name).string(); }

  static void writeFile(const std::string& p, const std::vector<uint8_t>& bytes) {
    std::ofstream(p, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  }
  static std::vector<uint8_t> readFile(const std::string& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  // Only the files a test made itself; a failed save must leave no temporary behind.
  std::vector<std::string> listing() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir_)) names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }

  fs::path dir_;
};

TEST_F(ModeFileTest, SaveAndLoadRestoreEveryBlock) {
  ParameterMemory saved;
  fillPattern(saved, 1);
  const std::string file = path("preset.px44t");
  ModeFileResult w = SaveModeFile(saved, file);
  ASSERT_TRUE(w.ok) << w.error;

  std::vector<uint8_t> bytes = readFile(file);
  ASSERT_EQ(bytes.size(), size_t(kModeFileSize));
  EXPECT_EQ(bytes, ModeFileBytes(saved));
  // Parts at their offsets: version, PC words little-endian, then the raw blocks.
  EXPECT_EQ(getLe32(&bytes[0]), 5u);
  EXPECT_EQ(getLe32(&bytes[4]), saved.pc.raw(0));
  EXPECT_EQ(getLe32(&bytes[4 + 4 * 206]), saved.pc.raw(206));
  EXPECT_EQ(bytes[832], saved.boxImage.get(0));
  EXPECT_EQ(bytes[2077], saved.boxImage.get(kBoxImageSize - 1));
  EXPECT_EQ(bytes[2078], saved.roomTrim.get(0));
  EXPECT_EQ(bytes[2110], saved.roomBlock.get(0));
  EXPECT_EQ(bytes[2129], saved.roomBlock.get(19));

  ParameterMemory loaded;
  fillPattern(loaded, 2);
  ModeFileResult r = LoadModeFile(loaded, file);
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(r.version, 5);
  EXPECT_EQ(contents(loaded), contents(saved));  // room values decoded as well
  EXPECT_THAT(listing(), ::testing::ElementsAre("preset.px44t"));
}

// Each older version fills only the parts it has; trailing bytes beyond them are ignored.
TEST_F(ModeFileTest, OlderVersionsLeaveMissingPartsAlone) {
  struct {
    uint32_t version;
    int pcWords;
    bool trim, block;
    size_t size;
  } versions[] = {{1, 196, false, false, 2034},
                  {2, 196, true, false, 2066},
                  {3, 199, true, false, 2078},
                  {4, 199, true, true, 2098},
                  {5, 207, true, true, 2130}};
  ParameterMemory source;
  fillPattern(source, 3);
  const std::vector<uint8_t> v5 = ModeFileBytes(source);

  for (const auto& v : versions) {
    for (size_t extra : {size_t(0), size_t(17)}) {
      SCOPED_TRACE("version " + std::to_string(v.version) + " extra " + std::to_string(extra));
      // An older file is the current layout cut short at the version's parts.
      std::vector<uint8_t> file(v5.begin(), v5.begin() + ptrdiff_t(4 + 4 * v.pcWords));
      file.insert(file.end(), v5.begin() + 832, v5.begin() + 2078);
      if (v.trim) file.insert(file.end(), v5.begin() + 2078, v5.begin() + 2110);
      if (v.block) file.insert(file.end(), v5.begin() + 2110, v5.end());
      ASSERT_EQ(file.size(), v.size);
      putLe32(file.data(), v.version);
      file.resize(file.size() + extra, 0xEE);

      ParameterMemory mem;
      fillPattern(mem, 4);
      mem.room.setWidth(77);  // not what its block says: shows whether the block was decoded
      const Contents before = contents(mem);
      ModeFileResult r = LoadModeFileBytes(mem, file.data(), file.size());
      ASSERT_TRUE(r.ok) << r.error;
      EXPECT_EQ(r.version, int(v.version));

      const Contents after = contents(mem), expected = contents(source);
      for (int n = 0; n < kPcWords; ++n) {
        EXPECT_EQ(after.pc[n], (n < v.pcWords ? expected : before).pc[n]) << "word " << n;
      }
      EXPECT_EQ(after.boxImage, expected.boxImage);
      EXPECT_EQ(after.roomTrim, (v.trim ? expected : before).roomTrim);
      EXPECT_EQ(after.roomBlock, (v.block ? expected : before).roomBlock);
      EXPECT_EQ(after.room, (v.block ? expected : before).room);
    }
  }
}

TEST_F(ModeFileTest, RejectedFilesLeaveMemoryUntouched) {
  ParameterMemory source;
  fillPattern(source, 5);
  const std::vector<uint8_t> v5 = ModeFileBytes(source);
  auto withVersion = [&](uint32_t version, size_t size) {
    std::vector<uint8_t> b(v5.begin(), v5.begin() + ptrdiff_t(size));
    if (size >= 4) putLe32(b.data(), version);
    return b;
  };
  struct {
    const char* what;
    std::vector<uint8_t> bytes;
    const char* message;
  } cases[] = {
      {"version 6", withVersion(6, 2130), "unsupported mode file version 6"},
      {"version 0", withVersion(0, 2130), "unsupported mode file version 0"},
      {"huge version", withVersion(0xFFFFFFFF, 2130), "unsupported mode file version 4294967295"},
      {"v5 one byte short", withVersion(5, 2129), "2129 bytes, expected 2130"},
      {"v1 one byte short", withVersion(1, 2033), "2033 bytes, expected 2034"},
      {"v4 without room block", withVersion(4, 2078), "2078 bytes, expected 2098"},
      {"no room for a version", withVersion(5, 3), "3 bytes, expected at least 4"},
      {"empty", {}, "0 bytes"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string file = path("bad.px44t");
    writeFile(file, c.bytes);
    ParameterMemory mem;
    fillPattern(mem, 6);
    const Contents before = contents(mem);
    ModeFileResult r = LoadModeFile(mem, file);
    EXPECT_FALSE(r.ok);
    EXPECT_THAT(r.error, HasSubstr(c.message));
    EXPECT_THAT(r.error, HasSubstr(file));
    EXPECT_EQ(r.error.find('\n'), std::string::npos);
    EXPECT_EQ(contents(mem), before);
  }
}

TEST_F(ModeFileTest, LoadReportsFilesThatCannotBeRead) {
  ParameterMemory mem;
  fillPattern(mem, 7);
  const Contents before = contents(mem);
  struct {
    std::string file;
    int err;
  } cases[] = {{path("missing.px44t"), ENOENT}, {dir_.string(), EISDIR}};
  for (const auto& c : cases) {
    ModeFileResult r = LoadModeFile(mem, c.file);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.systemError, c.err) << c.file;
    EXPECT_THAT(r.error, HasSubstr(c.file));
    EXPECT_THAT(r.error, HasSubstr(std::generic_category().message(c.err)));
  }
  EXPECT_EQ(contents(mem), before);
}

// What the user names need not be a file that ends: a pipe would block the reader forever and
// /dev/zero never ends. Such files are refused before anything waits on them, and a file is
// read only up to the limit.
TEST_F(ModeFileTest, ReadInputFileRefusesWhatIsNoRegularFileAndKeepsToTheLimit) {
  ASSERT_EQ(::mkfifo(path("fifo").c_str(), 0600), 0);
  fs::create_directory(path("folder"));
  writeFile(path("ten"), std::vector<uint8_t>(10, 0x5A));
  writeFile(path("empty"), {});
  fs::create_symlink(path("ten"), path("link"));
  struct Case {
    std::string file;
    size_t limit;
    bool ok;
    size_t bytes;
    bool truncated;
    int err;
    const char* reason;
  } cases[] = {
      {path("fifo"), 100, false, 0, false, 0, "pipe"},
      {path("folder"), 100, false, 0, false, EISDIR, "Is a directory"},
      {"/dev/zero", 100, false, 0, false, 0, "device"},
      {path("missing"), 100, false, 0, false, ENOENT, "No such file"},
      {path("ten"), 100, true, 10, false, 0, ""},
      {path("ten"), 10, true, 10, false, 0, ""},
      {path("ten"), 9, true, 9, true, 0, ""},
      {path("ten"), 0, true, 0, true, 0, ""},
      {path("empty"), 0, true, 0, false, 0, ""},
      {path("link"), 100, true, 10, false, 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file + " limit " + std::to_string(c.limit));
    const InputFile f = ReadInputFile(c.file, c.limit);
    EXPECT_EQ(f.ok, c.ok);
    EXPECT_EQ(f.bytes.size(), c.bytes);
    EXPECT_EQ(f.truncated, c.truncated);
    EXPECT_EQ(f.systemError, c.err);
    EXPECT_THAT(f.reason, HasSubstr(c.reason));
  }

  // The desktop program's loader refuses the pipe with the open-failure message box.
  ParameterMemory mem;
  fillPattern(mem, 3);
  const Contents before = contents(mem);
  const ModeFileResult r = LoadModeFile(mem, path("fifo"));
  EXPECT_FALSE(r.ok);
  EXPECT_NE(r.systemError, 0);
  EXPECT_THAT(r.error, HasSubstr(path("fifo")));
  EXPECT_THAT(r.error, HasSubstr("pipe"));
  EXPECT_EQ(contents(mem), before);
}

// Save targets: a chain of links and a dangling link are followed (the link stays), a name
// that nearly fills the folder's limit still gets its temporary, and a file nobody may write
// is protected even from root.
TEST_F(ModeFileTest, SaveFollowsLinksHandlesLongNamesAndKeepsProtectedFiles) {
  ParameterMemory mem;
  fillPattern(mem, 11);
  const std::vector<uint8_t> bytes = ModeFileBytes(mem);

  fs::create_symlink("target.px44t", path("dangling.px44t"));
  fs::create_symlink(path("dangling.px44t"), path("chain.px44t"));
  ModeFileResult r = SaveModeFile(mem, path("chain.px44t"));
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_TRUE(fs::is_symlink(path("chain.px44t")));
  EXPECT_TRUE(fs::is_symlink(path("dangling.px44t")));
  EXPECT_EQ(readFile(path("target.px44t")), bytes);

  fs::create_symlink("loop-b.px44t", path("loop-a.px44t"));
  fs::create_symlink("loop-a.px44t", path("loop-b.px44t"));
  r = SaveModeFile(mem, path("loop-a.px44t"));
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.systemError, ELOOP);
  EXPECT_THAT(r.error, HasSubstr(path("loop-a.px44t")));

  for (size_t length : {245u, 255u}) {
    const std::string name = std::string(length - 6, 'x') + ".px44t";
    r = SaveModeFile(mem, path(name));
    ASSERT_TRUE(r.ok) << length << ": " << r.error;
    EXPECT_EQ(readFile(path(name)), bytes);
  }

  const std::vector<uint8_t> old(100, 0x42);
  writeFile(path("readonly.px44t"), old);
  fs::permissions(path("readonly.px44t"), fs::perms::owner_read | fs::perms::others_read);
  r = SaveModeFile(mem, path("readonly.px44t"));
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.systemError, EACCES);
  EXPECT_THAT(r.error, HasSubstr(path("readonly.px44t")));
  EXPECT_EQ(readFile(path("readonly.px44t")), old);

  ASSERT_EQ(::mkfifo(path("fifo.px44t").c_str(), 0600), 0);
  r = SaveModeFile(mem, path("fifo.px44t"));
  EXPECT_FALSE(r.ok);
  EXPECT_THAT(r.error, HasSubstr("not a regular file"));
  EXPECT_EQ(fs::status(path("fifo.px44t")).type(), fs::file_type::fifo);

  for (const std::string& name : listing()) EXPECT_EQ(name.find(".tmp"), std::string::npos) << name;
}

TEST_F(ModeFileTest, SaveReplacesOldFileKeepingItsPermissionsAndLinks) {
  ParameterMemory mem;
  fillPattern(mem, 8);
  const std::string real = path("real.px44t"), link = path("link.px44t");
  writeFile(real, std::vector<uint8_t>(3000, 0x11));  // longer than a mode file
  fs::permissions(real, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  fs::create_symlink(real, link);

  ModeFileResult r = SaveModeFile(mem, link);
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(readFile(real), ModeFileBytes(mem));
  EXPECT_EQ(fs::status(real).permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_THAT(listing(), ::testing::ElementsAre("link.px44t", "real.px44t"));
}

TEST_F(ModeFileTest, FailedSaveKeepsOldFileAndLeavesNoTemporary) {
  ParameterMemory mem;
  fillPattern(mem, 9);
  const std::vector<uint8_t> old(100, 0x42);
  const std::string oldFile = path("old.px44t");
  writeFile(oldFile, old);

  const std::string missingFolder = path("no-such-folder/preset.px44t");
  ModeFileResult r = SaveModeFile(mem, missingFolder);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.systemError, ENOENT);
  EXPECT_THAT(r.error, HasSubstr(missingFolder));
  EXPECT_THAT(r.error, HasSubstr(std::generic_category().message(ENOENT)));
  EXPECT_EQ(r.error.find('\n'), std::string::npos);

  // A folder in the file's place: everything is written, then the final rename fails.
  fs::create_directory(path("taken.px44t"));
  r = SaveModeFile(mem, path("taken.px44t"));
  EXPECT_FALSE(r.ok);
  EXPECT_TRUE(fs::is_directory(path("taken.px44t")));

  EXPECT_THAT(listing(), ::testing::ElementsAre("old.px44t", "taken.px44t"));
  EXPECT_EQ(readFile(oldFile), old);
}

TEST_F(ModeFileTest, SaveRespectsWriteProtection) {
  if (::geteuid() == 0) GTEST_SKIP() << "permissions do not bind root";
  ParameterMemory mem;
  fillPattern(mem, 10);
  const std::vector<uint8_t> old(100, 0x42);
  const std::string protectedFile = path("protected.px44t");
  writeFile(protectedFile, old);
  fs::permissions(protectedFile, fs::perms::owner_read);

  ModeFileResult r = SaveModeFile(mem, protectedFile);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.systemError, EACCES);

  // A read-only folder cannot take the temporary, so its files stay as they are.
  fs::permissions(protectedFile, fs::perms::owner_read | fs::perms::owner_write);
  fs::permissions(dir_, fs::perms::owner_read | fs::perms::owner_exec);
  r = SaveModeFile(mem, protectedFile);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.systemError, EACCES);
  EXPECT_EQ(readFile(protectedFile), old);
  EXPECT_THAT(listing(), ::testing::ElementsAre("protected.px44t"));
}

TEST(BoxModeFromFileNameTest, NameRule) {
  struct {
    const char* path;
    int mode;
  } cases[] = {
      {"M2 Party.px44t", 1},
      {"am1.px44t", -1},
      {"m4", 3},
      {"m1.backup.px44t", 0},
      {"M3 living room.px44t", 2},
      {"song m3.px44t", -1},
      {"/home/m1/party.px44t", -1},  // the folder does not count
      {"/home/u/M4.PX44T", 3},
      {"m5.px44t", -1},
      {"m.px44t", -1},
      {"m2.", 1},
      {".px44t", -1},
      {".m1", -1},  // a leading dot is all name
      {"", -1},
      {"/home/u/", -1},
  };
  for (const auto& c : cases) EXPECT_EQ(BoxModeFromFileName(c.path), c.mode) << c.path;
}

}  // namespace
}  // namespace ax7
