// The ZIP layer on libzip. Archives are opened with libzip's consistency
// checks (every local header against the central directory) and read through
// its decompressors and CRC checks; sizes are counted here as the bytes come.
#include "platform/zip_archive.h"

#include <zip.h>

#include <cstdio>
#include <utility>

#include "platform/file_system.h"

namespace tessera {

namespace {

struct ArchiveCloser {
  void operator()(zip_t* archive) const { if (archive) zip_discard(archive); }
};
using ArchivePtr = std::unique_ptr<zip_t, ArchiveCloser>;
struct EntryCloser {
  void operator()(zip_file_t* file) const { if (file) zip_fclose(file); }
};
using EntryPtr = std::unique_ptr<zip_file_t, EntryCloser>;
struct SourceFreer {
  void operator()(zip_source_t* source) const { if (source) zip_source_free(source); }
};
using SourcePtr = std::unique_ptr<zip_source_t, SourceFreer>;
struct StreamCloser {
  void operator()(std::FILE* file) const { if (file) std::fclose(file); }
};

std::string ErrorText(zip_error_t* error) { return zip_error_strerror(error); }

class LibzipReader : public ZipReader {
 public:
  LibzipReader(ArchivePtr archive, std::vector<uint8_t> bytes, uint64_t size)
      : archive_(std::move(archive)), bytes_(std::move(bytes)), size_(size) {}

  bool List(std::string& error) {
    const zip_int64_t count = zip_get_num_entries(archive_.get(), 0);
    if (count < 0) {
      error = "cannot count the entries";
      return false;
    }
    entries_.reserve(static_cast<size_t>(count));
    for (zip_uint64_t i = 0; i < static_cast<zip_uint64_t>(count); ++i) {
      zip_stat_t st;
      zip_stat_init(&st);
      if (zip_stat_index(archive_.get(), i, ZIP_FL_ENC_RAW, &st) != 0) {
        error = "entry " + std::to_string(i) + ": " + zip_strerror(archive_.get());
        return false;
      }
      const zip_uint64_t need = ZIP_STAT_NAME | ZIP_STAT_SIZE | ZIP_STAT_COMP_SIZE | ZIP_STAT_COMP_METHOD |
                                ZIP_STAT_ENCRYPTION_METHOD;
      if ((st.valid & need) != need) {
        error = "entry " + std::to_string(i) + ": incomplete directory record";
        return false;
      }
      ZipEntryInfo entry;
      entry.name = st.name;
      entry.size = st.size;
      entry.compressedSize = st.comp_size;
      entry.method = static_cast<uint16_t>(st.comp_method);
      entry.encrypted = st.encryption_method != ZIP_EM_NONE;
      zip_uint8_t system = 0;
      zip_uint32_t attributes = 0;
      if (zip_file_get_external_attributes(archive_.get(), i, 0, &system, &attributes) != 0) {
        error = "entry " + std::to_string(i) + ": " + zip_strerror(archive_.get());
        return false;
      }
      entry.system = system;
      entry.externalAttributes = attributes;
      entries_.push_back(std::move(entry));
    }
    return true;
  }

  const std::vector<ZipEntryInfo>& Entries() const override { return entries_; }
  uint64_t ArchiveSize() const override { return size_; }

  bool ReadEntry(size_t index, uint64_t cap, std::vector<uint8_t>& out, std::string& error) override {
    out.clear();
    if (index >= entries_.size()) {
      error = "no such entry";
      return false;
    }
    EntryPtr file(zip_fopen_index(archive_.get(), index, 0));
    if (!file) {
      error = zip_strerror(archive_.get());
      return false;
    }
    uint8_t chunk[65536];
    for (;;) {
      const zip_int64_t got = zip_fread(file.get(), chunk, sizeof chunk);
      if (got < 0) {
        error = zip_file_strerror(file.get());
        return false;
      }
      if (got == 0) break;
      if (static_cast<uint64_t>(got) > cap - out.size()) {
        error = "more than " + std::to_string(cap) + " bytes come out";
        return false;
      }
      out.insert(out.end(), chunk, chunk + got);
    }
    if (out.size() != entries_[index].size) {
      error = std::to_string(out.size()) + " bytes come out, " + std::to_string(entries_[index].size) + " claimed";
      return false;
    }
    return true;
  }

