// Localised texts and skin files: folders, message boxes by key, pictures.
#pragma once

#include <optional>
#include <string>

#include "platform/Image.h"
#include "router/Failure.h"

namespace zavro {

std::string GetProgramFolder();
std::string GetImageFolder();
std::string GetManualFolder();
std::string GetQIGFolder();
// Joins path parts with the platform's separator.
std::string JoinPath(const std::string& a, const std::string& b);

// "<image folder>/<language>/<name>"
std::string LanguageFile(int language, const std::string& name);

// Shows the text of key from section "MESSAGE" of the language's string.ini in a message
// box with the caption "Zavro"; a missing key or file gives an empty box.
void ShowMessage(const char* key);
// The text ShowMessage(key) shows.
std::string MessageText(const char* key);
// Key of a section of the language's string.ini, as MessageText reads it (at most maxChars
// characters); "" when missing.
std::string StringIniText(const char* section, const std::string& key, std::size_t maxChars);

// Key of the line that explains a router failure ("why_refused", ...); nullptr for None.
const char* FailureKey(FailCause cause);
// The message box text of a router failure: the key's text and, when the medium has the
// cause's key, one more line naming the cause ("%d" in it becomes the HTTP status). A
// medium without those keys gives exactly MessageText(key).
std::string RouterMessageText(const char* key, const RouterFailure& why);
// Shows RouterMessageText as ShowMessage shows its text.
void ShowRouterMessage(const char* key, const RouterFailure& why);

// Direct ANSI lookup, at most 511 bytes of the value.
std::string ReadIniString(const std::string& path, const std::string& section,
                          const std::string& key, const std::string& def);

// Reads and decodes a picture file; nullopt when it cannot be opened or decoded.
std::optional<Image> LoadPicture(const std::string& path);

// Text conversions for display: ANSI (Windows-1252) bytes and UTF-16 to UTF-8.
std::string AnsiToUtf8(const std::string& ansi);
std::string Utf16ToUtf8(const std::u16string& text);
std::u16string WidenBytes(const std::string& bytes);
// What a user typed (UTF-8) as the ANSI bytes the router gets; '?' where Windows-1252
// has no such character.
std::string Utf8ToAnsi(const std::string& utf8);
// The same bytes, or nullopt when a character has no Windows-1252 byte (or the text is
// not UTF-8): for values that must reach the router as typed or not at all.
std::optional<std::string> Utf8ToAnsiExact(const std::string& utf8);

}  // namespace zavro
