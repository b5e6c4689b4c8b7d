#include <gtest/gtest.h>

#include <random>

#include "media/media_fixtures.h"
#include "media/wav.h"
#include "support/test_support.h"

namespace tessera::test {
namespace {

class WavTest : public ::testing::Test {
 protected:
  // Writes `bytes` as a file and opens it; the result of WavOpen.
  int Open(const std::string& bytes) {
    dir_.Write("sound.wav", bytes);
    path_ = dir_ / "sound.wav";
    return WavOpen(path_.c_str(), file_, format_, riff_);
  }

  // Opens, finds the data and reads up to `count` bytes into `out`.
  int ReadAll(const std::string& bytes, uint32_t count, std::string& out, uint32_t& got) {
    got = 0;
    int r = Open(bytes);
    if (r != WAV_OK) return r;
    WaveChunk data;
    r = WavSeekData(file_.get(), riff_, data);
    if (r != WAV_OK) return r;
    out.assign(count, '\x55');
    r = WavRead(file_.get(), count, reinterpret_cast<uint8_t*>(out.data()), data, got);
    remaining_ = data.size;
    return r;
  }

  void ExpectNothingOpen() {
    EXPECT_EQ(file_, nullptr);
    EXPECT_EQ(format_, nullptr);
  }

  void TearDown() override { WavClose(file_, format_); }