 private:
  ArchivePtr archive_;
  std::vector<uint8_t> bytes_;  // the archive when opened from memory
  uint64_t size_ = 0;
  std::vector<ZipEntryInfo> entries_;
};

std::unique_ptr<ZipReader> OpenSource(SourcePtr source, std::vector<uint8_t> bytes, uint64_t size,
                                      std::string& error) {
  zip_error_t zipError;
  zip_error_init(&zipError);
  ArchivePtr archive(zip_open_from_source(source.get(), ZIP_RDONLY | ZIP_CHECKCONS, &zipError));
  if (!archive) {
    error = ErrorText(&zipError);
    zip_error_fini(&zipError);
    return nullptr;
  }
  zip_error_fini(&zipError);
  source.release();  // the archive owns it now
  auto reader = std::make_unique<LibzipReader>(std::move(archive), std::move(bytes), size);
  if (!reader->List(error)) return nullptr;
  return reader;
}

}  // namespace

std::unique_ptr<ZipReader> OpenZipFile(const std::string& path, std::string& error) {
  // The file is opened here (any name the host takes), then handed over.
  std::unique_ptr<std::FILE, StreamCloser> file(HostOpen(path, "rb"));
  uint64_t size = 0;
  if (!file || !HostFileSize(file.get(), size)) {
    error = "cannot be read";
    return nullptr;
  }
  zip_error_t zipError;
  zip_error_init(&zipError);
  SourcePtr source(zip_source_filep_create(file.get(), 0, -1, &zipError));
  if (!source) {
    error = ErrorText(&zipError);
    zip_error_fini(&zipError);
    return nullptr;
  }
  zip_error_fini(&zipError);
  file.release();  // closed with the source
  return OpenSource(std::move(source), {}, size, error);
}

std::unique_ptr<ZipReader> OpenZipBytes(std::vector<uint8_t> bytes, std::string& error) {
  zip_error_t zipError;
  zip_error_init(&zipError);
  const uint64_t size = bytes.size();
  SourcePtr source(zip_source_buffer_create(bytes.empty() ? nullptr : bytes.data(), size, 0, &zipError));
  if (!source) {
    error = ErrorText(&zipError);
    zip_error_fini(&zipError);
    return nullptr;
  }
  zip_error_fini(&zipError);
  // The vector's buffer does not move when the vector itself is moved.
  return OpenSource(std::move(source), std::move(bytes), size, error);
}

bool WriteZipFile(const std::string& path, const std::vector<ZipWriteEntry>& entries, std::string& error) {
  // libzip writes a temporary file beside `path` and renames it at the end.
  int code = 0;
  ArchivePtr archive(zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &code));
  if (!archive) {
    zip_error_t zipError;
    zip_error_init_with_code(&zipError, code);
    error = path + ": " + ErrorText(&zipError);
    zip_error_fini(&zipError);
    return false;
  }
  // 1980-01-01 00:00:00, the earliest time the format holds.
  constexpr zip_uint16_t kDosTime = 0;
  constexpr zip_uint16_t kDosDate = (0 << 9) | (1 << 5) | 1;
  for (const ZipWriteEntry& entry : entries) {
    const bool folder = !entry.name.empty() && entry.name.back() == '/';
    zip_int64_t index = -1;
    if (folder) {
      index = zip_dir_add(archive.get(), entry.name.c_str(), ZIP_FL_ENC_UTF_8);
    } else {
      // A file's length 0 would mean the whole file: an empty one is an empty buffer.
      zip_source_t* source = !entry.file.empty() && entry.fileBytes > 0
                                 ? zip_source_file(archive.get(), entry.file.c_str(), 0,
                                                   static_cast<zip_int64_t>(entry.fileBytes))
                                 : zip_source_buffer(archive.get(), entry.data.empty() ? nullptr : entry.data.data(),
                                                     entry.data.size(), 0);
      if (source) {
        index = zip_file_add(archive.get(), entry.name.c_str(), source, ZIP_FL_ENC_UTF_8);
        if (index < 0) zip_source_free(source);
      }
    }
    const zip_uint32_t mode = folder ? 040755u : 0100644u;
    if (index < 0 ||
        zip_set_file_compression(archive.get(), index, entry.deflate && !folder ? ZIP_CM_DEFLATE : ZIP_CM_STORE,
                                 9) != 0 ||
        zip_file_set_dostime(archive.get(), index, kDosTime, kDosDate, 0) != 0 ||
        zip_file_set_external_attributes(archive.get(), index, 0, ZIP_OPSYS_UNIX, mode << 16) != 0) {
      error = path + ": " + entry.name + ": " + zip_strerror(archive.get());
      return false;
    }
  }
  if (zip_close(archive.get()) != 0) {
    error = path + ": " + zip_strerror(archive.get());
    return false;
  }
  archive.release();  // zip_close freed it
  return true;
}

}  // namespace tessera
