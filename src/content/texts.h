#pragma once
// Every text of the demo in its three languages, and the conversion into the
// code page the game reads (ASCII, GBK or Big5).
#include <string>
#include <vector>

namespace tessera::content {

enum class DemoLanguage { English, ChineseSimplified, ChineseTraditional };

bool ParseDemoLanguage(const std::string& name, DemoLanguage& out);
// The System.ini "language" value, and the engine's language number.
const char* IniLanguageName(DemoLanguage language);
int EngineLanguage(DemoLanguage language);

struct TextEntry {
  const char* key;
  const char* english;
  const char* simplified;   // UTF-8
  const char* traditional;  // UTF-8
};

// Keys of the "Menu" section, in file order.
const std::vector<TextEntry>& MenuTexts();
// Keys of the "Talk" section (talk lines and choices), in file order.
const std::vector<TextEntry>& TalkTexts();
// Lettering on pictures and level titles.
const std::vector<TextEntry>& PictureTexts();

// The text of `key` from any table, in the language's code page; empty when the
// key is unknown or the conversion fails.
std::string Localized(const std::string& key, DemoLanguage language);
// UTF-8 to the language's code page (ASCII passes through); false on failure.
bool EncodeForLanguage(const std::string& utf8, DemoLanguage language, std::string& out);

}  // namespace tessera::content
