// Manuals and quick guides beside the program, opened with the PC's own viewer.
#pragma once

#include <string>

namespace zavro {

// Shows "out_of_memory", "not_found" or "Adobe_Reader" for a failed open.
void CheckOpenResult(long result);
// Opens file in folder through the shell, then checks the result.
void OpenDocument(const std::string& folder, const std::string& file);
// Quick guide of theApp.GetLanguage(); any other language number opens nothing.
void OpenQuickGuideDocument();
// The chosen model's manual in the manual folder of the hub's language.
void OpenModelManual(int hubLanguage);
// "QX-3150n User Manual.pdf" in the manual folder.
void OpenProductManual();
// Quick-guide file name of a language number, "" when none.
std::string QuickGuideFile(int language);

}  // namespace zavro
