#include "app/Documents.h"

#include "app/Texts.h"
#include "app/ZavroApp.h"
#include "platform/Platform.h"

namespace zavro {

void CheckOpenResult(long result) {
    if (result > 32) return;
    switch (result) {
        case 0: ShowMessage("out_of_memory"); break;
        case 2:
        case 3: ShowMessage("not_found"); break;
        case 31: ShowMessage("Adobe_Reader"); break;
        default: break;
    }
}

void OpenDocument(const std::string& folder, const std::string& file) {
    CheckOpenResult(Ports().shell->Execute("open", file, "", folder, ShowMode::Normal));
}

std::string QuickGuideFile(int language) {
    static const char* const kCodes[] = {"EN", "NL", "DE", "FR", "IT", "ES", "PT", "PL",
                                         "CZ", "HU", "RU", "RO", "TU", "SK", "TW", "CN"};
    if (language < 1 || language > 16) return "";
    return std::string("QX-3150_QIG_") + kCodes[language - 1] + ".pdf";
}

void OpenQuickGuideDocument() {
    const std::string file = QuickGuideFile(theApp.GetLanguage());
    if (!file.empty()) OpenDocument(GetQIGFolder(), file);
}

void OpenModelManual(int hubLanguage) {
    const char* file = nullptr;
    switch (theApp.m_nModelVariant) {
        case 1: file = "QX-3150N_Manual.pdf"; break;
        case 2: file = "QX-3150n_Manual.pdf"; break;
        case 3: file = "QX-3150nS_Manual.pdf"; break;
        default: return;
    }
    OpenDocument(JoinPath(GetManualFolder(), std::to_string(hubLanguage)), file);
}

void OpenProductManual() { OpenDocument(GetManualFolder(), "QX-3150n User Manual.pdf"); }

}  // namespace zavro
