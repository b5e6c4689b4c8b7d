#include "support/hostile_packages.h"

#include "support/zip_builder.h"

namespace tessera::test {

namespace {

std::vector<uint8_t> Bytes(const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); }

RawZipEntry Entry(const std::string& name, std::vector<uint8_t> data = {}) {
  RawZipEntry entry;
  entry.name = name;
  entry.data = std::move(data);
  return entry;
}

RawZipEntry Manifest(const std::string& text = TestManifest()) { return Entry("tessera-package.ini", Bytes(text)); }
RawZipEntry File(const std::string& name, const std::string& text = "x") { return Entry(name, Bytes(text)); }

// A manifest, then the entries given.
std::vector<uint8_t> With(std::vector<RawZipEntry> entries) {
  entries.insert(entries.begin(), Manifest());
  return BuildRawZip(entries);
}

}  // namespace

std::vector<HostilePackage> HostilePackages(const std::vector<uint8_t>& campaign) {
  std::vector<HostilePackage> out;
  auto add = [&](const std::string& name, const std::string& reason, std::vector<uint8_t> bytes) {
    out.push_back({name, reason, std::move(bytes)});
  };
  constexpr uint64_t MiB = 1 << 20;

  // Names.
  add("absolute", "absolute", With({File("/tmp/tessera-escaped")}));
  add("dot-dot", "climbs out", With({File("../tessera-escaped")}));
  add("dot-dot-inside", "climbs out", With({File("Sound/../../tessera-escaped")}));
  add("drive-letter", "drive letter", With({File("C:/tessera-escaped")}));
  add("drive-relative", "drive letter", With({File("C:tessera-escaped")}));
  add("backslash", "backslash", With({File("..\\tessera-escaped")}));
  // libzip reads a NUL in a stored name as a space, so the name checked is
  // the name written; this one is refused for the space it then ends in.
  add("nul-byte", "dot or space", With({File(std::string("System.ini\0/../../x", 19))}));
  add("invalid-utf8", "UTF-8", With({File("Music/\xC0\xAF\xFF.wav")}));
  add("control-character", "control character", With({File("Sound/a\x1b[2J.wav")}));
  add("case-twins", "letter case", With({File("System.ini"), File("SYSTEM.INI")}));
  add("case-twin-folder", "letter case", With({File("Music/a.wav"), File("music/A.WAV")}));
  add("file-as-folder", "is a file", With({File("Music"), File("Music/a.wav")}));
  add("device-name", "device name", With({File("Sound/CON.wav")}));
  add("trailing-dot", "dot or space", With({File("System.ini.")}));
  add("empty-part", "empty folder", With({File("Sound//a.wav")}));
  add("saves", "saves", With({File("Save/GameSave01.dat")}));

  // Entries that are not plain files or folders.
  {
    RawZipEntry link = File("Music/link.wav", "/etc/passwd");
    link.externalAttributes = 0120777u << 16;
    add("symlink", "symbolic link", With({link}));
    RawZipEntry device = File("Sound/tty.wav");
    device.externalAttributes = 0020666u << 16;
    add("device", "device", With({device}));
    RawZipEntry fifo = File("Sound/fifo.wav");
    fifo.externalAttributes = 0010644u << 16;
    add("fifo", "device, pipe", With({fifo}));
    RawZipEntry folder = File("Sound/");
    folder.data.clear();
    folder.externalAttributes = 0100644u << 16;
    add("folder-typed-file", "disagrees", With({folder}));
  }

  // Size bombs.
  {
    RawZipEntry big = Entry("Picture.dat");
    big.zeros = 2 * MiB;
    big.deflate = true;
    big.claimedSize = 300 * MiB;
    add("entry-too-large", "claims", With({big}));
    RawZipEntry ratio = Entry("Picture.dat");
    ratio.zeros = 8 * MiB;
    ratio.deflate = true;
    add("ratio", "compressed more than", With({ratio}));
    // Claims a small size, delivers 8 MiB: only counting the bytes finds it.
    RawZipEntry liar = ratio;
    liar.claimedSize = 1000;
    add("size-lie", "Picture.dat", With({liar}));
    // Claims too much in total, each entry within its own cap.
    std::vector<RawZipEntry> many;
    for (int i = 0; i < 5; ++i) {
      RawZipEntry part = Entry("Picture" + std::to_string(i) + ".dat");
      part.data.assign(MiB, static_cast<uint8_t>(i));
      part.deflate = true;
      part.claimedSize = 250 * MiB;
      many.push_back(part);
    }
    add("total-too-large", "may unpack to", With(many));
    std::vector<RawZipEntry> crowd;
    for (int i = 0; i < 4100; ++i) crowd.push_back(File("Sound/" + std::to_string(i) + ".wav"));
    add("too-many-entries", "entries, more than", With(crowd));
    RawZipEntry zip64 = File("Picture.dat", "tiny");
    zip64.zip64 = true;
    zip64.claimedSize = uint64_t{1} << 40;
    add("zip64-claim", "claims", With({zip64}));
  }

  // Broken archives.
  {
    RawZipEntry crc = File("System.ini", "[setting]\r\n");
    crc.crc = 0x12345678;
    add("wrong-crc", "CRC", With({crc}));
    RawZipEntry local = File("System.ini");
    local.localName = "../escaped.ini";
    add("local-name-differs", "nconsistent", With({local}));
    RawZipEntry first = File("System.ini", std::string(4096, 's'));
    RawZipEntry second = Entry("Game.ini");
    second.sharesDataOf = 1;
    add("overlapping", "", With({first, second}));
    RawZipEntry encrypted = File("System.ini");
    encrypted.flags = 1;
    add("encrypted", "encrypted", With({encrypted}));
    RawZipEntry bzip = File("System.ini");
    bzip.method = 12;
    add("method", "compression method", With({bzip}));
    std::vector<uint8_t> garbage = Bytes("PK\x03\x04 this is not an archive at all");
    add("garbage", "not a readable ZIP", garbage);
    add("empty-file", "not a readable ZIP", {});
    add("not-a-package", "no tessera-package.ini", BuildRawZip({File("System.ini")}));
    add("manifest-format", "format 7", BuildRawZip({Manifest("[package]\r\nformat=7\r\n"), File("System.ini")}));
    add("manifest-not-text", "UTF-8 text",
        BuildRawZip({Manifest(TestManifest("Bad\xff title")), File("System.ini")}));
  }

  // A sound archive that is no campaign.
  add("not-a-campaign", "not a playable campaign", With({File("System.ini", "[setting]\r\npackaged=true\r\n")}));

  if (!campaign.empty()) {
    std::vector<uint8_t> cut(campaign.begin(), campaign.begin() + static_cast<long>(campaign.size() / 2));
    add("truncated", "not a readable ZIP", cut);
    std::vector<uint8_t> tail(campaign.begin(), campaign.end() - 10);
    add("truncated-end", "not a readable ZIP", tail);
  }
  return out;
}

}  // namespace tessera::test