  ScratchDir dir_;
  std::string path_;
  RiffFilePtr file_;
  WaveFormatPtr format_;
  WaveChunk riff_;
  uint32_t remaining_ = 0;
};

// ---- well-formed files ----

TEST_F(WavTest, PcmFileHandsOverItsFormatAndSamplesUnchanged) {
  const std::string samples = Pattern(1000, 7);
  std::string out;
  uint32_t got = 0;
  ASSERT_EQ(ReadAll(Riff("WAVE", PcmFmtChunk(2, 22050, 16) + Chunk("data", samples)), 1000, out, got), WAV_OK);
  EXPECT_EQ(format_->formatTag, 1);
  EXPECT_EQ(format_->channels, 2);
  EXPECT_EQ(format_->samplesPerSec, 22050u);
  EXPECT_EQ(format_->avgBytesPerSec, 88200u);
  EXPECT_EQ(format_->blockAlign, 4);
  EXPECT_EQ(format_->bitsPerSample, 16);
  EXPECT_EQ(format_->extraSize, 0);
  EXPECT_EQ(format_->RecordSize(), 18u);
  EXPECT_EQ(got, 1000u);
  EXPECT_EQ(out, samples);
  EXPECT_EQ(remaining_, 0u);
}

TEST_F(WavTest, OpenLeavesTheReaderJustAfterTheFormatChunk) {
  const std::string fmt = Chunk("fmt ", FormatFields(1, 1, 8000, 8) + "xyz");  // odd size: a pad byte follows
  ASSERT_EQ(Open(Riff("WAVE", fmt + Chunk("data", "ab"))), WAV_OK);
  EXPECT_EQ(file_->Tell(), 12u + fmt.size());
  EXPECT_EQ(riff_.dataOffset, 8u);
  EXPECT_EQ(riff_.formType, FourCC('W', 'A', 'V', 'E'));
}

TEST_F(WavTest, EighteenBytePcmFormatChunkSkipsItsLastTwoBytes) {
  const std::string fmt = Chunk("fmt ", FormatFields(1, 1, 11025, 8) + Le16(0x4444));
  std::string out;
  uint32_t got = 0;
  ASSERT_EQ(ReadAll(Riff("WAVE", fmt + Chunk("data", "wxyz")), 4, out, got), WAV_OK);
  EXPECT_EQ(format_->extraSize, 0);
  EXPECT_TRUE(format_->extra.empty());
  EXPECT_EQ(out, "wxyz");
}

TEST_F(WavTest, NonPcmFormatCarriesItsExtraBytes) {
  const std::string extra = "\x01\x02\x03\x04\x05";
  const std::string fmt = Chunk("fmt ", FormatFields(2, 1, 8000, 4) + Le16(5) + extra + "ignored");
  ASSERT_EQ(Open(Riff("WAVE", fmt + Chunk("data", "ab"))), WAV_OK);
  EXPECT_EQ(format_->formatTag, 2);
  EXPECT_EQ(format_->extraSize, 5);
  EXPECT_EQ(format_->RecordSize(), 23u);
  EXPECT_EQ(std::string(format_->extra.begin(), format_->extra.end()), extra);
}

TEST_F(WavTest, DataChunkIsFoundBeforeOrAfterFormatAndPastUnrelatedChunks) {
  const std::string samples = Pattern(33);
  const std::string layouts[] = {
      Chunk("data", samples) + PcmFmtChunk(1, 8000, 8),
      PcmFmtChunk(1, 8000, 8) + Chunk("LIST", Pattern(9)) + Chunk("fact", "1234") + Chunk("data", samples),
      Chunk("junk", Pattern(1)) + PcmFmtChunk(1, 8000, 8) + Chunk("cue ", Pattern(3)) + Chunk("data", samples),
  };
  for (const std::string& body : layouts) {
    SCOPED_TRACE(body.size());
    std::string out;
    uint32_t got = 0;
    ASSERT_EQ(ReadAll(Riff("WAVE", body), 33, out, got), WAV_OK);
    EXPECT_EQ(out, samples);
    EXPECT_EQ(format_->samplesPerSec, 8000u);
    WavClose(file_, format_);
  }
}

TEST_F(WavTest, ReadCountsTheDataChunkDownAndNeverPassesItsEnd) {
  ASSERT_EQ(Open(Riff("WAVE", PcmFmtChunk(1, 8000, 8) + Chunk("data", Pattern(10)) + Chunk("tail", "TTTT"))), WAV_OK);
  WaveChunk data;
  ASSERT_EQ(WavSeekData(file_.get(), riff_, data), WAV_OK);
  uint8_t buffer[64] = {};
  uint32_t got = 0;
  EXPECT_EQ(WavRead(file_.get(), 4, buffer, data, got), WAV_OK);
  EXPECT_EQ(got, 4u);
  EXPECT_EQ(data.size, 6u);
  // Asking for more than is left copies only the rest, not the next chunk.
  EXPECT_EQ(WavRead(file_.get(), 64, buffer, data, got), WAV_OK);
  EXPECT_EQ(got, 6u);
  EXPECT_EQ(buffer[0], 4);
  EXPECT_EQ(buffer[5], 9);
  EXPECT_EQ(buffer[6], 0);
  EXPECT_EQ(data.size, 0u);
  EXPECT_EQ(WavRead(file_.get(), 64, buffer, data, got), WAV_OK);
  EXPECT_EQ(got, 0u);
}

TEST_F(WavTest, ZeroLengthDataChunkReadsNothingCleanly) {
  std::string out;
  uint32_t got = 99;
  EXPECT_EQ(ReadAll(Riff("WAVE", PcmFmtChunk(1, 8000, 8) + Chunk("data", "")), 16, out, got), WAV_OK);
  EXPECT_EQ(got, 0u);
}

TEST_F(WavTest, CloseEmptiesFileAndFormat) {
  ASSERT_EQ(Open(PcmWav(10)), WAV_OK);
  EXPECT_EQ(WavClose(file_, format_), 0);
  ExpectNothingOpen();
  EXPECT_EQ(WavClose(file_, format_), 0);  // closing twice is harmless
}

TEST_F(WavTest, NamesWithBackslashesAndOtherLetterCaseAreFound) {
  dir_.Write("Sound/Bell.wav", PcmWav(10));
  const std::string composed = dir_.path() + "\\sound\\BELL.WAV";
  EXPECT_EQ(WavOpen(composed.c_str(), file_, format_, riff_), WAV_OK);
}

// ---- files that are not what they claim ----

TEST_F(WavTest, WrongContainerOrFormIsAFormatError) {
  EXPECT_EQ(Open("RIFX" + Le32(20) + "WAVE" + PcmFmtChunk(1, 8000, 8)), WAV_ERR_FORMAT);
  ExpectNothingOpen();
  EXPECT_EQ(Open(Riff("AVI ", PcmFmtChunk(1, 8000, 8))), WAV_ERR_FORMAT);
  ExpectNothingOpen();
  EXPECT_EQ(Open(Chunk("data", Pattern(40))), WAV_ERR_FORMAT);
  ExpectNothingOpen();
}

TEST_F(WavTest, MissingFileOrFolderIsAnOpenError) {
  const std::string missing = dir_ / "nothing.wav";
  EXPECT_EQ(WavOpen(missing.c_str(), file_, format_, riff_), WAV_ERR_OPEN);
  ExpectNothingOpen();
  EXPECT_EQ(WavOpen(dir_.path().c_str(), file_, format_, riff_), WAV_ERR_OPEN);
  EXPECT_EQ(WavOpen(nullptr, file_, format_, riff_), WAV_ERR_OPEN);
}

TEST_F(WavTest, FilesTooShortForAHeaderFailCleanly) {
  for (const std::string& bytes : {std::string(), std::string("RIF"), std::string("RIFF\x10\0\0\0", 8)}) {
    EXPECT_NE(Open(bytes), WAV_OK) << bytes.size();
    ExpectNothingOpen();
  }
}

TEST_F(WavTest, ShortFormatChunkIsAFormatError) {
  EXPECT_EQ(Open(Riff("WAVE", Chunk("fmt ", Pattern(14)) + Chunk("data", "ab"))), WAV_ERR_FORMAT);
  ExpectNothingOpen();
}

TEST_F(WavTest, FormatBytesCutOffByTheEndOfFileAreAReadError) {
  // A format chunk that claims 16 bytes in a file that ends after 10 of them.
  EXPECT_EQ(Open(Riff("WAVE", ChunkHeader("fmt ", 16) + FormatFields(1, 1, 8000, 8).substr(0, 10))), WAV_ERR_READ);
  ExpectNothingOpen();
  // A non-PCM format whose extra size is cut off.
  EXPECT_EQ(Open(Riff("WAVE", ChunkHeader("fmt ", 18) + FormatFields(2, 1, 8000, 4) + "\x05")), WAV_ERR_READ);
  ExpectNothingOpen();
}

TEST_F(WavTest, ExtraSizeBeyondTheFileIsAFormatError) {
  // 65535 announced, a handful present: refused without trusting the size.
  EXPECT_EQ(Open(Riff("WAVE", Chunk("fmt ", FormatFields(0x55, 1, 8000, 4) + Le16(0xFFFF) + "abc"))), WAV_ERR_FORMAT);
  ExpectNothingOpen();
  // One byte short of what is announced.
  EXPECT_EQ(Open(Riff("WAVE", ChunkHeader("fmt ", 22) + FormatFields(2, 1, 8000, 4) + Le16(5) + "abcd")),
            WAV_ERR_FORMAT);
  ExpectNothingOpen();
}

TEST_F(WavTest, MissingChunksAreReportedNotInvented) {
  EXPECT_NE(Open(Riff("WAVE", Chunk("data", Pattern(8)))), WAV_OK);  // no "fmt "
  ExpectNothingOpen();
  ASSERT_EQ(Open(Riff("WAVE", PcmFmtChunk(1, 8000, 8) + Chunk("junk", "zz"))), WAV_OK);  // no "data"
  WaveChunk data;
  EXPECT_NE(WavSeekData(file_.get(), riff_, data), WAV_OK);
}

TEST_F(WavTest, DataChunkLongerThanTheFileIsTruncated) {
  std::string out;
  uint32_t got = 77;
  const std::string fmt = PcmFmtChunk(1, 8000, 8);
  // Both the RIFF chunk and the data chunk claim the 5000 bytes the file lacks.
  const std::string bytes = "RIFF" + Le32(static_cast<uint32_t>(4 + fmt.size() + 8 + 5000)) + "WAVE" + fmt +
                            ChunkHeader("data", 5000) + Pattern(100);
  EXPECT_EQ(ReadAll(bytes, 5000, out, got), WAV_ERR_TRUNCATED);
  EXPECT_EQ(got, 0u);
}

TEST_F(WavTest, ChunkSizesPastTheEndOfFileEndTheSearch) {
  // An unrelated chunk claiming 4 GiB before "fmt ": the search must stop, not wrap or spin.
  EXPECT_EQ(Open(Riff("WAVE", ChunkHeader("junk", 0xFFFFFFFF) + PcmFmtChunk(1, 8000, 8))), WAV_ERR_CHUNK_NOT_FOUND);
  ExpectNothingOpen();
  // The same between "fmt " and "data".
  ASSERT_EQ(Open(Riff("WAVE", PcmFmtChunk(1, 8000, 8) + ChunkHeader("junk", 0xFFFFFFFE) + Chunk("data", "ab"))),
            WAV_OK);
  WaveChunk data;
  EXPECT_EQ(WavSeekData(file_.get(), riff_, data), WAV_ERR_CHUNK_NOT_FOUND);
}

TEST_F(WavTest, ChildrenOutsideTheRiffChunkAreNotSearched) {
  // The RIFF chunk claims only its form type; its "fmt " lies outside it.
  EXPECT_EQ(Open("RIFF" + Le32(4) + "WAVE" + PcmFmtChunk(1, 8000, 8) + Chunk("data", "ab")), WAV_ERR_CHUNK_NOT_FOUND);
  ExpectNothingOpen();
}

TEST_F(WavTest, RiffSizeLargerThanTheFileStillReadsWhatIsThere) {
  std::string out;
  uint32_t got = 0;
  const std::string body = PcmFmtChunk(1, 8000, 8) + Chunk("data", "abcd");
  EXPECT_EQ(ReadAll("RIFF" + Le32(0xFFFFFFF0) + "WAVE" + body, 4, out, got), WAV_OK);
  EXPECT_EQ(out, "abcd");
}

// Random damage to a valid file: every outcome is a code, and a read never
// reports more than was asked for or than the file holds.
TEST_F(WavTest, DamagedFilesNeverCrashOrOverread) {
  const std::string good = Riff("WAVE", Chunk("fmt ", FormatFields(2, 2, 8000, 4) + Le16(4) + "eeee") +
                                            Chunk("junk", Pattern(7)) + Chunk("data", Pattern(200)));
  std::mt19937 random(1234);
  int opened = 0;
  for (int round = 0; round < 400; ++round) {
    std::string bytes = good;
    const int hits = 1 + static_cast<int>(random() % 6);
    for (int h = 0; h < hits; ++h) bytes[random() % bytes.size()] = static_cast<char>(random());
    if (round % 5 == 0) bytes.resize(random() % bytes.size());
    std::string out;
    uint32_t got = 0;
    const int r = ReadAll(bytes, 4096, out, got);
    if (r == WAV_OK) {
      ++opened;
      EXPECT_LE(got, bytes.size());
    } else {
      EXPECT_EQ(got, 0u);
    }
    WavClose(file_, format_);
  }
  EXPECT_GT(opened, 0);  // the damage left some files readable, so both paths ran
}

}  // namespace
}  // namespace tessera::test
