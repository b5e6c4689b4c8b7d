// The system's own code page tables, and the font shipped beside the program.
#include "platform/code_pages.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "platform/file_system.h"
#include "platform/user_folders.h"
#include "platform/windows/wide_text.h"

namespace tessera {

namespace {

bool ToWide(const std::string& bytes, unsigned codePage, std::wstring& out) {
  out.clear();
  if (bytes.empty()) return true;
  const int size = static_cast<int>(bytes.size());
  const int n = ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), size, nullptr, 0);
  if (n <= 0) return false;
  out.resize(static_cast<size_t>(n));
  return ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), size, out.data(), n) == n;
}

bool FromWide(const std::wstring& text, unsigned codePage, std::string& out) {
  out.clear();
  if (text.empty()) return true;
  const int size = static_cast<int>(text.size());
  // No best-fit letters and no default character: a character the code page
  // lacks is a failure, as it is for iconv.
  BOOL usedDefault = FALSE;
  BOOL* usedDefaultOut = codePage == CP_UTF8 ? nullptr : &usedDefault;
  const DWORD flags = codePage == CP_UTF8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
  const int n = ::WideCharToMultiByte(codePage, flags, text.data(), size, nullptr, 0, nullptr, usedDefaultOut);
  if (n <= 0 || usedDefault) return false;
  out.resize(static_cast<size_t>(n));
  return ::WideCharToMultiByte(codePage, flags, text.data(), size, out.data(), n, nullptr, usedDefaultOut) == n &&
         !usedDefault;
}

// The tables give the user-defined areas of the code pages (and only those)
// letters of Unicode's private use area. iconv, and so the Linux build, reads
// no characters there, and a font has nothing to draw for them: here they are
// no characters either. Big5's ETEN extension (leading bytes C6 to C8) also
// lies in the private use area, for both.
bool PrivateUse(uint32_t codePoint) { return codePoint >= 0xE000 && codePoint <= 0xF8FF; }

bool UserDefined(unsigned codePage, unsigned char lead, uint32_t codePoint) {
  if (!PrivateUse(codePoint)) return false;
  return codePage != 950 || lead <= 0xA0 || lead >= 0xFA;
}

bool HasUserDefined(unsigned codePage, const std::string& bytes, const std::wstring& text) {
  // Characters are one or two bytes, and only a two-byte one maps to the private use area.
  size_t at = 0;
  for (wchar_t c : text) {
    const unsigned char lead = at < bytes.size() ? static_cast<unsigned char>(bytes[at]) : 0;
    if (UserDefined(codePage, lead, static_cast<uint32_t>(c))) return true;
    at += lead >= 0x81 ? 2 : 1;
  }
  return false;
}

}  // namespace

// Four double-line box letters that Big5 writes in its own symbol row, where
// code page 950 prefers the ETEN row; the game's texts are Big5.
static const char* Big5BoxLetter(wchar_t c) {
  switch (c) {
    case 0x2550: return "\xA2\xA4";
    case 0x255E: return "\xA2\xA5";
    case 0x256A: return "\xA2\xA6";
    case 0x2561: return "\xA2\xA7";
    default: return nullptr;
  }
}

bool EncodeCodePage(const std::string& utf8, CodePage page, std::string& out) {
  std::wstring wide;
  const unsigned codePage = static_cast<unsigned>(page);
  if (!ToWide(utf8, CP_UTF8, wide)) return false;
  out.clear();
  size_t start = 0;
  for (size_t i = 0; i <= wide.size(); ++i) {
    const char* box = page == CodePage::Big5 && i < wide.size() ? Big5BoxLetter(wide[i]) : nullptr;
    if (!box && i < wide.size()) continue;
    const std::wstring run = wide.substr(start, i - start);
    std::string bytes;
    if (!FromWide(run, codePage, bytes) || HasUserDefined(codePage, bytes, run)) return false;
    out += bytes;
    if (box) out += box;
    start = i + 1;
  }
  return true;
}

bool DecodeCodePage(const std::string& bytes, CodePage page, std::string& utf8) {
  std::wstring wide;
  const unsigned codePage = static_cast<unsigned>(page);
  return ToWide(bytes, codePage, wide) && !HasUserDefined(codePage, bytes, wide) && FromWide(wide, CP_UTF8, utf8);
}

struct CodePageDecoder::State {
  unsigned codePage = 0;
};

CodePageDecoder::CodePageDecoder(CodePage page) : state_(std::make_unique<State>()) {
  state_->codePage = static_cast<unsigned>(page);
}

CodePageDecoder::~CodePageDecoder() = default;

bool CodePageDecoder::ToCodePoint(const char* bytes, size_t length, uint32_t& codePoint) {
  if (length < 1 || length > 2) return false;
  wchar_t out[4];
  const int n = ::MultiByteToWideChar(state_->codePage, MB_ERR_INVALID_CHARS, bytes, static_cast<int>(length), out, 4);
  if (n == 1 && (out[0] < 0xD800 || out[0] > 0xDFFF) &&
      !UserDefined(state_->codePage, static_cast<unsigned char>(bytes[0]), out[0])) {
    codePoint = out[0];
    return true;
  }
  if (n == 2 && out[0] >= 0xD800 && out[0] <= 0xDBFF && out[1] >= 0xDC00 && out[1] <= 0xDFFF) {
    codePoint = 0x10000 + ((uint32_t{out[0]} - 0xD800) << 10) + (uint32_t{out[1]} - 0xDC00);
    return true;
  }
  return false;
}

// WenQuanYi Zen Hei ships in the fonts folder beside the program: its
// monospaced face (the collection's second) is the one the Linux build draws
// with, so text looks the same, and a fresh Windows may have no Chinese font at
// all. After it, the system's own faces for the language, monospaced first.
std::vector<FontFace> FontFacesFor(CodePage page) {
  std::vector<FontFace> faces;
  const std::filesystem::path own = ExecutableFolder();
  if (!own.empty()) faces.push_back(FontFace{HostPathString(own / L"fonts" / L"wqy-zenhei.ttc"), 1});
  wchar_t windowsFolder[MAX_PATH];
  const UINT n = ::GetWindowsDirectoryW(windowsFolder, MAX_PATH);
  if (n > 0 && n < MAX_PATH) {
    const std::filesystem::path fonts = std::filesystem::path(windowsFolder) / L"Fonts";
    auto add = [&](const wchar_t* file, int index) { faces.push_back(FontFace{HostPathString(fonts / file), index}); };
    if (page == CodePage::Big5) {
      add(L"mingliu.ttc", 0);  // MingLiU
      add(L"msjh.ttc", 0);
    } else {
      add(L"simsun.ttc", 1);  // NSimSun
      add(L"msyh.ttc", 0);
      add(L"simhei.ttf", 0);
    }
    add(L"wqy-zenhei.ttc", 1);  // installed for all users
  }
  // Only files that are there.
  std::vector<FontFace> present;
  for (FontFace& face : faces) {
    HostFileInfo info;
    if (HostStat(face.file, info) && info.regular) present.push_back(std::move(face));
  }
  return present;
}

}  // namespace tessera
